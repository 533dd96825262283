#include "ui/windows.h"

#include <string>
#include <vector>

#include "ui/window_placement.h"

namespace ui {
namespace {

struct window_record {
    platform::window* handle = nullptr;
    int colour = -1;
};

std::vector<window_record> window_table;
platform::window* gadget_parent = nullptr;

window_record* record_of(int number) {
    if (number < 0 || number >= static_cast<int>(window_table.size())) return nullptr;
    window_record& record = window_table[static_cast<size_t>(number)];
    return record.handle ? &record : nullptr;
}

void close_window(int number) {
    window_record* record = record_of(number);
    if (!record) return;
    platform::window* handle = record->handle;
    *record = window_record{};
    if (gadget_parent == handle) gadget_parent = nullptr;
    platform::destroy_window(handle);
}

platform::window_style style_of(uint32_t flags) {
    platform::window_style style;
    style.tool = flags & WINDOW_TOOL;
    // Without anything beyond centring and hiding, a window still gets its title bar.
    const uint32_t frame = flags & ~static_cast<uint32_t>(WINDOW_CENTRE_ON_SCREEN | WINDOW_CENTRE_ON_PARENT |
                                                          WINDOW_HIDDEN | WINDOW_NOT_PARENT);
    style.title_bar = frame == 0 || (flags & WINDOW_TITLE_BAR) == WINDOW_TITLE_BAR;
    style.close_box = flags & WINDOW_CLOSE_BOX;
    style.sizeable = flags & WINDOW_SIZEABLE;
    return style;
}

}  // namespace

platform::window* window_open(int number, int x, int y, int inner_width, int inner_height, std::string_view title,
                              uint32_t flags) {
    if (number < 0) return nullptr;
    if (number >= static_cast<int>(window_table.size())) window_table.resize(static_cast<size_t>(number) + 1);
    close_window(number);  // a new window under a number replaces the old one

    platform::window_spec spec;
    spec.title = std::string(title);
    spec.style = style_of(flags);
    spec.client_width = inner_width;
    spec.client_height = inner_height;
    const platform::frame_size frame = platform::window_frame(spec.style);
    std::optional<platform::rect> parent;
    platform::window* centre_on = gadget_parent ? gadget_parent : platform::foreground_window();
    if (centre_on) parent = platform::window_rect(centre_on);
    const window_placement placement =
        place_window(x, y, inner_width + frame.left + frame.right, inner_height + frame.top + frame.bottom, flags,
                     platform::screen_rect(), parent);
    spec.x = placement.outer.x;
    spec.y = placement.outer.y;
    // A window larger than the screen is cut to it.
    spec.client_width = placement.outer.width - frame.left - frame.right;
    spec.client_height = placement.outer.height - frame.top - frame.bottom;
    spec.system_places = placement.system_places;
    platform::window* handle = platform::create_window(spec);
    if (!handle) return nullptr;

    window_table[static_cast<size_t>(number)] = window_record{handle, -1};
    const bool tool = flags & WINDOW_TOOL;
    if (!(flags & WINDOW_HIDDEN)) {
        const platform::show_mode mode = (!tool && (flags & WINDOW_MAXIMISED))   ? platform::show_mode::maximised
                                         : (!tool && (flags & WINDOW_MINIMISED)) ? platform::show_mode::minimised
                                                                                  : platform::show_mode::normal;
        platform::show_window(handle, mode);
    }
    if (!(flags & WINDOW_NOT_PARENT)) gadget_parent = handle;
    return handle;
}

void window_set_colour(int number, int colour) {
    window_record* record = record_of(number);
    if (!record || record->colour == colour) return;
    record->colour = colour;
    platform::set_window_background(record->handle, colour);
}

void windows_close_all() {
    for (size_t number = 0; number < window_table.size(); ++number) close_window(static_cast<int>(number));
    window_table.clear();
    gadget_parent = nullptr;
}

platform::window* window_handle(int number) {
    window_record* record = record_of(number);
    return record ? record->handle : nullptr;
}

int window_number_of(const platform::window* handle) {
    for (size_t number = 0; handle && number < window_table.size(); ++number)
        if (window_table[number].handle == handle) return static_cast<int>(number);
    return -1;
}

platform::window* current_parent_window() { return gadget_parent; }

bool display_available() { return platform::open_display(); }

}  // namespace ui
