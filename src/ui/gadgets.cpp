#include "ui/gadgets.h"

#include <gtk/gtk.h>

#include <vector>

#include "platform/controls.h"
#include "platform/message_pump.h"
#include "platform/messages.h"
#include "ui/brushes.h"
#include "ui/gadgets_internal.h"
#include "ui/windows.h"

namespace ui {
namespace {

// Holds gadget number + 1, so that 0 means "not a control".
constexpr const char* GADGET_NUMBER = "lomtra-gadget-number";
// The plain window text of a control whose kind has no text operations.
constexpr const char* WINDOW_TEXT = "lomtra-window-text";

std::vector<std::unique_ptr<gadget_record>> gadget_table;

// The control is going: the kind lets go of its data, and the number becomes free.
void on_control_destroyed(GtkWidget* control, gpointer) {
    const int number = gadget_number_of(control);
    platform::forget_messages_of(control);
    platform::remove_property(control, GADGET_NUMBER);
    gadget_record* record = gadget_record_of(number);
    if (!record || record->handle != control) return;
    if (record->kind->release) record->kind->release(*record);
    brush_release(record->background_brush);
    gadget_table[static_cast<size_t>(number)].reset();
}

}  // namespace

gadget_record* register_gadget(int number, GtkWidget* widget, const gadget_kind& kind, platform::rect where,
                               bool tab_stop) {
    if (!widget) return nullptr;
    GtkWidget* parent = current_parent_window();
    if (number < 0 || !parent) {
        g_object_ref_sink(widget);
        g_object_unref(widget);
        return nullptr;
    }
    if (gadget_record* old = gadget_record_of(number)) gtk_widget_destroy(old->handle);
    if (number >= static_cast<int>(gadget_table.size())) gadget_table.resize(static_cast<size_t>(number) + 50);

    auto record = std::make_unique<gadget_record>();
    record->handle = widget;
    record->kind = &kind;
    record->number = number;
    platform::set_property(widget, GADGET_NUMBER, number + 1);
    platform::set_tab_stop(widget, tab_stop);
    g_signal_connect(widget, "destroy", G_CALLBACK(on_control_destroyed), nullptr);
    gadget_table[static_cast<size_t>(number)] = std::move(record);
    platform::add_child(parent, widget, where);
    return gadget_table[static_cast<size_t>(number)].get();
}

bool can_create_gadget(int number) { return number >= 0 && current_parent_window() != nullptr; }

gadget_record* gadget_record_of(int number) {
    if (number < 0 || number >= static_cast<int>(gadget_table.size())) return nullptr;
    return gadget_table[static_cast<size_t>(number)].get();
}

int gadget_number_of(GtkWidget* control) {
    return control ? static_cast<int>(platform::get_property(control, GADGET_NUMBER)) - 1 : -1;
}

void gadget_set_text(int gadget, std::string_view text) {
    gadget_record* record = gadget_record_of(gadget);
    if (!record) return;
    if (record->kind->set_text) {
        record->kind->set_text(*record, std::string(text));
        return;
    }
    g_object_set_data_full(G_OBJECT(record->handle), WINDOW_TEXT, g_strndup(text.data(), text.size()), g_free);
}

std::string gadget_get_text(int gadget) {
    gadget_record* record = gadget_record_of(gadget);
    if (!record) return {};
    if (record->kind->get_text) return record->kind->get_text(*record);
    const auto* text = static_cast<const char*>(g_object_get_data(G_OBJECT(record->handle), WINDOW_TEXT));
    return text ? text : "";
}

void gadget_set_state(int gadget, intptr_t value) {
    gadget_record* record = gadget_record_of(gadget);
    if (record && record->kind->set_state) record->kind->set_state(*record, value);
}

intptr_t gadget_get_state(int gadget) {
    gadget_record* record = gadget_record_of(gadget);
    return record && record->kind->get_state ? record->kind->get_state(*record) : 0;
}

void gadget_disable(int gadget, int flag) {
    if (gadget_record* record = gadget_record_of(gadget)) gtk_widget_set_sensitive(record->handle, flag == 0);
}

void gadget_set_colour(int gadget, int which, int colour) {
    gadget_record* record = gadget_record_of(gadget);
    if (record && record->kind->set_colour) record->kind->set_colour(*record, which, colour);
}

int gadget_get_colour(int gadget, int which) {
    gadget_record* record = gadget_record_of(gadget);
    return record && record->kind->get_colour ? record->kind->get_colour(*record, which) : 0;
}

intptr_t gadget_get_attribute(int gadget, int attribute) {
    gadget_record* record = gadget_record_of(gadget);
    return record && record->kind->get_attribute ? record->kind->get_attribute(*record, attribute) : 0;
}

void gadget_set_attribute(int gadget, int attribute, intptr_t value) {
    gadget_record* record = gadget_record_of(gadget);
    if (record && record->kind->set_attribute) record->kind->set_attribute(*record, attribute, value);
}

GtkWidget* gadget_handle(int gadget) {
    gadget_record* record = gadget_record_of(gadget);
    return record ? record->handle : nullptr;
}

namespace detail {

bool notify_gadget(GtkWidget* control, const platform::message& msg, intptr_t& result) {
    gadget_record* record = gadget_record_of(gadget_number_of(control));
    if (!record || record->handle != control || !record->kind->notify) return false;
    return record->kind->notify(*record, msg, result);
}

void post_command(GtkWidget* control, int notification) {
    GtkWidget* window = platform::top_level_of(control);
    if (window_number_of(window) < 0) return;
    platform::post_message(window, platform::WM_COMMAND,
                           platform::make_wparam(gadget_number_of(control), notification),
                           reinterpret_cast<intptr_t>(control));
}

void post_scroll(GtkWidget* control, bool vertical) {
    GtkWidget* window = platform::top_level_of(control);
    if (window_number_of(window) < 0) return;
    platform::post_message(window, vertical ? platform::WM_VSCROLL : platform::WM_HSCROLL, 0,
                           reinterpret_cast<intptr_t>(control));
}

void set_text_colours(gadget_record& record, int which, int colour, int fill) {
    if (which == COLOUR_TEXT) {
        record.text_colour = colour;
    } else if (which == COLOUR_BACKGROUND) {
        if (record.background_brush) platform::remove_shared_css(record.handle, brush_style(record.background_brush));
        brush_release(record.background_brush);
        record.background_brush = brush_acquire(colour);
        record.background_colour = colour;
        if (record.background_brush) platform::add_shared_css(record.handle, brush_style(record.background_brush));
    } else {
        return;
    }
    // A disabled control keeps the system's colours.
    std::string css;
    if (record.text_colour != -1)
        css = "entry:not(:disabled), label:not(:disabled) { color: " + platform::css_colour(record.text_colour) + "; }";
    if (record.text_colour != -1 && record.background_colour == -1)
        css += "entry, label { background-image: none; background-color: " + platform::css_colour(fill) + "; }";
    platform::set_control_css(record.handle, "lomtra-text-colours", css);
    gtk_widget_queue_draw(record.handle);
}

int get_text_colours(const gadget_record& record, int which) {
    if (which == COLOUR_TEXT) return record.text_colour;
    if (which == COLOUR_BACKGROUND) return record.background_colour;
    return 0;
}

}  // namespace detail
}  // namespace ui
