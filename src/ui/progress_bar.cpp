// Progress bar.
#include <algorithm>

#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"

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

// Shows the position; the position stays inside the range.
void show(gadget_record& record) {
    progress_data& data = data_of(record);
    data.position = std::clamp(data.position, data.minimum, std::max(data.minimum, data.maximum));
    const int span = data.maximum - data.minimum;
    platform::set_progress(record.handle, span > 0 ? static_cast<double>(data.position - data.minimum) / span : 0.0);
}

void set_attribute(gadget_record& record, int attribute, intptr_t value) {
    if (attribute == RANGE_MINIMUM) data_of(record).minimum = static_cast<int>(value);
    else if (attribute == RANGE_MAXIMUM) data_of(record).maximum = static_cast<int>(value);
    else return;
    show(record);
}

void set_colour(gadget_record& record, int which, int colour) {
    progress_data& data = data_of(record);
    if (which == COLOUR_TEXT) data.bar_colour = colour;
    else if (which == COLOUR_BACKGROUND) data.background_colour = colour;
    else return;
    platform::set_control_colours(record.handle, data.bar_colour, data.background_colour);
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.get_state = [](gadget_record& record) -> intptr_t { return data_of(record).position; };
    kind.set_state = [](gadget_record& record, intptr_t value) {
        data_of(record).position = static_cast<int>(value);
        show(record);
    };
    kind.get_attribute = [](gadget_record& record, int attribute) -> intptr_t {
        if (attribute == RANGE_MINIMUM) return data_of(record).minimum;
        return attribute == RANGE_MAXIMUM ? data_of(record).maximum : 0;
    };
    kind.set_attribute = set_attribute;
    kind.set_colour = set_colour;
    kind.get_colour = [](gadget_record& record, int which) {
        if (which == COLOUR_TEXT) return data_of(record).bar_colour;
        return which == COLOUR_BACKGROUND ? data_of(record).background_colour : 0;
    };
    return kind;
}

const gadget_kind progress_kind = make_kind();

}  // namespace

platform::control* progress_bar_create(int gadget, int x, int y, int width, int height, int minimum, int maximum) {
    auto data = std::make_unique<progress_data>();
    data->minimum = data->position = minimum;
    data->maximum = maximum;
    platform::control_spec spec;
    spec.kind = platform::control_kind::progress_bar;
    spec.place = {x, y, width, height};
    gadget_record* record = create_gadget(gadget, spec, progress_kind, std::move(data));
    if (!record) return nullptr;
    show(*record);
    return record->handle;
}

}  // namespace ui
