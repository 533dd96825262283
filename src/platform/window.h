#pragma once
// Top-level windows of the program, with an exact client (inner) area in device pixels.
//
// Each window is a GtkWindow whose only child is the client area, a GtkFixed that keeps
// exactly the client size it was given and holds the controls at fixed client coordinates.
// Everything the user or the display does to the window is posted to the message queue
// (message_pump.h) and reaches the window's procedure when the owner of the loop dispatches
// it. A close request (close box, the window manager's close) only posts WM_CLOSE: the window
// stays until the program destroys it.
#include <cstdint>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;

namespace platform {

using window_procedure = intptr_t (*)(GtkWidget* window, unsigned code, intptr_t wparam, intptr_t lparam);

// The window-style bits the program uses.
enum window_style : uint32_t {
    WS_MAXIMIZEBOX = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_THICKFRAME = 0x00040000,
    WS_SYSMENU = 0x00080000,
    WS_CAPTION = 0x00C00000,
    WS_MAXIMIZE = 0x01000000,
    WS_VISIBLE = 0x10000000,
    WS_MINIMIZE = 0x20000000,
};

// The system's button-face colour (0x00BBGGRR), the background of windows and dialogs.
constexpr int BUTTON_FACE_COLOUR = 0x00C8D0D4;

struct rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct frame_size {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The frame the window layer draws around the client area for a style (title bar, borders):
// the outer size of a window is its client size plus this frame.
frame_size frame_for_style(uint32_t style, bool tool_window);

// The primary screen (monitor) in device pixels.
rect screen_rect();

struct window_spec {
    std::string title;
    uint32_t style = WS_CAPTION | WS_SYSMENU;
    bool tool_window = false;
    rect outer;                   // position and outer size
    bool system_places = false;   // let the window manager choose the position
    window_procedure procedure = nullptr;
};

// Creates a hidden top-level window; nullptr when there is no display.
GtkWidget* create_window(const window_spec& spec);

enum class show_mode { normal, minimised, maximised };
void show_window(GtkWidget* window, show_mode mode);
void hide_window(GtkWidget* window);

// Destroys the window with its controls and drops its queued messages.
void destroy_window(GtkWidget* window);

// True while window is a live window made by create_window.
bool is_window(GtkWidget* window);
window_procedure procedure_of(GtkWidget* window);

// The GtkFixed client area holding the window's controls.
GtkWidget* client_area(GtkWidget* window);

// Outer rectangle (position of the frame, client size plus frame) and client size.
rect window_rect(GtkWidget* window);
rect client_rect(GtkWidget* window);

// Background of the client area: a colour 0x00BBGGRR, or -1 for the button-face colour.
// Repaints the window when the colour changes.
void set_background(GtkWidget* window, int colour);
// Asks for the whole window to be repainted.
void invalidate(GtkWidget* window);
// Number of times the client background has been painted (for checks of needless repaints).
int background_paint_count(GtkWidget* window);

// A disabled window takes no input from the user.
void enable_window(GtkWidget* window, bool enabled);
bool is_window_enabled(GtkWidget* window);
bool is_window_visible(GtkWidget* window);

// The program's top-level windows in creation order.
std::vector<GtkWidget*> top_level_windows();
// The program's window that has the keyboard focus of the desktop, or nullptr.
GtkWidget* foreground_window();
void activate_window(GtkWidget* window);

// Keys that the window turns into WM_COMMAND (high word 1, low word the command) instead of
// handing them to the focused control.
struct accelerator {
    unsigned keyval = 0;  // GDK key value
    bool shift = false;
    int command = 0;
};
void set_accelerators(GtkWidget* window, std::vector<accelerator> table);

// Named integer properties on any window or control.
void set_property(GtkWidget* widget, const char* name, intptr_t value);
intptr_t get_property(GtkWidget* widget, const char* name);
void remove_property(GtkWidget* widget, const char* name);

// The top-level window that holds a control (the widget itself when it is one).
GtkWidget* top_level_of(GtkWidget* widget);

}  // namespace platform
