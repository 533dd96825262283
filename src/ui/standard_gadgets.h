#pragma once
// Creation of the standard gadgets in the current parent window (see windows.h). Each returns
// the gadget's handle, or null when it cannot be made (no parent window). Coordinates are
// client pixels of the parent window.
#include <cstdint>
#include <string_view>

#include "platform/gui.h"

namespace ui {

// Options of text_create and string_field_create.
enum text_flag : uint32_t {
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
platform::control* button_create(int gadget, int x, int y, int width, int height, std::string_view label);

// One-line editable field. Events: 1024 then 768 for every change of its text; 256 and 14000
// when it gains the keyboard focus, 512 and 14001 when it loses it. Colours: 1 text, 2
// background.
platform::control* string_field_create(int gadget, int x, int y, int width, int height, std::string_view text,
                               uint32_t flags = 0);

// Static text. Colours: 1 text, 2 background.
platform::control* text_create(int gadget, int x, int y, int width, int height, std::string_view text, uint32_t flags = 0);

// Trackbar over minimum..maximum (each at least 0), starting at the minimum. State: position;
// attributes 1 minimum, 2 maximum. Event type 0 for every move.
platform::control* trackbar_create(int gadget, int x, int y, int width, int height, int minimum, int maximum,
                           uint32_t flags = 0);

// Progress bar over minimum..maximum. State: position (clamped to the range); attributes 1
// minimum, 2 maximum. Colours: 1 bar, 2 background.
platform::control* progress_bar_create(int gadget, int x, int y, int width, int height, int minimum, int maximum);

// Event types of the standard gadgets.
enum gadget_event_type : int {
    EVENT_TYPE_CLICKED = 0,        // a button
    EVENT_TYPE_MOVED = 0,          // a trackbar, for every move
    EVENT_TYPE_FIELD_FOCUS_GAINED = 256,
    EVENT_TYPE_FIELD_FOCUS_LOST = 512,
    EVENT_TYPE_TEXT_CHANGED = 768,
    EVENT_TYPE_TEXT_TO_BE_SHOWN = 1024,
    EVENT_TYPE_FOCUS_GAINED = 14000,
    EVENT_TYPE_FOCUS_LOST = 14001,
    EVENT_TYPE_DRAG_STARTED = 14002,
};

// Attributes of trackbars and progress bars.
enum range_attribute : int { RANGE_MINIMUM = 1, RANGE_MAXIMUM = 2 };

}  // namespace ui
