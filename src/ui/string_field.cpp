// One-line string field.
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"

namespace ui {
namespace {

constexpr int button_highlight = 0x00FFFFFF;  // the field's fill when only its text colour is set

void act(gadget_record& record, platform::user_action action, int, int) {
    using platform::user_action;
    if (action == user_action::text_change) {
        post_control_event(record.handle, EVENT_TYPE_TEXT_TO_BE_SHOWN);
        post_control_event(record.handle, EVENT_TYPE_TEXT_CHANGED);
    } else if (action == user_action::focus_gain) {
        post_control_event(record.handle, EVENT_TYPE_FIELD_FOCUS_GAINED);
        post_control_event(record.handle, EVENT_TYPE_FOCUS_GAINED);
    } else if (action == user_action::focus_loss) {
        post_control_event(record.handle, EVENT_TYPE_FIELD_FOCUS_LOST);
        post_control_event(record.handle, EVENT_TYPE_FOCUS_LOST);
    }
}

gadget_kind make_kind() {
    gadget_kind kind = text_like_kind<button_highlight>();
    kind.act = act;
    return kind;
}

const gadget_kind field_kind = make_kind();

}  // namespace

platform::control* string_field_create(int gadget, int x, int y, int width, int height, std::string_view text,
                                       uint32_t flags) {
    platform::control_spec spec;
    spec.kind = platform::control_kind::field;
    spec.place = {x, y, width, height};
    spec.text = std::string(text);
    spec.framed = (flags & SUNKEN_EDGE) == 0;
    spec.tab_stop = true;
    gadget_record* record = create_gadget(gadget, spec, field_kind);
    return record ? record->handle : nullptr;
}

}  // namespace ui
