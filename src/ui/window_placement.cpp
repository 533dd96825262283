#include "ui/window_placement.h"

#include <algorithm>

#include "ui/windows.h"

namespace ui {

window_placement place_window(int x, int y, int outer_width, int outer_height, uint32_t flags,
                              const platform::rect& screen, std::optional<platform::rect> parent) {
    window_placement result;
    result.outer = platform::rect{x, y, outer_width, outer_height};
    if (flags & WINDOW_CENTRE_ON_SCREEN) {
        // A window larger than the screen is cut to it and so lands on the screen's corner.
        result.outer.width = std::min(outer_width, screen.width);
        result.outer.height = std::min(outer_height, screen.height);
        result.outer.x = screen.x + (screen.width - result.outer.width) / 2;
        result.outer.y = screen.y + (screen.height - result.outer.height) / 2;
    } else if ((flags & WINDOW_CENTRE_ON_PARENT) && parent) {
        result.outer.x = std::max(0, parent->x + (parent->width - outer_width) / 2);
        result.outer.y = std::max(0, parent->y + (parent->height - outer_height) / 2);
    } else if (x == WINDOW_DEFAULT_POSITION || y == WINDOW_DEFAULT_POSITION) {
        result.system_places = true;
    }
    return result;
}

}  // namespace ui
