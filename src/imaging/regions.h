#pragma once
// Cutting a rectangle of one image into a new image.
#include <cstdint>

#include "imaging/image_store.h"

namespace imaging {

// Copies the rectangle (x, y, width, height) of the source image (y from the top) into a new
// image of that size and the source's depth under the destination number; parts of the
// rectangle beyond the source stay black. Non-zero on success (the new bitmap, or the new
// number for the auto number); on failure 0 and the destination is unchanged.
std::intptr_t copy_region(image_number source, image_number destination, int x, int y, int width, int height);

}  // namespace imaging
