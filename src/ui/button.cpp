// Push button.
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"

namespace ui {
namespace {

struct button_data : gadget_data {
    bool checked = false;
};

void act(gadget_record& record, platform::user_action, int, int) {
    post_control_event(record.handle, EVENT_TYPE_CLICKED);
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.act = act;
    kind.get_state = [](gadget_record& record) -> intptr_t { return static_cast<button_data&>(*record.data).checked; };
    kind.set_state = [](gadget_record& record, intptr_t value) {
        static_cast<button_data&>(*record.data).checked = value != 0;
    };
    kind.get_text = shown_text;
    kind.set_text = show_text;
    return kind;
}

const gadget_kind button_kind = make_kind();

}  // namespace

platform::control* button_create(int gadget, int x, int y, int width, int height, std::string_view label) {
    platform::control_spec spec;
    spec.kind = platform::control_kind::button;
    spec.place = {x, y, width, height};
    spec.text = std::string(label);
    spec.tab_stop = true;
    gadget_record* record = create_gadget(gadget, spec, button_kind, std::make_unique<button_data>());
    return record ? record->handle : nullptr;
}

}  // namespace ui
