#pragma once
// Numbered top-level windows.
//
// The application opens its windows by number and addresses them by number from then on. A
// window lives until windows_close_all (or until another window is opened under its number):
// the user's close request is only reported, as EVENT_CLOSE.
#include <cstdint>
#include <string_view>

typedef struct _GtkWidget GtkWidget;

namespace ui {

// Colour value 0x00BBGGRR: r + g * 256 + b * 65536 (arguments are not masked); -1 is "no colour".
constexpr int rgb(int r, int g, int b) { return r + g * 256 + b * 65536; }

// Options in the low bits of window_open's flags; the other bits are window-style bits.
enum window_flag : uint32_t {
    WINDOW_CENTRE_ON_SCREEN = 0x1,
    WINDOW_CENTRE_ON_PARENT = 0x2,
    WINDOW_TOOL = 0x4,
    WINDOW_NOT_PARENT = 0x8,
    WINDOW_HIDDEN = 0x10000000,
    WINDOW_MAXIMISED = 0x01000000,
    WINDOW_MINIMISED = 0x20000000,
};

// x or y with this value lets the system choose the position (when no centring is asked).
constexpr int WINDOW_DEFAULT_POSITION = -65535;

// Command numbers of the keyboard focus keys.
constexpr int COMMAND_NEXT_CONTROL = 64001;
constexpr int COMMAND_PREVIOUS_CONTROL = 64002;

// Opens window `number` with the given client size; returns its native handle, or nullptr.
// Unless WINDOW_NOT_PARENT is given, controls created afterwards go into this window.
GtkWidget* window_open(int number, int x, int y, int inner_width, int inner_height, std::string_view title,
                       uint32_t flags);

// Background colour of the client area; -1 returns to the system colour. Setting the colour
// the window already has does nothing (no repaint).
void window_set_colour(int number, int colour);

// Closes every open window (at program end).
void windows_close_all();

// Native handle of window `number`, nullptr when it holds none.
GtkWidget* window_handle(int number);
// The number of a window (from its window-number property), -1 for none.
int window_number_of(GtkWidget* window);
// The window that new controls go into, nullptr when there is none.
GtkWidget* current_parent_window();

// Whether the display can be opened (windows can be made at all).
bool display_available();

}  // namespace ui
