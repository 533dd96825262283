#include "app/main_loop.h"

#include "app/capture_loop.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "services/files.h"
#include "services/text.h"
#include "ui/browser_panel.h"
#include "ui/events.h"
#include "ui/gadgets.h"

namespace app {
namespace {

constexpr int pass_timeout_ms = 100;

void show_trackbar_label(int trackbar, int label, const std::string& prefix, const std::string& suffix) {
    const auto position = static_cast<int64_t>(ui::gadget_get_state(trackbar));
    ui::gadget_set_text(label, prefix + services::integer_to_text(position) + suffix);
}

}  // namespace

void dispatch_control_event(int gadget, int type) {
    switch (gadget) {
        case GADGET_BROWSER:
            if (type == ui::BROWSER_EVENT_DOWNLOAD_END && program.page_state == PAGE_WAITING) {
                program.page_state = PAGE_FINISHED;
            }
            break;
        case GADGET_ZOOM:
            show_trackbar_label(GADGET_ZOOM, GADGET_ZOOM_LABEL, "Zoom = ", "");
            break;
        case GADGET_COMPRESSION:
            show_trackbar_label(GADGET_COMPRESSION, GADGET_COMPRESSION_LABEL, "Compression = ", " // 1:Max 10:Min");
            break;
        case GADGET_START:
            start_handler();
            break;
        default:
            break;
    }
}

void close_path() {
    for (int32_t i = 0; i < program.capture_count; ++i) {
        services::remove_file("C:/" + services::integer_to_text(i) + ".jpg");
    }
    services::remove_file("C:/screenshot.jpg");
    services::remove_file("C:/shot.jpg");
    services::remove_file("C:/essai.jpg");
}

bool main_loop_pass() {
    const int event = ui::event_wait(pass_timeout_ms);
    if (program.run_active == 1) {
        if (program.page_state == PAGE_FINISHED &&
            ui::gadget_get_attribute(GADGET_BROWSER, ui::BROWSER_BUSY) == 0) {
            capture_step();
        } else {
            check_page_timeout();
        }
    }
    if (event == ui::EVENT_CONTROL) {
        dispatch_control_event(ui::event_gadget(), ui::event_type());
    } else if (event == ui::EVENT_CLOSE) {
        close_path();
        return false;
    }
    return true;
}

void run_main_loop() {
    while (main_loop_pass()) {
    }
}

}  // namespace app
