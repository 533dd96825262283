// One-line string field.
#include <gtk/gtk.h>

#include "platform/controls.h"
#include "platform/messages.h"
#include "ui/controls.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/gadgets_internal.h"

namespace ui {
namespace {

constexpr int BUTTON_HIGHLIGHT = 0x00FFFFFF;

void on_changed(GtkEditable* field, gpointer) {
    detail::post_command(GTK_WIDGET(field), platform::EN_UPDATE);
    detail::post_command(GTK_WIDGET(field), platform::EN_CHANGE);
}

gboolean on_focus_in(GtkWidget* field, GdkEvent*, gpointer) {
    detail::post_command(field, platform::EN_SETFOCUS);
    post_control_event(field, EVENT_TYPE_FOCUS_GAINED);
    return FALSE;
}

gboolean on_focus_out(GtkWidget* field, GdkEvent*, gpointer) {
    detail::post_command(field, platform::EN_KILLFOCUS);
    post_control_event(field, EVENT_TYPE_FOCUS_LOST);
    return FALSE;
}

std::string get_text(gadget_record& record) { return gtk_entry_get_text(GTK_ENTRY(record.handle)); }
void set_text(gadget_record& record, const std::string& text) { gtk_entry_set_text(GTK_ENTRY(record.handle), text.c_str()); }

void set_colour(gadget_record& record, int which, int colour) {
    detail::set_text_colours(record, which, colour, BUTTON_HIGHLIGHT);
}
int get_colour(gadget_record& record, int which) { return detail::get_text_colours(record, which); }

gadget_kind make_kind() {
    gadget_kind kind;
    kind.name = "string field";
    kind.get_text = get_text;
    kind.set_text = set_text;
    kind.set_colour = set_colour;
    kind.get_colour = get_colour;
    return kind;
}

const gadget_kind field_kind = make_kind();

}  // namespace

GtkWidget* string_field_create(int gadget, int x, int y, int width, int height, std::string_view text,
                               uint32_t flags) {
    if (!can_create_gadget(gadget)) return nullptr;
    GtkWidget* field = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(field), std::string(text).c_str());
    gtk_entry_set_width_chars(GTK_ENTRY(field), 1);
    gtk_entry_set_has_frame(GTK_ENTRY(field), (flags & SUNKEN_EDGE) == 0);
    if (!register_gadget(gadget, field, field_kind, {x, y, width, height}, true)) return nullptr;
    g_signal_connect(field, "changed", G_CALLBACK(on_changed), nullptr);
    g_signal_connect(field, "focus-in-event", G_CALLBACK(on_focus_in), nullptr);
    g_signal_connect(field, "focus-out-event", G_CALLBACK(on_focus_out), nullptr);
    return field;
}

}  // namespace ui
