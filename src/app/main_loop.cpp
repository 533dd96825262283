#include "app/main_loop.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "services/text.h"
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
            program.run.on_browser_event(type);
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

void close_path() { program.run.close(); }

bool main_loop_pass() {
    const int event = ui::event_wait(pass_timeout_ms);
    // A termination signal takes the close path as the close box does. It is a flag rather
    // than an event, so no capture step's draining can swallow it.
    bool ends = event == ui::EVENT_CLOSE || ui::termination_signal() != 0;
    if (!ends && event == ui::EVENT_CONTROL) {
        dispatch_control_event(ui::event_gadget(), ui::event_type());
        ends = ui::termination_signal() != 0;  // it came while one of START's boxes was up
    }
    if (ends) {
        close_path();
        return false;
    }
    // After the event, so that a page that has just ended is captured in this pass rather than
    // after the next event or the pass's timeout.
    program.run.on_pass();
    return true;
}

void run_main_loop() {
    while (main_loop_pass()) {
    }
}

}  // namespace app
