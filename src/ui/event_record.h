#pragma once
// The event record shared by the wait and the window procedure (inside the ui subsystem).
#include <cstdint>
#include <deque>
#include <utility>

namespace ui::detail {

struct event_state {
    int gadget = 0;
    int window = -1;
    int type = -1;
    int pending = 0;
    intptr_t wparam = 0;
    intptr_t lparam = 0;
};

struct event_record {
    event_state current;
    // Gadget and type of the pending control event, kept with it so that an event raised
    // outside the wait (a modal loop, a control's start-up pump) still carries its own type.
    int pending_gadget = 0;
    int pending_type = -1;
    event_state snapshot;
    std::deque<std::pair<int, int>> queue;  // (event code, window number)
};

event_record& events();

// Appends a window-level event, unless it repeats the last queued one.
void queue_window_event(int code, int window);
// Sets the pending control event (the last one set before the wait returns wins).
void set_pending(int code, int gadget, int type);

}  // namespace ui::detail
