#include "ui/events.h"

#include <chrono>
#include <deque>
#include <thread>
#include <utility>

#include "platform/termination.h"
#include "ui/gadgets.h"
#include "ui/windows.h"

namespace ui {
namespace {

struct event_state {
    int gadget = 0;
    int window = -1;
    int type = -1;
};

struct event_record {
    event_state current;
    event_state snapshot;  // what the last event_wait returned
    // The pending gadget event, with its own gadget and type, so that one raised outside the
    // wait (a modal dialog, a browser panel's start-up) still carries them when it is returned.
    int pending = 0;
    int pending_gadget = 0;
    int pending_type = -1;
    std::deque<std::pair<int, int>> queue;  // (event code, window number)
};

event_record& events() {
    static event_record record;
    return record;
}

// Appends a window-level event, unless it repeats the last queued one.
void queue_window_event(int code, int window) {
    auto& queue = events().queue;
    const std::pair<int, int> entry{code, window};
    if (queue.empty() || queue.back() != entry) queue.push_back(entry);
}

// Turns what happened into the program's events; returns the code of a happening that raises
// none (keys and the mouse), else 0.
int handle(const platform::event& happened) {
    event_record& record = events();
    const int window = window_number_of(happened.source);
    record.current.window = window;
    if (window < 0) return 0;
    using kind = platform::event_kind;
    switch (happened.kind) {
        case kind::close_requested: queue_window_event(EVENT_CLOSE, window); return 0;
        case kind::moved: queue_window_event(EVENT_MOVE, window); return 0;
        case kind::resized: queue_window_event(EVENT_SIZE, window); return 0;
        case kind::minimised: queue_window_event(EVENT_MINIMISE, window); return 0;
        case kind::maximised:
            queue_window_event(EVENT_MAXIMISE, window);
            queue_window_event(EVENT_SIZE, window);
            return 0;
        case kind::restored:
            queue_window_event(EVENT_RESTORE, window);
            queue_window_event(EVENT_SIZE, window);
            return 0;
        case kind::activated: queue_window_event(EVENT_ACTIVATE, window); return 0;
        case kind::background_painted: queue_window_event(EVENT_REPAINT, window); return 0;
        case kind::key_pressed: return EVENT_KEY_DOWN;
        case kind::key_released: return EVENT_KEY_UP;
        case kind::pointer_moved: return EVENT_MOUSE_MOVE;
        case kind::button_pressed: return happened.type == 1 ? EVENT_LEFT_BUTTON_DOWN : EVENT_RIGHT_BUTTON_DOWN;
        case kind::button_released: return happened.type == 1 ? EVENT_LEFT_BUTTON_UP : EVENT_RIGHT_BUTTON_UP;
        case kind::control_event: break;
    }
    const int gadget = gadget_number_of(happened.from);
    if (gadget < 0) return 0;
    // Only the last gadget event raised before a wait returns is kept.
    record.pending = EVENT_CONTROL;
    record.current.gadget = record.pending_gadget = gadget;
    record.current.type = record.pending_type = happened.type;
    return 0;
}

int take_queued_event() {
    event_record& record = events();
    const auto [code, window] = record.queue.front();
    record.queue.pop_front();
    record.current.window = window;
    record.pending = 0;  // a gadget event raised outside the wait is dropped for it
    return code;
}

}  // namespace

int event_wait(int timeout_ms) {
    event_record& record = events();
    record.current.type = -1;
    int code = 0;
    platform::event happened;
    if (!record.queue.empty()) {
        code = take_queued_event();
    } else if (record.pending != 0 || platform::wait_event(happened, timeout_ms)) {
        // A gadget event raised outside the wait is returned at once.
        if (record.pending == 0) code = handle(happened);
        if (record.pending != 0) {
            code = std::exchange(record.pending, 0);
            record.current.gadget = record.pending_gadget;
            record.current.type = record.pending_type;
        } else if (!record.queue.empty()) {
            code = take_queued_event();
        }
    }
    if (code != 0) record.snapshot = record.current;
    return code;
}

int event_poll() { return event_wait(0); }

int event_gadget() { return events().snapshot.gadget; }
int event_type() { return events().snapshot.type; }
int event_window() { return events().snapshot.window; }

void catch_termination_signals() { platform::catch_termination_signals(); }
int termination_signal() { return platform::termination_signal(); }

void pause(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void pause_until(std::chrono::steady_clock::time_point until) { std::this_thread::sleep_until(until); }

void handle_waiting_events() {
    platform::event happened;
    while (platform::wait_event(happened, 0)) handle(happened);
}

void wait_keeping_events(int ms) { platform::run_toolkit_for(ms); }

bool post_control_event(platform::control* gadget, int type) {
    return gadget_number_of(gadget) >= 0 && platform::queue_control_event(gadget, type);
}

}  // namespace ui
