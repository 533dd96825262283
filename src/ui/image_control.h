#pragma once
// The image control: shows an image of the image store (its handle, as create_image returns
// it) at its top-left corner, unscaled, and takes the image's size. State: the image handle.
// Events: 0 left click, 2 left double click, 1 right click, 3 right double click, 14002 drag
// started (the left button held and moved beyond the system's drag distance).
#include <cstdint>

#include "platform/gui.h"

namespace ui {

enum image_event_type : int {
    IMAGE_EVENT_LEFT_CLICK = 0,
    IMAGE_EVENT_RIGHT_CLICK = 1,
    IMAGE_EVENT_LEFT_DOUBLE_CLICK = 2,
    IMAGE_EVENT_RIGHT_DOUBLE_CLICK = 3,
};

platform::control* image_control_create(int gadget, int x, int y, int width, int height, intptr_t image);

}  // namespace ui
