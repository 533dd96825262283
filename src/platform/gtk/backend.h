#pragma once
// The records behind the platform's window and control handles, shared by the GTK files.
// Only code under src/platform/ includes this header.
#include <gtk/gtk.h>

#include <memory>

#include "platform/gui.h"

namespace platform {

struct web_view_state;

struct window {
    GtkWidget* widget = nullptr;
    GtkWidget* client = nullptr;  // the GtkFixed that holds the controls
    frame_size frame;
    int background = -1;
    int paint_count = 0;
    bool enabled = true;
    bool minimised = false;
    bool maximised = false;
    int x = 0, y = 0, width = 0, height = 0;  // last reported position and client size
};

struct control {
    GtkWidget* widget = nullptr;
    window* parent = nullptr;
    control_kind kind = control_kind::label;
    rect place;
    bool tab_stop = false;
    bool moved_by_program = false;  // slider: set_slider_value is not the user's move
    control_callbacks callbacks;
    std::shared_ptr<web_view_state> web;  // web views only
};

// Styles the program's controls the classic way (open_display does it once).
void install_classic_look();

// Queues an event (events of a window or control that is gone are never queued).
void post_event(const event& happened);
// Drops the queued events of a window or control that is being destroyed.
void forget_events_of(const void* window_or_control);

// Takes a widget made by a control kind as a control of the window: places it, shows it and
// routes its destruction; the control owns the record from then on. Null (and the widget
// destroyed) when the window is none.
control* adopt_widget(window* parent, GtkWidget* widget, const control_spec& spec, control_callbacks callbacks);
// The control whose widget this is, or null.
control* control_of(GtkWidget* widget);

// Answers every message dialog that is up as refused: No where there is one, else Cancel, else
// its lone button (the program is being ended from outside and must not wait for a person).
void dismiss_message_dialogs();

// "#rrggbb" for a colour 0x00BBGGRR.
std::string css_colour(int colour);

}  // namespace platform
