#pragma once
// Blue, green, red pixels (the images' order) to red, green, blue (libjpeg's order), and back:
// the same swap of the first and third byte of every 3-byte pixel. It runs once per row of every
// file saved or loaded, so it matters next to the codec's own speed.
#include <cstdint>

namespace imaging {

// Writes width pixels of `in` to `out` with their first and third bytes swapped. The two rows
// must not overlap; exactly width x 3 bytes are read and written.
void swap_red_blue(const std::uint8_t* in, std::uint8_t* out, int width);

}  // namespace imaging
