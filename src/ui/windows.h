#pragma once
// Numbered top-level windows.
//
// The application opens its windows by number and addresses them by number from then on. A
// window lives until windows_close_all (or until another window is opened under its number):
// the user's close request is only reported, as EVENT_CLOSE.
#include <cstdint>
#include <string_view>

#include "platform/gui.h"

namespace ui {

// Colour value 0x00BBGGRR: r + g * 256 + b * 65536 (arguments are not masked); -1 is "no colour".
constexpr int rgb(int r, int g, int b) { return r + g * 256 + b * 65536; }

// Flags of window_open: options in the low bits, the window's frame in the others.
enum window_flag : uint32_t {
    WINDOW_CENTRE_ON_SCREEN = 0x1,
    WINDOW_CENTRE_ON_PARENT = 0x2,
    WINDOW_TOOL = 0x4,
    WINDOW_NOT_PARENT = 0x8,         // gadgets made afterwards do not go into this window
    WINDOW_MAXIMISE_BOX = 0x00010000,
    WINDOW_MINIMISE_BOX = 0x00020000,
    WINDOW_SIZEABLE = 0x00040000,
    WINDOW_CLOSE_BOX = 0x00080000,   // the system menu with its close box
    WINDOW_TITLE_BAR = 0x00C00000,
    WINDOW_MAXIMISED = 0x01000000,
    WINDOW_HIDDEN = 0x10000000,
    WINDOW_MINIMISED = 0x20000000,
};

// x or y with this value lets the system choose the position (when no centring is asked).
constexpr int WINDOW_DEFAULT_POSITION = -65535;

// Opens window `number` with the given client size; returns its handle, or null. Without an
// option beyond centring and hiding, the window gets a title bar. Unless WINDOW_NOT_PARENT is
// given, gadgets created afterwards go into this window.
platform::window* window_open(int number, int x, int y, int inner_width, int inner_height, std::string_view title,
                              uint32_t flags);

// Background colour of the client area; -1 returns to the system colour. Setting the colour
// the window already has does nothing (no repaint).
void window_set_colour(int number, int colour);

// Closes every open window (at program end).
void windows_close_all();

// Handle of window `number`, null when it holds none.
platform::window* window_handle(int number);
// The number of a window, -1 for none of ours.
int window_number_of(const platform::window* handle);
// The window that new gadgets go into, null when there is none.
platform::window* current_parent_window();

// Whether the display can be opened (windows can be made at all).
bool display_available();

}  // namespace ui
