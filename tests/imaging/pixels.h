#pragma once
// Pixel access for the image tests, in the images' own terms: (x, y) from the top-left corner,
// colours as blue, green, red bytes.
#include <array>
#include <cstdint>

#include "imaging/image_store.h"

namespace imaging_test {

using bgr = std::array<int, 3>;

inline std::uint8_t* pixel_address(imaging::image_number number, int x, int y) {
    platform::bitmap* picture = imaging::image_bitmap(number);
    return picture->row_from_top(y) + x * picture->bytes_per_pixel();
}

inline bgr pixel(imaging::image_number number, int x, int y) {
    const std::uint8_t* p = pixel_address(number, x, y);
    return {p[0], p[1], p[2]};
}

inline void set_pixel(imaging::image_number number, int x, int y, bgr colour) {
    std::uint8_t* p = pixel_address(number, x, y);
    for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(colour[static_cast<std::size_t>(c)]);
}

// Gives every pixel a colour of its own: blue = x, green = y, red = (x + y) & 0xFF.
inline void paint_pattern(imaging::image_number number) {
    const int w = imaging::image_width(number), h = imaging::image_height(number);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) set_pixel(number, x, y, {x & 0xFF, y & 0xFF, (x + y) & 0xFF});
}

inline bgr pattern(int x, int y) { return {x & 0xFF, y & 0xFF, (x + y) & 0xFF}; }

}  // namespace imaging_test
