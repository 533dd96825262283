// Progress bar.
#include <gtk/gtk.h>

#include <algorithm>

#include "platform/controls.h"
#include "ui/controls.h"
#include "ui/gadgets.h"

namespace ui {
namespace {

struct progress_data : gadget_data {
    int minimum = 0;
    int maximum = 100;
    int position = 0;
    int bar_colour = -1;
    int background_colour = -1;
};

progress_data& data_of(gadget_record& record) { return static_cast<progress_data&>(*record.data); }

// Shows the position; like the native control, the position stays inside the range.
void show(gadget_record& record) {
    progress_data& data = data_of(record);
    data.position = std::clamp(data.position, data.minimum, std::max(data.minimum, data.maximum));
    const int span = data.maximum - data.minimum;
    const double fraction = span > 0 ? static_cast<double>(data.position - data.minimum) / span : 0.0;
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(record.handle), fraction);
}

intptr_t get_state(gadget_record& record) { return data_of(record).position; }

void set_state(gadget_record& record, intptr_t value) {
    data_of(record).position = static_cast<int>(value);
    show(record);
}

intptr_t get_attribute(gadget_record& record, int attribute) {
    if (attribute == 1) return data_of(record).minimum;
    if (attribute == 2) return data_of(record).maximum;
    return 0;
}

void set_attribute(gadget_record& record, int attribute, intptr_t value) {
    if (attribute == 1) data_of(record).minimum = static_cast<int>(value);
    else if (attribute == 2) data_of(record).maximum = static_cast<int>(value);
    else return;
    show(record);
}

void set_colour(gadget_record& record, int which, int colour) {
    progress_data& data = data_of(record);
    if (which == 1) data.bar_colour = colour;
    else if (which == 2) data.background_colour = colour;
    else return;
    std::string css;
    if (data.bar_colour != -1)
        css += "progressbar progress { background-image: none; background-color: " +
               platform::css_colour(data.bar_colour) + "; }";
    if (data.background_colour != -1)
        css += "progressbar trough { background-image: none; background-color: " +
               platform::css_colour(data.background_colour) + "; }";
    platform::set_control_css(record.handle, "lomtra-progress-colours", css);
}

int get_colour(gadget_record& record, int which) {
    if (which == 1) return data_of(record).bar_colour;
    if (which == 2) return data_of(record).background_colour;
    return 0;
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.name = "progress bar";
    kind.get_state = get_state;
    kind.set_state = set_state;
    kind.get_attribute = get_attribute;
    kind.set_attribute = set_attribute;
    kind.set_colour = set_colour;
    kind.get_colour = get_colour;
    return kind;
}

const gadget_kind progress_kind = make_kind();

}  // namespace

GtkWidget* progress_bar_create(int gadget, int x, int y, int width, int height, int minimum, int maximum) {
    if (!can_create_gadget(gadget)) return nullptr;
    GtkWidget* bar = gtk_progress_bar_new();
    gadget_record* record = register_gadget(gadget, bar, progress_kind, {x, y, width, height}, false);
    if (!record) return nullptr;
    auto data = std::make_unique<progress_data>();
    data->minimum = minimum;
    data->maximum = maximum;
    data->position = minimum;
    record->data = std::move(data);
    show(*record);
    return bar;
}

}  // namespace ui
