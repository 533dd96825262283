// Push button.
#include <gtk/gtk.h>

#include "platform/messages.h"
#include "ui/controls.h"
#include "ui/gadgets.h"
#include "ui/gadgets_internal.h"

namespace ui {
namespace {

struct button_data : gadget_data {
    bool checked = false;
};

void on_clicked(GtkButton* button, gpointer) { detail::post_command(GTK_WIDGET(button), platform::BN_CLICKED); }

intptr_t get_state(gadget_record& record) { return static_cast<button_data&>(*record.data).checked ? 1 : 0; }
void set_state(gadget_record& record, intptr_t value) { static_cast<button_data&>(*record.data).checked = value != 0; }

std::string get_text(gadget_record& record) {
    const char* label = gtk_button_get_label(GTK_BUTTON(record.handle));
    return label ? label : "";
}

void set_text(gadget_record& record, const std::string& text) {
    gtk_button_set_label(GTK_BUTTON(record.handle), text.c_str());
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.name = "button";
    kind.get_state = get_state;
    kind.set_state = set_state;
    kind.get_text = get_text;
    kind.set_text = set_text;
    return kind;
}

const gadget_kind button_kind = make_kind();

}  // namespace

GtkWidget* button_create(int gadget, int x, int y, int width, int height, std::string_view label) {
    if (!can_create_gadget(gadget)) return nullptr;
    GtkWidget* button = gtk_button_new_with_label(std::string(label).c_str());
    gtk_widget_set_focus_on_click(button, TRUE);
    gadget_record* record = register_gadget(gadget, button, button_kind, {x, y, width, height}, true);
    if (!record) return nullptr;
    record->data = std::make_unique<button_data>();
    g_signal_connect(button, "clicked", G_CALLBACK(on_clicked), nullptr);
    return button;
}

}  // namespace ui
