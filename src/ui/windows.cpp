#include "ui/windows.h"

#include <gdk/gdkkeysyms.h>

#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/gtk_session.h"
#include "platform/message_pump.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "ui/event_record.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/gadgets_internal.h"
#include "ui/window_placement.h"

namespace ui {
namespace {

// Holds window number + 1, so that 0 means "not a numbered window".
constexpr const char* WINDOW_NUMBER = "lomtra-window-number";

struct window_record {
    GtkWidget* handle = nullptr;
    int colour = -1;
    bool minimised_or_maximised = false;
};

std::vector<window_record> window_table;
GtkWidget* control_parent = nullptr;

window_record* record_of(int number) {
    if (number < 0 || number >= static_cast<int>(window_table.size())) return nullptr;
    window_record& record = window_table[static_cast<size_t>(number)];
    return record.handle ? &record : nullptr;
}

void close_window(int number) {
    window_record* record = record_of(number);
    if (!record) return;
    GtkWidget* handle = record->handle;
    *record = window_record{};
    if (control_parent == handle) control_parent = nullptr;
    platform::remove_property(handle, WINDOW_NUMBER);
    platform::destroy_window(handle);
}

void on_size(window_record& record, int number, intptr_t kind) {
    using detail::queue_window_event;
    if (kind == platform::SIZE_MINIMIZED) {
        record.minimised_or_maximised = true;
        queue_window_event(EVENT_MINIMIZE, number);
    } else if (kind == platform::SIZE_MAXIMIZED) {
        record.minimised_or_maximised = true;
        queue_window_event(EVENT_MAXIMIZE, number);
        queue_window_event(EVENT_SIZE, number);
    } else if (kind == platform::SIZE_RESTORED) {
        if (record.minimised_or_maximised) {
            record.minimised_or_maximised = false;
            queue_window_event(EVENT_RESTORE, number);
        }
        queue_window_event(EVENT_SIZE, number);
    } else {
        queue_window_event(EVENT_SIZE, number);
    }
}

intptr_t on_command(GtkWidget* window, const platform::message& msg) {
    auto* control = reinterpret_cast<GtkWidget*>(msg.lparam);
    if (control) {
        intptr_t result = 0;
        if (detail::notify_gadget(control, msg, result)) return result;
        detail::set_pending(EVENT_CONTROL, gadget_number_of(control), platform::high_word(msg.wparam));
        return 0;
    }
    const int command = platform::low_word(msg.wparam);
    if (command == COMMAND_NEXT_CONTROL) platform::move_focus(window, true);
    else if (command == COMMAND_PREVIOUS_CONTROL) platform::move_focus(window, false);
    else detail::set_pending(EVENT_MENU, command, -1);
    return 0;
}

// The common window procedure of numbered windows: turns the messages that matter into events.
intptr_t window_procedure(GtkWidget* window, unsigned code, intptr_t wparam, intptr_t lparam) {
    const int number = window_number_of(window);
    detail::events().current.window = number;
    window_record* record = record_of(number);
    if (!record) return 0;
    const platform::message msg{window, code, wparam, lparam};
    switch (code) {
        case platform::WM_CLOSE: detail::queue_window_event(EVENT_CLOSE, number); return 0;
        case platform::WM_MOVE: detail::queue_window_event(EVENT_MOVE, number); return 0;
        case platform::WM_SIZE: on_size(*record, number, wparam); return 0;
        case platform::WM_ACTIVATE:
            if (wparam != platform::WA_INACTIVE) detail::queue_window_event(EVENT_ACTIVATE, number);
            return 0;
        case platform::WM_ERASEBKGND: detail::queue_window_event(EVENT_REPAINT, number); return 1;
        case platform::WM_COMMAND: return on_command(window, msg);
        case platform::WM_HSCROLL:
        case platform::WM_VSCROLL: {
            intptr_t result = 0;
            detail::notify_gadget(reinterpret_cast<GtkWidget*>(lparam), msg, result);
            return result;
        }
        case platform::MSG_CONTROL_EVENT:
            detail::set_pending(EVENT_CONTROL, static_cast<int>(wparam), static_cast<int>(lparam));
            return 0;
        default: return 0;
    }
}

}  // namespace

GtkWidget* window_open(int number, int x, int y, int inner_width, int inner_height, std::string_view title,
                       uint32_t flags) {
    if (number < 0) return nullptr;
    if (number >= static_cast<int>(window_table.size())) window_table.resize(static_cast<size_t>(number) + 1);
    close_window(number);  // a new window under a number replaces the old one

    const uint32_t options = flags & ~static_cast<uint32_t>(WINDOW_NOT_PARENT);
    const bool tool = options & WINDOW_TOOL;
    const bool hidden = options & WINDOW_HIDDEN;
    uint32_t style = options & ~static_cast<uint32_t>(WINDOW_CENTRE_ON_SCREEN | WINDOW_CENTRE_ON_PARENT | WINDOW_TOOL |
                                                      WINDOW_HIDDEN);
    if (tool)
        style &= ~static_cast<uint32_t>(platform::WS_MINIMIZEBOX | platform::WS_MAXIMIZEBOX | WINDOW_MINIMISED |
                                        WINDOW_MAXIMISED);
    if ((options & ~static_cast<uint32_t>(WINDOW_CENTRE_ON_SCREEN | WINDOW_CENTRE_ON_PARENT | WINDOW_HIDDEN)) == 0)
        style |= platform::WS_CAPTION;

    const platform::frame_size frame = platform::frame_for_style(style, tool);
    std::optional<platform::rect> parent;
    GtkWidget* centre_on = control_parent ? control_parent : platform::foreground_window();
    if (centre_on) parent = platform::window_rect(centre_on);
    const window_placement placement =
        place_window(x, y, inner_width + frame.left + frame.right, inner_height + frame.top + frame.bottom, flags,
                     platform::screen_rect(), parent);

    platform::window_spec spec;
    spec.title = std::string(title);
    spec.style = style;
    spec.tool_window = tool;
    spec.outer = placement.outer;
    spec.system_places = placement.system_places;
    spec.procedure = window_procedure;
    GtkWidget* handle = platform::create_window(spec);
    if (!handle) return nullptr;

    platform::set_property(handle, WINDOW_NUMBER, number + 1);
    window_record& record = window_table[static_cast<size_t>(number)];
    record.handle = handle;
    record.colour = -1;
    record.minimised_or_maximised = (style & (WINDOW_MAXIMISED | WINDOW_MINIMISED)) != 0;
    platform::set_accelerators(handle, {{GDK_KEY_Tab, false, COMMAND_NEXT_CONTROL},
                                        {GDK_KEY_Tab, true, COMMAND_PREVIOUS_CONTROL}});
    if (!hidden) {
        const platform::show_mode mode = (style & WINDOW_MAXIMISED)   ? platform::show_mode::maximised
                                         : (style & WINDOW_MINIMISED) ? platform::show_mode::minimised
                                                                       : platform::show_mode::normal;
        platform::show_window(handle, mode);
    }
    if (!(flags & WINDOW_NOT_PARENT)) control_parent = handle;
    return handle;
}

void window_set_colour(int number, int colour) {
    window_record* record = record_of(number);
    if (!record || record->colour == colour) return;
    record->colour = colour;
    platform::set_background(record->handle, colour);
}

void windows_close_all() {
    for (size_t number = 0; number < window_table.size(); ++number) close_window(static_cast<int>(number));
    window_table.clear();
    control_parent = nullptr;
}

GtkWidget* window_handle(int number) {
    window_record* record = record_of(number);
    return record ? record->handle : nullptr;
}

int window_number_of(GtkWidget* window) {
    return window ? static_cast<int>(platform::get_property(window, WINDOW_NUMBER)) - 1 : -1;
}

GtkWidget* current_parent_window() { return control_parent; }

bool display_available() { return platform::ensure_gtk(); }

}  // namespace ui
