#pragma once
// Changing the size of a numbered image in place.
#include <cstddef>
#include <cstdint>

#include "imaging/image_store.h"

namespace imaging {

constexpr int resize_smooth = 0;  // averaging stretch (cubic resampling for images with alpha)
constexpr int resize_fast = 1;    // nearest pixels (any mode other than 0)

// Stretches or shrinks the image to width x height. Returns the image's bitmap afterwards (the
// unchanged one when the size is already right), 0 when the number holds no image or scaling
// fails; a failed scaling leaves the number without an image.
platform::bitmap* resize_image(image_number number, int width, int height, int mode = resize_smooth);

// Two-pass Mitchell-Netravali (B = C = 1/3) resampling of 32-bit pixels, every byte a channel
// of its own. Rows are width x 4 bytes, packed. False when the intermediate image cannot be
// allocated.
bool resample_mitchell(const std::uint8_t* source, int source_width, int source_height, std::uint8_t* destination,
                       int width, int height);

}  // namespace imaging
