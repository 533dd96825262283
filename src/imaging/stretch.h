#pragma once
// Stretching a rectangle of pixels onto another: the averaging stretch that shrinks preview
// cells, and the nearest-pixel stretch.
#include "platform/bitmap.h"

namespace imaging {

// A rectangle inside a bitmap's pixels (x, y from the top-left corner).
struct pixel_rect {
    platform::pixel_view view;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Averaging stretch: each axis is shrunk by area weighting (every source pixel counts in
// proportion to how much of it the destination pixel covers) and enlarged by linear
// interpolation between pixel centres. Every byte of a pixel is a channel of its own. The
// rectangles must lie inside their bitmaps and share the depth; false when memory runs out.
bool stretch_average(const pixel_rect& destination, const pixel_rect& source);

// Nearest-pixel stretch: each destination pixel takes the source pixel under its centre.
bool stretch_nearest(const pixel_rect& destination, const pixel_rect& source);

}  // namespace imaging
