#pragma once
// Creation of the standard controls in the current parent window (see windows.h). Each returns
// the control's native handle, or nullptr when it cannot be made (no parent window).
// Coordinates are client pixels of the parent window.
#include <cstdint>
#include <string_view>

typedef struct _GtkWidget GtkWidget;

namespace ui {

// Options of text_create and string_field_create.
enum control_flag : uint32_t {
    TEXT_CENTRE = 0x1,
    TEXT_RIGHT = 0x2,
    SUNKEN_EDGE = 0x20000,  // adds a sunken edge to a text, removes it from a string field
};

// Options of trackbar_create.
enum trackbar_flag : uint32_t {
    TRACKBAR_TICKS = 0x1,     // a tick mark for every value
    TRACKBAR_VERTICAL = 0x2,  // vertical; the top is the largest value
};

// Push button; event type 0 when clicked. State: checked flag.
GtkWidget* button_create(int gadget, int x, int y, int width, int height, std::string_view label);

// One-line editable field. Events: its notification codes (256 focus gained, 512 focus lost,
// 768 text changed, 1024 text about to be shown), and 14000 / 14001 on gaining / losing the
// keyboard focus. Colours: 1 text, 2 background.
GtkWidget* string_field_create(int gadget, int x, int y, int width, int height, std::string_view text,
                               uint32_t flags = 0);

// Static text. Colours: 1 text, 2 background.
GtkWidget* text_create(int gadget, int x, int y, int width, int height, std::string_view text, uint32_t flags = 0);

// Trackbar over minimum..maximum (each at least 0), starting at the minimum. State: position;
// attributes 1 minimum, 2 maximum. Event type 0 for every move.
GtkWidget* trackbar_create(int gadget, int x, int y, int width, int height, int minimum, int maximum,
                           uint32_t flags = 0);

// Progress bar over minimum..maximum. State: position (clamped to the range); attributes 1
// minimum, 2 maximum. Colours: 1 bar, 2 background.
GtkWidget* progress_bar_create(int gadget, int x, int y, int width, int height, int minimum, int maximum);

// Event types of controls beyond their native notification codes.
enum control_event_type : int {
    EVENT_TYPE_FOCUS_GAINED = 14000,
    EVENT_TYPE_FOCUS_LOST = 14001,
    EVENT_TYPE_DRAG_STARTED = 14002,
};

}  // namespace ui
