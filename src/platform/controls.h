#pragma once
// Controls inside a window's client area: placement at fixed client coordinates, tab stops
// and keyboard focus, and per-control colours.
#include <string>

#include "platform/window.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkCssProvider GtkCssProvider;

namespace platform {

// Puts a control into the client area of window at the rectangle and shows it. The window
// takes over the floating reference. False when window is not one of ours.
bool add_child(GtkWidget* window, GtkWidget* child, rect where);
// Changes a control's size, keeping its top-left corner.
void resize_child(GtkWidget* child, int width, int height);
// A control's rectangle in client coordinates, as placed.
rect child_rect(GtkWidget* child);

// Controls with a tab stop take part in keyboard focus movement.
void set_tab_stop(GtkWidget* child, bool tab_stop);
bool has_tab_stop(GtkWidget* child);
// Gives the focus to the next (or previous) control of the window that is enabled, visible and
// has a tab stop, in creation order, wrapping round; the first (or last) one when no control
// has the focus.
void move_focus(GtkWidget* window, bool forward);
// The control of window that holds the keyboard focus, or nullptr.
GtkWidget* focused_child(GtkWidget* window);

// "#rrggbb" for a colour 0x00BBGGRR.
std::string css_colour(int colour);
// Replaces the style sheet a control keeps under a slot name (empty css removes it).
void set_control_css(GtkWidget* control, const char* slot, const std::string& css);
// A style sheet shared between controls (a brush); adding twice is harmless.
GtkCssProvider* shared_css_new(const std::string& css);
void add_shared_css(GtkWidget* control, GtkCssProvider* provider);
void remove_shared_css(GtkWidget* control, GtkCssProvider* provider);

}  // namespace platform
