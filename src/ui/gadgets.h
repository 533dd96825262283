#pragma once
// Controls addressed by gadget number, and the operations that work on any of them.
//
// Each kind of control (button, string field, text, trackbar, progress bar, image control,
// browser panel...) plugs its behaviour into these operations through its gadget_kind table;
// a new kind defines its own table and calls register_gadget after making its widget.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/window.h"

typedef struct _GtkWidget GtkWidget;

namespace platform {
struct message;
}

namespace ui {

struct brush;
struct gadget_kind;

// Per-kind data a control keeps with its record (the kind downcasts it).
struct gadget_data {
    virtual ~gadget_data() = default;
};

struct gadget_record {
    GtkWidget* handle = nullptr;
    const gadget_kind* kind = nullptr;
    int number = 0;
    int text_colour = -1;        // -1: not set
    int background_colour = -1;  // -1: not set
    brush* background_brush = nullptr;
    std::unique_ptr<gadget_data> data;
};

// Operations of one kind of control; any of them may be absent.
struct gadget_kind {
    const char* name = "";
    // A message from the control's window about the control (WM_COMMAND, WM_HSCROLL,
    // WM_VSCROLL); true when handled, with the procedure's result in `result`.
    bool (*notify)(gadget_record& record, const platform::message& msg, intptr_t& result) = nullptr;
    // The control is being destroyed: free what the kind holds.
    void (*release)(gadget_record& record) = nullptr;
    intptr_t (*get_state)(gadget_record& record) = nullptr;
    void (*set_state)(gadget_record& record, intptr_t value) = nullptr;
    std::string (*get_text)(gadget_record& record) = nullptr;
    void (*set_text)(gadget_record& record, const std::string& text) = nullptr;
    intptr_t (*get_attribute)(gadget_record& record, int attribute) = nullptr;
    void (*set_attribute)(gadget_record& record, int attribute, intptr_t value) = nullptr;
    void (*set_colour)(gadget_record& record, int which, int colour) = nullptr;
    int (*get_colour)(gadget_record& record, int which) = nullptr;
};

// Takes a newly made widget as control `number` of the current parent window: places it at
// `where` (client coordinates), gives it the gadget number, hooks its destruction and records
// it (a control already under that number is destroyed first). Returns the record, or nullptr
// (the widget is then destroyed) when there is no parent window or the number is negative.
gadget_record* register_gadget(int number, GtkWidget* widget, const gadget_kind& kind, platform::rect where,
                               bool tab_stop);

// Whether control `number` can be made now (a non-negative number and a parent window to put
// it in). Kinds check this before making their widget.
bool can_create_gadget(int number);

// The record of control `number`, nullptr when it holds none.
gadget_record* gadget_record_of(int number);
// The gadget number of a control, -1 when the widget is not one.
int gadget_number_of(GtkWidget* control);

// Common operations; a number that holds no control does nothing and reads 0 / empty.
void gadget_set_text(int gadget, std::string_view text);
std::string gadget_get_text(int gadget);
void gadget_set_state(int gadget, intptr_t value);
intptr_t gadget_get_state(int gadget);
void gadget_disable(int gadget, int flag);
void gadget_set_colour(int gadget, int which, int colour);
int gadget_get_colour(int gadget, int which);
intptr_t gadget_get_attribute(int gadget, int attribute);
void gadget_set_attribute(int gadget, int attribute, intptr_t value);
GtkWidget* gadget_handle(int gadget);

// Which colour gadget_set_colour sets.
enum colour_which : int { COLOUR_TEXT = 1, COLOUR_BACKGROUND = 2 };

}  // namespace ui
