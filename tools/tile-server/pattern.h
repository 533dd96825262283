#pragma once
// The synthetic test pattern: every pixel's colour is a function of where it lies in the world,
// so a captured tile or a whole mosaic can be checked pixel by pixel against the area it claims
// to show.
//
// For world pixel (wx, wy) at zoom z (wx, wy = tile column/row * 256 + pixel in tile; floor
// division and a non-negative remainder, so tiles outside the grid follow the same rule):
//   lx = wx mod 256, ly = wy mod 256, tx = floor(wx / 256), ty = floor(wy / 256)
//   grid line, where lx == 0 or ly == 0 (left column and top row of every tile):
//       red = green = blue = 255
//   elsewhere:
//       red   = lx
//       green = ly
//       blue  = 16 + 32 * ((tx + 3 * ty + 5 * z) mod 8)
// The blue level tells neighbouring tiles apart (also diagonal ones) and changes with the zoom,
// so a tile from the wrong place or the wrong zoom shows at once.
#include <cstdint>

#include "jpeg_memory.h"

namespace tileserver {

struct rgb {
    std::uint8_t red, green, blue;
};

rgb pattern_colour(std::int64_t world_x, std::int64_t world_y, int zoom);

// The pattern tile (column x, row y) of zoom z, 256 x 256 pixels.
rgb_image pattern_tile(std::int64_t x, std::int64_t y, int zoom);

}  // namespace tileserver
