// Static text.
#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"

namespace ui {
namespace {

constexpr int button_face = 0x00C8D0D4;  // the text's fill when only its text colour is set

const gadget_kind text_kind = text_like_kind<button_face>();

}  // namespace

platform::control* text_create(int gadget, int x, int y, int width, int height, std::string_view text, uint32_t flags) {
    platform::control_spec spec;
    spec.kind = platform::control_kind::label;
    spec.place = {x, y, width, height};
    spec.text = std::string(text);
    spec.framed = (flags & SUNKEN_EDGE) != 0;
    spec.alignment = (flags & TEXT_CENTRE)  ? platform::text_alignment::centre
                     : (flags & TEXT_RIGHT) ? platform::text_alignment::right
                                            : platform::text_alignment::left;
    gadget_record* record = create_gadget(gadget, spec, text_kind);
    return record ? record->handle : nullptr;
}

}  // namespace ui
