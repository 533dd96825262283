// Trackbar (slider). A vertical trackbar reads its largest value at the top.
#include <gtk/gtk.h>

#include <algorithm>

#include "platform/message_pump.h"
#include "platform/messages.h"
#include "ui/controls.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/gadgets_internal.h"

namespace ui {
namespace {

struct trackbar_data : gadget_data {
    bool vertical = false;
    bool ticks = false;
    bool moving_by_program = false;  // programmatic moves raise no events
};

trackbar_data& data_of(gadget_record& record) { return static_cast<trackbar_data&>(*record.data); }

GtkAdjustment* adjustment_of(gadget_record& record) { return gtk_range_get_adjustment(GTK_RANGE(record.handle)); }
int minimum_of(gadget_record& record) { return static_cast<int>(gtk_adjustment_get_lower(adjustment_of(record))); }
int maximum_of(gadget_record& record) { return static_cast<int>(gtk_adjustment_get_upper(adjustment_of(record))); }
int position_of(gadget_record& record) {
    return static_cast<int>(gtk_adjustment_get_value(adjustment_of(record)) + 0.5);
}

// Native positions run from the minimum at the left (or top) to the maximum.
void set_position(gadget_record& record, int position) {
    trackbar_data& data = data_of(record);
    data.moving_by_program = true;
    gtk_range_set_value(GTK_RANGE(record.handle), position);  // clamps to the range
    data.moving_by_program = false;
}

void place_marks(gadget_record& record) {
    GtkScale* scale = GTK_SCALE(record.handle);
    gtk_scale_clear_marks(scale);
    const int minimum = minimum_of(record);
    const int maximum = maximum_of(record);
    // Without per-value ticks, the ends are still marked.
    if (!data_of(record).ticks) {
        gtk_scale_add_mark(scale, minimum, GTK_POS_BOTTOM, nullptr);
        gtk_scale_add_mark(scale, maximum, GTK_POS_BOTTOM, nullptr);
        return;
    }
    for (int value = minimum; value <= maximum; ++value) gtk_scale_add_mark(scale, value, GTK_POS_BOTTOM, nullptr);
}

void on_value_changed(GtkRange* range, gpointer) {
    gadget_record* record = gadget_record_of(gadget_number_of(GTK_WIDGET(range)));
    if (!record || data_of(*record).moving_by_program) return;
    detail::post_scroll(GTK_WIDGET(range), data_of(*record).vertical);
}

bool notify(gadget_record& record, const platform::message& msg, intptr_t& result) {
    if (msg.code != platform::WM_HSCROLL && msg.code != platform::WM_VSCROLL) return false;
    post_control_event(record.handle, 0);
    result = 0;
    return true;
}

intptr_t get_state(gadget_record& record) {
    const int position = position_of(record);
    if (data_of(record).vertical) return minimum_of(record) + maximum_of(record) - position;
    return position;
}

void set_state(gadget_record& record, intptr_t value) {
    int position = static_cast<int>(value);
    if (data_of(record).vertical) position = minimum_of(record) + maximum_of(record) - position;
    set_position(record, position);
    gtk_widget_queue_draw(record.handle);
}

intptr_t get_attribute(gadget_record& record, int attribute) {
    if (attribute == 1) return minimum_of(record);
    if (attribute == 2) return maximum_of(record);
    return 0;
}

void set_attribute(gadget_record& record, int attribute, intptr_t value) {
    if (attribute != 1 && attribute != 2) return;
    const intptr_t state = get_state(record);
    int minimum = minimum_of(record);
    int maximum = maximum_of(record);
    if (attribute == 1) minimum = std::max(0, static_cast<int>(value));
    else maximum = std::max(0, static_cast<int>(value));
    data_of(record).moving_by_program = true;
    gtk_range_set_range(GTK_RANGE(record.handle), minimum, std::max(minimum, maximum));
    data_of(record).moving_by_program = false;
    place_marks(record);
    set_state(record, state);
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.name = "trackbar";
    kind.notify = notify;
    kind.get_state = get_state;
    kind.set_state = set_state;
    kind.get_attribute = get_attribute;
    kind.set_attribute = set_attribute;
    return kind;
}

const gadget_kind trackbar_kind = make_kind();

}  // namespace

GtkWidget* trackbar_create(int gadget, int x, int y, int width, int height, int minimum, int maximum,
                           uint32_t flags) {
    if (!can_create_gadget(gadget)) return nullptr;
    minimum = std::max(minimum, 0);
    maximum = std::max(std::max(maximum, 0), minimum);
    const bool vertical = flags & TRACKBAR_VERTICAL;
    GtkAdjustment* adjustment = gtk_adjustment_new(minimum, minimum, maximum, 1, 1, 0);
    GtkWidget* scale = gtk_scale_new(vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, adjustment);
    gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
    gtk_scale_set_digits(GTK_SCALE(scale), 0);
    gtk_range_set_round_digits(GTK_RANGE(scale), 0);
    gadget_record* record = register_gadget(gadget, scale, trackbar_kind, {x, y, width, height}, true);
    if (!record) return nullptr;
    auto data = std::make_unique<trackbar_data>();
    data->vertical = vertical;
    data->ticks = flags & TRACKBAR_TICKS;
    record->data = std::move(data);
    place_marks(*record);
    set_position(*record, 0);  // clamps to the minimum
    g_signal_connect(scale, "value-changed", G_CALLBACK(on_value_changed), nullptr);
    return scale;
}

}  // namespace ui
