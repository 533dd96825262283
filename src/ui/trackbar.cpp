// Trackbar (slider). A vertical trackbar reads its largest value at the top.
#include <algorithm>

#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"

namespace ui {
namespace {

struct trackbar_data : gadget_data {
    bool vertical = false;
    bool ticks = false;
    int minimum = 0;
    int maximum = 0;
};

trackbar_data& data_of(gadget_record& record) { return static_cast<trackbar_data&>(*record.data); }

intptr_t get_state(gadget_record& record) {
    const trackbar_data& data = data_of(record);
    const int position = platform::slider_value(record.handle);
    return data.vertical ? data.minimum + data.maximum - position : position;
}

// The control runs from the minimum at the left (or top) to the maximum, and clamps.
void set_state(gadget_record& record, intptr_t value) {
    const trackbar_data& data = data_of(record);
    const int position = static_cast<int>(value);
    platform::set_slider_value(record.handle, data.vertical ? data.minimum + data.maximum - position : position);
}

void set_range(gadget_record& record, int minimum, int maximum) {
    trackbar_data& data = data_of(record);
    data.minimum = std::max(minimum, 0);
    data.maximum = std::max({maximum, 0, data.minimum});
    platform::set_slider_range(record.handle, data.minimum, data.maximum, data.ticks);
}

intptr_t get_attribute(gadget_record& record, int attribute) {
    if (attribute == RANGE_MINIMUM) return data_of(record).minimum;
    if (attribute == RANGE_MAXIMUM) return data_of(record).maximum;
    return 0;
}

void set_attribute(gadget_record& record, int attribute, intptr_t value) {
    if (attribute != RANGE_MINIMUM && attribute != RANGE_MAXIMUM) return;
    const intptr_t state = get_state(record);
    const trackbar_data& data = data_of(record);
    if (attribute == RANGE_MINIMUM) set_range(record, static_cast<int>(value), data.maximum);
    else set_range(record, data.minimum, static_cast<int>(value));
    set_state(record, state);
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.act = [](gadget_record& record, platform::user_action, int, int) {
        post_control_event(record.handle, EVENT_TYPE_MOVED);
    };
    kind.get_state = get_state;
    kind.set_state = set_state;
    kind.get_attribute = get_attribute;
    kind.set_attribute = set_attribute;
    return kind;
}

const gadget_kind trackbar_kind = make_kind();

}  // namespace

platform::control* trackbar_create(int gadget, int x, int y, int width, int height, int minimum, int maximum,
                                   uint32_t flags) {
    auto data = std::make_unique<trackbar_data>();
    data->vertical = flags & TRACKBAR_VERTICAL;
    data->ticks = flags & TRACKBAR_TICKS;
    platform::control_spec spec;
    spec.kind = platform::control_kind::slider;
    spec.place = {x, y, width, height};
    spec.vertical = data->vertical;
    spec.tab_stop = true;
    gadget_record* record = create_gadget(gadget, spec, trackbar_kind, std::move(data));
    if (!record) return nullptr;
    set_range(*record, minimum, maximum);
    platform::set_slider_value(record->handle, 0);  // clamps to the minimum
    return record->handle;
}

}  // namespace ui
