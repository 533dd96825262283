#pragma once
// Helpers for tests that drive windows through the program's own event loop.
#include <chrono>
#include <functional>
#include <vector>

#include <gtk/gtk.h>

#include "ui/events.h"

namespace ui_test {

struct seen_event {
    int code;
    int gadget;
    int type;
    int window;
};

// Runs the event loop until `done` holds or timeout_ms pass; true when it held.
inline bool run_until(const std::function<bool()>& done, int timeout_ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        ui::event_wait(10);
    }
    return true;
}

// Runs the loop until it has been quiet (no event at all) for quiet_ms, at most timeout_ms.
inline std::vector<seen_event> settle(int quiet_ms = 150, int timeout_ms = 5000) {
    std::vector<seen_event> seen;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    auto last = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < end) {
        const int code = ui::event_wait(20);
        const auto now = std::chrono::steady_clock::now();
        if (code != 0) {
            seen.push_back({code, ui::event_gadget(), ui::event_type(), ui::event_window()});
            last = now;
        } else if (now - last > std::chrono::milliseconds(quiet_ms)) {
            break;
        }
    }
    return seen;
}

// Runs the loop until an event with this code (and gadget, when given) comes; returns it,
// or a seen_event with code 0 on timeout.
inline seen_event wait_for_event(int code, int gadget = -1, int timeout_ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
        const int got = ui::event_wait(20);
        if (got == code && (gadget < 0 || ui::event_gadget() == gadget))
            return {got, ui::event_gadget(), ui::event_type(), ui::event_window()};
    }
    return {0, 0, 0, 0};
}

// Whether screen pixels can be compared with exact colours (a display of at least 24 bits).
inline bool exact_colour_display() {
    GdkScreen* screen = gdk_screen_get_default();
    return screen && gdk_visual_get_depth(gdk_screen_get_system_visual(screen)) >= 24;
}

// Puts the mouse pointer in the screen's bottom-right corner, away from the test windows, so
// that focus-follows-pointer on a bare display does not activate them behind the test's back.
inline void move_pointer_away() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return;
    GdkSeat* seat = gdk_display_get_default_seat(display);
    GdkScreen* screen = gdk_display_get_default_screen(display);
    GdkMonitor* monitor = gdk_display_get_monitor(display, 0);
    if (!seat || !monitor) return;
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    gdk_device_warp(gdk_seat_get_pointer(seat), screen, area.x + area.width - 1, area.y + area.height - 1);
    gdk_display_flush(display);
}

}  // namespace ui_test
