// Image control: shows an image of the image store unscaled at its top-left corner and takes
// the image's size. It keeps only the image's handle, so setting the same handle again after
// drawing into the image shows the new pixels.
#include "ui/image_control.h"

#include <cstdlib>

#include "imaging/image_store.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"

namespace ui {
namespace {

struct image_data : gadget_data {
    platform::bitmap* image = nullptr;
    bool left_held = false;
    int down_x = 0, down_y = 0;
    int drag_distance = 4;
    bool after_right_double_click = false;
};

image_data& data_of(gadget_record& record) { return static_cast<image_data&>(*record.data); }

// The handle may outlive its image (the number reused); only an image still in the store is
// drawn, so a stale handle shows nothing instead of reading freed memory.
bool still_stored(const platform::bitmap* image) { return imaging::holds_bitmap(image); }

void act(gadget_record& record, platform::user_action action, int x, int y) {
    using platform::user_action;
    image_data& data = data_of(record);
    switch (action) {
        case user_action::left_press:
            data.left_held = true;
            data.down_x = x;
            data.down_y = y;
            break;
        case user_action::left_double_press:
            data.left_held = false;  // the second press of a double click is no click of its own
            post_control_event(record.handle, IMAGE_EVENT_LEFT_DOUBLE_CLICK);
            break;
        case user_action::right_double_press:
            data.after_right_double_click = true;
            post_control_event(record.handle, IMAGE_EVENT_RIGHT_DOUBLE_CLICK);
            break;
        case user_action::left_release:
            // A press and release without a drag is a click.
            if (data.left_held) post_control_event(record.handle, IMAGE_EVENT_LEFT_CLICK);
            data.left_held = false;
            break;
        case user_action::right_release:
            if (!data.after_right_double_click) post_control_event(record.handle, IMAGE_EVENT_RIGHT_CLICK);
            data.after_right_double_click = false;
            break;
        case user_action::pointer_move:
            if (data.left_held &&
                (std::abs(x - data.down_x) > data.drag_distance || std::abs(y - data.down_y) > data.drag_distance)) {
                data.left_held = false;
                post_control_event(record.handle, EVENT_TYPE_DRAG_STARTED);
            }
            break;
        default: break;
    }
}

void set_state(gadget_record& record, intptr_t value) {
    image_data& data = data_of(record);
    data.image = reinterpret_cast<platform::bitmap*>(value);
    if (!still_stored(data.image)) {
        platform::repaint_control(record.handle, false);
        return;
    }
    platform::resize_control(record.handle, data.image->width, data.image->height);
    // A picture with alpha shows what lies under it, so the window's background is repainted too.
    platform::repaint_control(record.handle, data.image->depth == 32);
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.act = act;
    kind.picture = [](gadget_record& record) -> const platform::pixel_view* {
        platform::bitmap* image = data_of(record).image;
        return still_stored(image) ? image : nullptr;
    };
    kind.get_state = [](gadget_record& record) { return reinterpret_cast<intptr_t>(data_of(record).image); };
    kind.set_state = set_state;
    return kind;
}

const gadget_kind image_kind = make_kind();

}  // namespace

platform::control* image_control_create(int gadget, int x, int y, int width, int height, intptr_t image) {
    auto data = std::make_unique<image_data>();
    data->drag_distance = platform::drag_distance();
    platform::control_spec spec;
    spec.kind = platform::control_kind::picture;
    spec.place = {x, y, width, height};
    gadget_record* record = create_gadget(gadget, spec, image_kind, std::move(data));
    if (!record) return nullptr;
    if (image) set_state(*record, image);
    return record->handle;
}

}  // namespace ui
