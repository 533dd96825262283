#pragma once
// What the program needs from the desktop: top-level windows with an exact client area,
// controls of a few kinds placed in them, one queue of what happened to both, message
// dialogs, and a control painting itself into pixels.
//
// Windows and controls are opaque handles. Everything belongs to the one GUI thread: the
// toolkit only runs inside wait_event (or a dialog, or a web view waiting for its engine), and
// what the user does reaches the program as events taken from the queue, in order.
#include <functional>
#include <string>
#include <vector>

#include "platform/bitmap.h"

namespace platform {

struct window;
struct control;

struct rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Connects to the display once (later calls only answer); false when there is none.
bool open_display();

// ---- Windows -----------------------------------------------------------------------------

struct window_style {
    bool title_bar = true;
    bool close_box = true;
    bool sizeable = false;
    bool tool = false;  // a small title bar and no place in the task bar
};

struct window_spec {
    std::string title;
    window_style style;
    int x = 0, y = 0;                      // where the frame's top-left corner goes
    int client_width = 0, client_height = 0;
    bool system_places = false;            // the window manager chooses the position
};

// The frame drawn around the client area for a style: outer size = client size + frame.
struct frame_size {
    int left = 0, top = 0, right = 0, bottom = 0;
};
frame_size window_frame(const window_style& style);
// The primary screen in pixels.
rect screen_rect();

// A new hidden window, or null without a display. Tab and Shift+Tab in it move the keyboard
// focus among its controls that have a tab stop. A close request only posts close_requested:
// the window stays until the program destroys it.
window* create_window(const window_spec& spec);
enum class show_mode { normal, minimised, maximised };
void show_window(window* target, show_mode mode);
// Destroys the window with its controls; the queued events of both are dropped.
void destroy_window(window* target);

// Outer rectangle: position of the frame and client size plus frame.
rect window_rect(const window* target);
// Background of the client area, a colour 0x00BBGGRR, or -1 for the button-face colour;
// repaints the window.
void set_window_background(window* target, int colour);
// A disabled window takes no input from the user.
void enable_window(window* target, bool enabled);
bool is_window_enabled(const window* target);
bool is_window_visible(const window* target);
// The program's windows in creation order, and the one the desktop gives the keyboard to.
std::vector<window*> top_level_windows();
window* foreground_window();

// ---- Events --------------------------------------------------------------------------------

enum class event_kind {
    close_requested,
    moved,
    resized,
    minimised,
    maximised,
    restored,  // from minimised or maximised back to normal
    activated,
    background_painted,
    key_pressed,
    key_released,
    pointer_moved,
    button_pressed,   // `type`: 1 left, 3 right
    button_released,
    control_event,    // queued by queue_control_event: `from`, `type`
};

struct event {
    event_kind kind = event_kind::control_event;
    window* source = nullptr;
    control* from = nullptr;
    int type = 0;
};

// Takes the next event, letting the toolkit work first; waits up to timeout_ms for one (-1
// without limit, 0 not at all). False when none came.
bool wait_event(event& out, int timeout_ms);
// Queues a control_event for the control's window, behind the events already waiting. False
// when the control is in no window.
bool queue_control_event(control* from, int type);
// Lets the toolkit work for ms milliseconds (painting, pages loading) without taking events.
void run_toolkit_for(int ms);

// ---- Controls ------------------------------------------------------------------------------

enum class control_kind {
    button,        // a push button; text: its label
    field,         // a one-line editable text
    label,         // static text, wrapped at words
    slider,        // a trackbar over an integer range
    progress_bar,
    picture,       // shows the pixels its callback hands over, at its top-left corner
    web_view,      // made by create_web_view (web_view.h)
};

enum class text_alignment { left, centre, right };

struct control_spec {
    control_kind kind = control_kind::label;
    rect place;  // client coordinates of the window
    std::string text;
    bool framed = true;  // field: a sunken frame; label: a sunken edge (off by default)
    text_alignment alignment = text_alignment::left;
    bool vertical = false;  // slider
    bool tab_stop = false;
};

// What the user did to a control.
enum class user_action {
    click,             // button
    text_change,       // field
    focus_gain,        // field
    focus_loss,        // field
    value_change,      // slider moved by the user (not by set_slider_value)
    left_press,        // picture: x, y in the control
    left_double_press,
    left_release,
    right_release,
    right_double_press,
    pointer_move,      // picture, with the left button held
};

struct control_callbacks {
    std::function<void(control*, user_action, int x, int y)> acted;
    std::function<const pixel_view*(control*)> picture;  // picture: what to show now, or null
    std::function<void(control*)> destroyed;             // the control and its handle are going
};

// A new control in the window's client area, shown; null when the window is none.
control* create_control(window* parent, const control_spec& spec, control_callbacks callbacks);
void destroy_control(control* target);

std::string control_text(const control* target);
void set_control_text(control* target, const std::string& text);
void enable_control(control* target, bool enabled);
bool is_control_enabled(const control* target);
// The rectangle the control was placed at; changing the size keeps the top-left corner.
rect control_rect(const control* target);
void resize_control(control* target, int width, int height);
// Draws the control again; with_background also repaints the window under it first.
void repaint_control(control* target, bool with_background);
// The control of the window that holds the keyboard focus, or null.
control* focused_control(const window* target);
// How far the pointer moves with a button held before that is a drag.
int drag_distance();

// Slider: range, position (set_slider_value raises no value_change) and tick marks at every
// value (or only at the ends).
void set_slider_range(control* slider, int minimum, int maximum, bool mark_every_value);
int slider_value(const control* slider);
void set_slider_value(control* slider, int value);

void set_progress(control* bar, double fraction);

// Colours 0x00BBGGRR, -1 for the default. Field and label: `foreground` is the text colour of
// the enabled control and `background` its fill; progress bar: the bar and the trough.
void set_control_colours(control* target, int foreground, int background);
// A background colour that controls share (painted over their own fill).
struct shared_background;
shared_background* create_shared_background(int colour);
void delete_shared_background(shared_background* background);
void use_shared_background(control* target, shared_background* background, bool on);

// Paints the control into the pixels, its top-left pixel at their top-left pixel, clipped;
// synchronously (a web view's engine is waited for). A hidden control, or one in a hidden
// window, paints nothing; a minimised window is not hidden. True when something was painted.
// `meanwhile`, when given, runs once while the engine draws the page (before the pixels are
// touched): work of the caller's own that needs no toolkit and no wait.
// `once_taken`, when given, runs once as soon as what will be painted is fixed: a web view
// sent to another address from then on still paints the page it showed. It runs whether or
// not something is painted; the result says which.
bool render_control(control* target, const pixel_view& into, const std::function<void()>& meanwhile = {},
                    const std::function<void()>& once_taken = {});
// The size the control shows (its allocation once shown, else the size asked for).
void control_size(const control* target, int& width, int& height);

// ---- Message dialogs ----------------------------------------------------------------------

// Button sets, icons and answers of a message dialog.
enum class dialog_buttons { ok, ok_cancel, abort_retry_ignore, yes_no_cancel, yes_no, retry_cancel, cancel_try_continue };
enum class dialog_icon { none, error, question, warning, information };
enum class dialog_answer { none = 0, ok = 1, cancel = 2, abort = 3, retry = 4, ignore = 5, yes = 6, no = 7, try_again = 10, go_on = 11 };

struct dialog_spec {
    std::string title;
    std::string text;
    dialog_buttons buttons = dialog_buttons::ok;
    dialog_icon icon = dialog_icon::none;
    int default_button = 0;  // index into the button set
};

// Shows the dialog over owner (null for none; the owner takes no input meanwhile) and runs its
// modal loop until a button is pressed. Escape and the close box answer Cancel where there is
// one and OK for a lone OK button. none when no dialog can be shown.
dialog_answer run_message_dialog(window* owner, const dialog_spec& spec);

}  // namespace platform
