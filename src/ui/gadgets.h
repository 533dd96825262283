#pragma once
// Gadgets: the program's controls, addressed by number, and the operations that work on any
// of them.
//
// Each kind of gadget (button, string field, text, trackbar, progress bar, image control,
// browser panel...) plugs its behaviour into these operations through its gadget_kind table;
// a new kind defines its own table and makes its gadgets with create_gadget.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/gui.h"

namespace ui {

struct brush;
struct gadget_kind;

// Per-kind data a gadget keeps with its record (the kind downcasts it).
struct gadget_data {
    virtual ~gadget_data() = default;
};

struct gadget_record {
    platform::control* handle = nullptr;
    const gadget_kind* kind = nullptr;
    int number = 0;
    std::string text;            // the text of a kind without text operations
    int text_colour = -1;        // -1: not set
    int background_colour = -1;  // -1: not set
    brush* background_brush = nullptr;
    std::unique_ptr<gadget_data> data;
};

// Operations of one kind of gadget; any of them may be absent.
struct gadget_kind {
    // The user did something to the gadget (reported by its control while the toolkit works).
    void (*act)(gadget_record& record, platform::user_action action, int x, int y) = nullptr;
    // What a picture gadget shows now, or null.
    const platform::pixel_view* (*picture)(gadget_record& record) = nullptr;
    intptr_t (*get_state)(gadget_record& record) = nullptr;
    void (*set_state)(gadget_record& record, intptr_t value) = nullptr;
    std::string (*get_text)(gadget_record& record) = nullptr;
    void (*set_text)(gadget_record& record, const std::string& text) = nullptr;
    intptr_t (*get_attribute)(gadget_record& record, int attribute) = nullptr;
    void (*set_attribute)(gadget_record& record, int attribute, intptr_t value) = nullptr;
    void (*set_colour)(gadget_record& record, int which, int colour) = nullptr;
    int (*get_colour)(gadget_record& record, int which) = nullptr;
};

// The callbacks that route what a control reports to its gadget's kind. A kind that makes its
// own control (a browser panel) passes them to the platform.
platform::control_callbacks gadget_callbacks();

// Makes gadget `number` in the current parent window: a control of the spec's kind, its
// record and `data`. A gadget already under that number is destroyed first. Null when there
// is no parent window, the number is negative or the control cannot be made.
gadget_record* create_gadget(int number, const platform::control_spec& spec, const gadget_kind& kind,
                             std::unique_ptr<gadget_data> data = nullptr);
// The same for a control the kind has made itself with gadget_callbacks().
gadget_record* register_gadget(int number, platform::control* handle, const gadget_kind& kind,
                               std::unique_ptr<gadget_data> data = nullptr);

// Whether gadget `number` can be made now (a non-negative number and a parent window).
bool can_create_gadget(int number);

// The record of gadget `number`, null when it holds none.
gadget_record* gadget_record_of(int number);
// The gadget number of a control, -1 when it is no gadget.
int gadget_number_of(const platform::control* handle);

// Common operations; a number that holds no gadget does nothing and reads 0 / empty.
void gadget_set_text(int gadget, std::string_view text);
std::string gadget_get_text(int gadget);
void gadget_set_state(int gadget, intptr_t value);
intptr_t gadget_get_state(int gadget);
void gadget_disable(int gadget, int flag);
void gadget_set_colour(int gadget, int which, int colour);
int gadget_get_colour(int gadget, int which);
intptr_t gadget_get_attribute(int gadget, int attribute);
void gadget_set_attribute(int gadget, int attribute, intptr_t value);
platform::control* gadget_handle(int gadget);

// Which colour gadget_set_colour sets.
enum colour_which : int { COLOUR_TEXT = 1, COLOUR_BACKGROUND = 2 };  // a progress bar: its bar, its trough

// The text operations of kinds whose control shows the text itself (button, field, text).
std::string shown_text(gadget_record& record);
void show_text(gadget_record& record, const std::string& text);

// Colours of text-like gadgets (string fields and texts): the text colour, and the background
// through the shared brush list; `fill` is the background shown when only the text colour is
// set. Repaints the gadget.
void set_text_colours(gadget_record& record, int which, int colour, int fill);
int get_text_colours(const gadget_record& record, int which);

// The table of a text-like kind: its text is what its control shows, and its colours are set
// as above with `fill`.
template <int fill>
gadget_kind text_like_kind() {
    gadget_kind kind;
    kind.get_text = shown_text;
    kind.set_text = show_text;
    kind.set_colour = [](gadget_record& record, int which, int colour) { set_text_colours(record, which, colour, fill); };
    kind.get_colour = [](gadget_record& record, int which) { return get_text_colours(record, which); };
    return kind;
}

}  // namespace ui
