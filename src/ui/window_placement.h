#pragma once
// Where a new window goes: centring on the screen or on a parent, with the size clamp.
#include <cstdint>
#include <optional>

#include "platform/gui.h"

namespace ui {

struct window_placement {
    platform::rect outer;          // position and outer size
    bool system_places = false;    // the window manager chooses the position
};

// flags: the window_open flags; outer_width/height: client size plus frame; parent: the
// rectangle to centre on for WINDOW_CENTRE_ON_PARENT (the parent, else the active window).
window_placement place_window(int x, int y, int outer_width, int outer_height, uint32_t flags,
                              const platform::rect& screen, std::optional<platform::rect> parent);

}  // namespace ui
