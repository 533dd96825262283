#include "app/capture_run.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>

#include "app/main_window.h"
#include "app/output_files.h"
#include "app/preview_and_mosaic.h"
#include "app/preview_layout.h"
#include "app/run_messages.h"
#include "app/tile_capture.h"
#include "imaging/image_files.h"
#include "services/settings.h"
#include "services/text.h"
#include "ui/browser_panel.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/message_box.h"

namespace app {
namespace {

// Fetching ahead starts once the panel's own loads show a link this slow: a page that comes
// sooner is captured after its settling time anyway, and each tile fetched twice costs the
// engine more than such a link saves.
constexpr double slow_link_ms = 2 * settle_ms;
constexpr int own_loads_measured = 2;
// The quickest a capture step goes once its page is there: the settling time and the event
// drain after it.
constexpr double quickest_step_ms = settle_ms + 1;
// How long a rendered capture may wait for the next page before it is kept anyway.
constexpr std::chrono::milliseconds owed_patience{40};

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
    prefetcher_.reset();
    settings_ = std::move(settings);
    state_ = run_state::idle;
    plan_ = run_plan{};
    capture_count_ = 0;
    owed_ = false;
    request_ = tile_request{};
    pacer_ = request_pacer{};
    files_ = temporary_files{};
    drive_lock_.unlock();
}

void capture_run::begin(const run_plan& plan) {
    plan_ = plan;
    capture_count_ = 0;
    owed_ = false;
    request_ = tile_request{};
    start_prefetching();
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
        if (state_ == run_state::page_requested && !fetching_ahead_) {
            const double took = std::chrono::duration<double, std::milli>(clock::now() - request_.sent_at).count();
            quickest_own_load_ms_ = own_loads_++ == 0 ? took : std::min(quickest_own_load_ms_, took);
        }
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
    if (owed_ && request_.out && now - request_.sent_at >= owed_patience && !settle_owed_capture()) return;
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
    const clock::time_point started = clock::now();
    // The priming capture shows whatever was on display; it is never used, so nothing about it
    // can fail the run.
    const bool priming = !request_.out;
    // A page is given 10 ms to settle before it is captured, counted from when it was asked
    // for: the time it took to load is part of it, so a quick page is not held back twice.
    const clock::time_point settled = (priming ? started : request_.sent_at) + milliseconds{settle_ms};
    // The page has loaded, so nothing waits on this thread: the capture still owed is kept now
    // if the settling time left covers it, and the snapshot then waits for the engine alone.
    if (owed_ && std::chrono::duration<double, std::milli>(settled - started).count() >= keep_ms_ &&
        !settle_owed_capture())
        return;
    ui::pause_until(settled);
    drain_events();

    // This capture's number, once the one still owed has been kept.
    const int64_t k = capture_count_ + (owed_ ? 1 : 0);
    const bool more = k < tile_count(plan_.grid);
    // The next tile is asked for as soon as the engine has taken this page's picture, and the
    // previous capture is kept while the engine draws it and the next page loads.
    const tile_request captured = request_;
    std::string kept_failure;
    const capture_result rendered = render_tile_page([this, &kept_failure] { kept_failure = keep_owed_capture(); },
                                                     [this, more, k] {
                                                         if (more) request_tile(k + 1);
                                                     });
    if (!kept_failure.empty()) {
        stop(kept_failure);
        return;
    }
    if (!priming && rendered.outcome == capture_outcome::not_rendered) {
        // The tile that was not captured is the one waited for again, not the next.
        request_ = captured;
        tile_failed(rendered.failure, false);
        return;
    }
    if (!priming && rendered.outcome == capture_outcome::failed) {
        stop(rendered.failure);
        return;
    }
    // The page is in the capture image; it is kept while the next page loads.
    owed_ = true;
    if (!more) request_.out = false;
    if (!more && settle_owed_capture()) finish();
}

std::string capture_run::keep_owed_capture() {
    if (!owed_) return "";
    owed_ = false;
    const clock::time_point began = clock::now();
    const bool priming = capture_count_ == 0;
    std::string failure = cut_tile();
    const std::string name = tile_file_name(capture_count_);
    if (failure.empty()) {
        errno = 0;
        if (imaging::save_image(tile_image, name, imaging::jpeg_encoder, plan_.compression)) {
            files_.add_tile(capture_count_);
        } else {
            failure = file_failure("The tile file", name, system_reason("the image could not be encoded"));
        }
    }
    if (!failure.empty() && !priming) return failure;
    const int64_t kept = capture_count_++;
    if (kept >= 1) {
        update_preview(plan_.grid, kept);
        show_download_progress();
    }
    const double took = std::chrono::duration<double, std::milli>(clock::now() - began).count();
    keep_ms_ = keep_ms_ == 0 ? took : 0.8 * keep_ms_ + 0.2 * took;
    return "";
}

bool capture_run::settle_owed_capture() {
    const std::string failure = keep_owed_capture();
    if (failure.empty()) return true;
    stop(failure);
    return false;
}

void capture_run::request_tile(int64_t k) {
    request_ = tile_request{};
    request_.tile = walk_tile(plan_.grid, k);
    request_.address = tile_address(request_.tile.x, request_.tile.y, plan_.zoom);
    request_.awaited_since = clock::now();
    prefetch_after(k);
    send_request();
}

void capture_run::start_prefetching() {
    prefetcher_.reset();
    prefetched_through_ = 1;  // the first tile is the panel's own load
    own_loads_ = 0;
    quickest_own_load_ms_ = 0;
    fetching_ahead_ = false;
    const std::string setting = services::setting("LOMTRA_SAT_PREFETCH");
    // Unset: as deep as the link needs; 0: off; any other number caps the depth.
    const double cap = setting.empty() ? platform::prefetcher::max_depth : services::text_to_real(setting);
    prefetch_cap_ = static_cast<int>(std::clamp(cap, 0.0, static_cast<double>(platform::prefetcher::max_depth)));
    // Requests spaced for a server's sake are the panel's own, one at a time: nothing goes ahead.
    if (!services::setting("LOMTRA_SAT_MAX_RATE").empty()) prefetch_cap_ = 0;
    if (prefetch_cap_ == 0) return;
    prefetcher_ = std::make_unique<platform::prefetcher>(ui::gadget_handle(GADGET_BROWSER), prefetch_cap_);
    // Made ready while the first tiles load, so that fetching ahead, once it begins, does not
    // hold up the panel's load of the tile it begins with.
    const tile_position first = walk_tile(plan_.grid, 1);
    prefetcher_->prepare(tile_address(first.x, first.y, plan_.zoom));
}

void capture_run::prefetch_after(int64_t k) {
    if (!prefetcher_) return;
    if (!fetching_ahead_) {
        if (own_loads_ < own_loads_measured || quickest_own_load_ms_ < slow_link_ms) return;
        fetching_ahead_ = true;
    }
    // The first fetch ahead goes alone: its answer tells whether the server lets the cache keep
    // its tiles, and a server that does not is asked for one tile twice, not for a whole round
    // trip of them. Then enough tiles under way to cover one round trip at the quickest pace the
    // steps can go, plus one. The pace the steps go now is no guide: while too few tiles are
    // under way, each step waits on the network, and a depth that followed it would grow only
    // slowly.
    const int needed = static_cast<int>(std::ceil(prefetcher_->fetch_ms() / quickest_step_ms)) + 1;
    const int depth = prefetcher_->finished() == 0 ? 1 : std::clamp(needed, 1, prefetch_cap_);
    prefetcher_->set_depth(depth);
    const int64_t through = std::min(tile_count(plan_.grid), k + depth);
    std::vector<std::string> addresses;
    for (int64_t next = std::max(prefetched_through_, k) + 1; next <= through; ++next) {
        const tile_position tile = walk_tile(plan_.grid, next);
        addresses.push_back(tile_address(tile.x, tile.y, plan_.zoom));
    }
    prefetched_through_ = std::max(prefetched_through_, through);
    prefetcher_->fetch(addresses);
}

void capture_run::send_request() {
    pacer_.pace();
    request_.out = true;
    request_.sent_at = clock::now();
    ++request_.attempts;
    state_ = run_state::page_requested;
    // A tile being fetched ahead is waited for briefly, so that the panel's load is answered
    // from the cache rather than asking the server a second time.
    // One still waiting to be fetched is not fetched any more: the panel asks for it now.
    if (prefetcher_) {
        if (prefetcher_->fetching(request_.address)) prefetcher_->wait_for_fetch(request_.address, 1000);
        prefetcher_->skip(request_.address);
    }
    ui::gadget_set_text(GADGET_BROWSER, request_.address);
    if (request_.attempts > 1)
        ui::gadget_set_text(GADGET_STATUS, awaited_tile_status(request_.tile, plan_.zoom, request_.attempts));
}

void capture_run::tile_failed(const std::string& reason, bool load_failed) {
    // What has come is kept and shown before the run waits for what has not.
    if (!settle_owed_capture()) return;
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
    prefetcher_.reset();  // nothing more is fetched for a run that has ended
    // Only a completed run leaves the black preview file behind; a stopped one leaves drive C
    // as it found it.
    clear_preview(completed);
    ui::gadget_disable(GADGET_START, 0);
    ui::gadget_set_text(GADGET_START, "START");
    state_ = run_state::idle;
    capture_count_ = 0;
    owed_ = false;
    request_ = tile_request{};
    ui::gadget_set_text(GADGET_BROWSER, site_page("presentation.html"));
    ui::gadget_set_text(GADGET_STATUS, ready_text);
    ui::gadget_set_state(GADGET_PROGRESS, 0);
    release_drive();
}

void capture_run::close() {
    prefetcher_.reset();
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
    owed_ = false;
}

}  // namespace app
