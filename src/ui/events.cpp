#include "ui/events.h"

#include <chrono>
#include <thread>

#include "platform/message_pump.h"
#include "platform/messages.h"
#include "platform/termination.h"
#include "platform/window.h"
#include "ui/event_record.h"
#include "ui/gadgets.h"
#include "ui/windows.h"

namespace ui {
namespace detail {

event_record& events() {
    thread_local event_record record;
    return record;
}

void queue_window_event(int code, int window) {
    auto& queue = events().queue;
    const std::pair<int, int> entry{code, window};
    if (!queue.empty() && queue.back() == entry) return;
    queue.push_back(entry);
}

void set_pending(int code, int gadget, int type) {
    event_record& record = events();
    record.current.pending = code;
    record.current.gadget = gadget;
    record.current.type = type;
    record.pending_gadget = gadget;
    record.pending_type = type;
}

}  // namespace detail

using detail::events;

int event_wait(int timeout_ms) {
    detail::event_record& record = events();
    record.current.type = -1;
    int code = 0;
    if (!record.queue.empty()) {
        const auto [queued_code, window] = record.queue.front();
        record.queue.pop_front();
        code = queued_code;
        record.current.window = window;
        record.current.pending = 0;
    } else {
        platform::message msg;
        if (timeout_ms == -1) {
            msg = platform::get_message();
        } else if (!platform::peek_message(msg)) {
            if (timeout_ms <= 0) return 0;
            if (!platform::wait_for_input(timeout_ms)) return 0;
            if (!platform::peek_message(msg)) return 0;
        }
        const std::size_t queued_before = record.queue.size();
        platform::dispatch_message(msg);
        if (record.current.pending == 0 && record.queue.size() > queued_before) {
            // The message became a window event (a close request, a move): that event is the
            // answer, once, rather than the raw message now and the same code again later.
            const auto [queued_code, window] = record.queue.front();
            record.queue.pop_front();
            code = queued_code;
            record.current.window = window;
        } else if (record.current.pending != 0) {
            code = record.current.pending;
            record.current.gadget = record.pending_gadget;
            record.current.type = record.pending_type;
            record.current.pending = 0;
        } else {
            code = static_cast<int>(msg.code);
            record.current.wparam = msg.wparam;
            record.current.lparam = msg.lparam;
        }
    }
    record.snapshot = record.current;
    return code;
}

int event_poll() { return event_wait(0); }

int event_gadget() { return events().snapshot.gadget; }
int event_type() { return events().snapshot.type; }
int event_window() { return events().snapshot.window; }
intptr_t event_wparam() { return events().snapshot.wparam; }
intptr_t event_lparam() { return events().snapshot.lparam; }

void catch_termination_signals() { platform::catch_termination_signals(); }
int termination_signal() { return platform::termination_signal(); }

void pause(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void wait_keeping_events(int ms) { platform::run_toolkit_for(ms); }

bool post_control_event(GtkWidget* control, int type) {
    GtkWidget* window = platform::top_level_of(control);
    if (window_number_of(window) < 0) return false;
    platform::post_message(window, platform::MSG_CONTROL_EVENT, gadget_number_of(control), type);
    return true;
}

}  // namespace ui
