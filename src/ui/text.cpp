// Static text.
#include <gtk/gtk.h>

#include "platform/window.h"
#include "ui/controls.h"
#include "ui/gadgets.h"
#include "ui/gadgets_internal.h"

namespace ui {
namespace {

std::string get_text(gadget_record& record) { return gtk_label_get_text(GTK_LABEL(record.handle)); }
void set_text(gadget_record& record, const std::string& text) { gtk_label_set_text(GTK_LABEL(record.handle), text.c_str()); }

void set_colour(gadget_record& record, int which, int colour) {
    detail::set_text_colours(record, which, colour, platform::BUTTON_FACE_COLOUR);
}
int get_colour(gadget_record& record, int which) { return detail::get_text_colours(record, which); }

gadget_kind make_kind() {
    gadget_kind kind;
    kind.name = "text";
    kind.get_text = get_text;
    kind.set_text = set_text;
    kind.set_colour = set_colour;
    kind.get_colour = get_colour;
    return kind;
}

const gadget_kind text_kind = make_kind();

}  // namespace

GtkWidget* text_create(int gadget, int x, int y, int width, int height, std::string_view text, uint32_t flags) {
    if (!can_create_gadget(gadget)) return nullptr;
    GtkWidget* label = gtk_label_new(std::string(text).c_str());
    // Static text starts at the top of its box and wraps at word boundaries.
    const bool centre = flags & TEXT_CENTRE;
    const bool right = !centre && (flags & TEXT_RIGHT);
    gtk_label_set_xalign(GTK_LABEL(label), centre ? 0.5f : right ? 1.0f : 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_justify(GTK_LABEL(label), centre ? GTK_JUSTIFY_CENTER : right ? GTK_JUSTIFY_RIGHT : GTK_JUSTIFY_LEFT);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    if (flags & SUNKEN_EDGE) gtk_style_context_add_class(gtk_widget_get_style_context(label), "lomtra-sunken");
    if (!register_gadget(gadget, label, text_kind, {x, y, width, height}, false)) return nullptr;
    return label;
}

}  // namespace ui
