#include "app/capture_run.h"

#include <algorithm>
#include <cerrno>

#include "app/main_window.h"
#include "app/output_files.h"
#include "app/preview_and_mosaic.h"
#include "app/preview_layout.h"
#include "app/run_messages.h"
#include "app/tile_capture.h"
#include "imaging/image_files.h"
#include "services/text.h"
#include "ui/browser_panel.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/message_box.h"

namespace app {
namespace {

int64_t milliseconds_between(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration_cast<milliseconds>(to - from).count();
}

// Takes every waiting window event so painting happens, acting on none of them.
void drain_events() {
    for (;;) {
        ui::event_poll();
        if (ui::event_poll() == 0) break;
    }
}

}  // namespace

milliseconds tile_patience::wait_after(int failures) const {
    if (waits.empty()) return milliseconds{0};
    const auto index = static_cast<std::size_t>(std::max(failures, 1) - 1);
    return waits[std::min(index, waits.size() - 1)];
}

void capture_run::reset(run_settings settings) {
    settings_ = std::move(settings);
    state_ = run_state::idle;
    plan_ = run_plan{};
    capture_count_ = 0;
    request_ = tile_request{};
    pacer_ = request_pacer{};
    files_ = temporary_files{};
    drive_lock_.unlock();
}

void capture_run::begin(const run_plan& plan) {
    plan_ = plan;
    capture_count_ = 0;
    request_ = tile_request{};
    state_ = run_state::page_finished;
}

tile_position capture_run::next_tile() const { return walk_tile(plan_.grid, std::max<int64_t>(capture_count_, 1)); }

void capture_run::on_browser_event(int type) {
    if (!request_.out || (state_ != run_state::page_requested && state_ != run_state::page_finished)) return;
    if (type == ui::BROWSER_EVENT_LOAD_FAILED) {
        // An event of an earlier load (one that failed before this tile was asked for) finds
        // the panel's failure cleared by the new request: it says nothing of this tile.
        const std::string failure = ui::browser_panel_failure(GADGET_BROWSER);
        if (!failure.empty()) tile_failed(failure, true);
    } else if (type == ui::BROWSER_EVENT_DOWNLOAD_END) {
        state_ = run_state::page_finished;
    }
}

// The one place that decides when a tile that keeps failing is put to the user.
bool capture_run::patience_spent(clock::time_point now) const {
    return now - request_.awaited_since >= settings_.patience.before_asking;
}

bool capture_run::awaiting_answer(clock::time_point now) const {
    return request_.out && now - request_.sent_at >= settings_.patience.no_answer;
}

void capture_run::on_pass() {
    const clock::time_point now = clock::now();
    switch (state_) {
        case run_state::idle:
            return;
        case run_state::retry_wait:
            if (now >= request_.retry_at) send_request();
            return;
        case run_state::page_requested:
        case run_state::page_finished:
            break;
    }
    if (awaiting_answer(now)) {
        // The page that never ends is called off, so it cannot end during the wait.
        ui::gadget_set_state(GADGET_BROWSER, ui::BROWSER_STOP);
        tile_failed("no answer within " + seconds_text(settings_.patience.no_answer.count()), false);
        return;
    }
    if (state_ != run_state::page_finished || ui::gadget_get_attribute(GADGET_BROWSER, ui::BROWSER_BUSY) != 0) return;
    // The download-end event may have come before the failure it ends was reported (or been
    // lost to a capture step's draining): the panel itself says whether its page came.
    const std::string failure = request_.out ? ui::browser_panel_failure(GADGET_BROWSER) : "";
    if (!failure.empty()) {
        tile_failed(failure, true);
        return;
    }
    capture_step();
}

void capture_run::capture_step() {
    ui::pause(10);
    drain_events();

    // The priming capture shows whatever was on display; it is never used, so nothing about it
    // can fail the run.
    const bool priming = !request_.out;
    const capture_result captured = capture_tile();
    if (!priming && captured.outcome == capture_outcome::not_rendered) {
        tile_failed(captured.failure, false);
        return;
    }
    if (!priming && captured.outcome == capture_outcome::failed) {
        stop(captured.failure);
        return;
    }
    const std::string name = tile_file_name(capture_count_);
    errno = 0;
    if (imaging::save_image(tile_image, name, imaging::jpeg_encoder, plan_.compression)) {
        files_.add_tile(capture_count_);
    } else if (!priming) {
        stop(file_failure("The tile file", name, system_reason("the image could not be encoded")));
        return;
    }
    ++capture_count_;
    request_.out = false;
    if (capture_count_ > 1) {
        update_preview(plan_.grid, capture_count_ - 1);
        show_download_progress();
    }
    if (capture_count_ > tile_count(plan_.grid)) {
        finish();
        return;
    }
    request_tile(capture_count_);
}

void capture_run::request_tile(int64_t k) {
    request_ = tile_request{};
    request_.tile = walk_tile(plan_.grid, k);
    request_.address = tile_address(request_.tile.x, request_.tile.y, plan_.zoom);
    request_.awaited_since = clock::now();
    send_request();
}

void capture_run::send_request() {
    pacer_.pace();
    request_.out = true;
    request_.sent_at = clock::now();
    ++request_.attempts;
    state_ = run_state::page_requested;
    ui::gadget_set_text(GADGET_BROWSER, request_.address);
    if (request_.attempts > 1)
        ui::gadget_set_text(GADGET_STATUS, awaited_tile_status(request_.tile, plan_.zoom, request_.attempts));
}

void capture_run::tile_failed(const std::string& reason, bool load_failed) {
    const clock::time_point now = clock::now();
    request_.reason = reason.empty() ? "the page could not be loaded" : reason;
    ++request_.failures;
    // When nothing answers at the address of the run's first tile, waiting will not help: the
    // user is asked at once and told where the tile source is chosen.
    const bool first_tile = capture_count_ <= 1;
    if (patience_spent(now) || (first_tile && load_failed)) {
        ask_whether_to_go_on();
        return;
    }
    const milliseconds wait = settings_.patience.wait_after(request_.failures);
    request_.retry_at = now + wait;
    state_ = run_state::retry_wait;
    ui::gadget_set_text(GADGET_STATUS, retry_status(described_failure(), wait.count()));
}

tile_failure capture_run::described_failure() const {
    return {request_.tile,    plan_.zoom,       request_.attempts, milliseconds_between(request_.awaited_since, clock::now()),
            request_.reason, request_.address, capture_count_ <= 1};
}

void capture_run::ask_whether_to_go_on() {
    state_ = run_state::retry_wait;  // nothing of the run moves while the box is up
    if (ui::message_box("Error", tile_failure_text(described_failure()), ui::MESSAGE_BOX_YES_NO) != ui::ANSWER_YES) {
        files_.remove_all();
        back_to_idle(false);
        return;
    }
    request_.failures = 0;
    request_.awaited_since = clock::now();
    send_request();
}

void capture_run::show_download_progress() {
    const int64_t tiles_done = capture_count_ - 1;
    const int32_t done = percentage(tiles_done, tile_count(plan_.grid));
    ui::gadget_set_text(GADGET_STATUS, "Download : " + services::integer_to_text(done) + " %");
    ui::gadget_set_state(GADGET_PROGRESS, done);
}

void capture_run::finish() {
    const rectangle cut = mosaic_cut(plan_.grid);
    const output_outcome written =
        write_output(plan_.bounds, cut.width, cut.height, settings_.clock, [this](const std::string& image_name) {
            return assemble_mosaic(plan_.grid, plan_.bounds, plan_.zoom, plan_.compression, image_name, files_);
        });
    const std::string failure = written.failure;
    files_.remove_all();
    if (!failure.empty()) {
        stop(failure);
        return;
    }
    settings_.open_result(written.image);
    back_to_idle(true);
}

void capture_run::stop(const std::string& error) {
    files_.remove_all();
    ui::message_box_ok("Error", error + "\nThe run has been stopped and its temporary files deleted.");
    back_to_idle(false);
}

void capture_run::back_to_idle(bool completed) {
    // Only a completed run leaves the black preview file behind; a stopped one leaves drive C
    // as it found it.
    clear_preview(completed);
    ui::gadget_disable(GADGET_START, 0);
    ui::gadget_set_text(GADGET_START, "START");
    state_ = run_state::idle;
    capture_count_ = 0;
    request_ = tile_request{};
    ui::gadget_set_text(GADGET_BROWSER, site_page("presentation.html"));
    ui::gadget_set_text(GADGET_STATUS, ready_text);
    ui::gadget_set_state(GADGET_PROGRESS, 0);
    release_drive();
}

void capture_run::close() {
    // The fixed diagnostic names are shared by every window on this drive: they are only ours
    // to delete when no other window is capturing.
    if (claim_drive()) {
        files_.remove_all();
    } else {
        files_.remove_tiles();
    }
    release_drive();
    state_ = run_state::idle;
    capture_count_ = 0;
}

}  // namespace app
