#include "app/capture_loop.h"

#include <chrono>
#include <string>

#include "app/main_window.h"
#include "app/output_files.h"
#include "app/preview_and_mosaic.h"
#include "app/preview_layout.h"
#include "app/program_state.h"
#include "app/request_pacing.h"
#include "app/tile_capture.h"
#include "imaging/image_files.h"
#include "services/files.h"
#include "services/text.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/message_box.h"

namespace app {

page_patience tile_page_patience;

namespace {

using clock = std::chrono::steady_clock;

// The tile page under way: when it was asked for and how often.
struct page_request {
    std::string address;
    int32_t x = 0;
    int32_t y = 0;
    clock::time_point sent_at;
    int attempts = 0;
};
page_request current_request;

void request_page(const std::string& address) {
    pace_tile_request();
    current_request.sent_at = clock::now();
    ++current_request.attempts;
    ui::gadget_set_text(GADGET_BROWSER, address);
}

void request_tile(int32_t x, int32_t y) {
    current_request = page_request{};
    current_request.address = tile_address(x, y, program.zoom);
    current_request.x = x;
    current_request.y = y;
    request_page(current_request.address);
}

// Takes every waiting window event so painting happens, acting on none of them.
void drain_events() {
    for (;;) {
        ui::event_poll();
        if (ui::event_poll() == 0) break;
    }
}

void back_to_idle() {
    clear_preview();
    ui::gadget_disable(GADGET_START, 0);
    ui::gadget_set_text(GADGET_START, "START");
    program.page_state = PAGE_WAITING;
    program.run_active = 0;
    program.capture_count = 0;
    program.preview_row = 0;
    program.preview_column = 0;
    current_request = page_request{};
    ui::gadget_set_text(GADGET_BROWSER, site_page("presentation.html"));
    ui::gadget_set_text(GADGET_STATUS, ready_text);
    ui::gadget_set_state(GADGET_PROGRESS, 0);
}

void end_of_run() {
    assemble_mosaic();
    const std::string failed = write_output();
    if (!failed.empty()) {
        ui::message_box_ok("Error", "The mosaic could not be saved: \"" + failed +
                                        "\" could not be written. Check that the disk has room and that "
                                        "the folder may be written to, then start the run again.");
    }
    back_to_idle();
}

void show_download_progress() {
    const int64_t tiles_done = program.capture_count - 1;
    const int32_t done = percentage(tiles_done, tile_count(program.grid));
    ui::gadget_set_text(GADGET_STATUS, "Download : " + services::integer_to_text(done) + " %");
    ui::gadget_set_state(GADGET_PROGRESS, done);
}

void stop_run_without_tile() {
    const page_request lost = current_request;
    for (int32_t i = 0; i < program.capture_count; ++i) services::remove_file(tile_file_name(i));
    for (const char* name : {"C:/screenshot.jpg", "C:/essai.jpg"}) services::remove_file(name);
    ui::message_box_ok("Error", "The tile x = " + services::integer_to_text(lost.x) +
                                    ", y = " + services::integer_to_text(lost.y) +
                                    ", zoom = " + services::integer_to_text(program.zoom) + " did not arrive after " +
                                    services::integer_to_text(lost.attempts) +
                                    " requests. The run has been stopped; check the tile server and start again.");
    back_to_idle();
}

}  // namespace

void capture_step() {
    ui::pause(10);
    program.page_state = PAGE_CAPTURING;
    drain_events();

    capture_tile();
    imaging::save_image(tile_image, tile_file_name(program.capture_count), imaging::jpeg_encoder,
                        program.compression);
    ++program.capture_count;
    if (program.capture_count > 1) {
        update_preview(program.capture_count - 1);
        show_download_progress();
    }

    bool row_complete = false;
    if (program.tile_x == program.grid.last_column + 1) {
        program.tile_x = program.grid.first_column;
        --program.tile_y;
        row_complete = true;
    }
    if (row_complete && program.tile_y == program.grid.top_row - 1) {
        end_of_run();
        return;
    }
    program.page_state = PAGE_WAITING;
    request_tile(program.tile_x, program.tile_y);
    ++program.tile_x;
}

void check_page_timeout() {
    if (program.run_active != 1 || current_request.attempts == 0) return;
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - current_request.sent_at);
    if (waited.count() < tile_page_patience.timeout_ms) return;
    if (current_request.attempts < tile_page_patience.attempts) {
        program.page_state = PAGE_WAITING;
        request_page(current_request.address);
    } else {
        stop_run_without_tile();
    }
}

}  // namespace app
