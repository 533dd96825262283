#pragma once
// Web-Mercator tiles resampled from one whole-world picture in plate carrée (longitude
// -180..180 left to right, latitude 90..-90 top to bottom), for any zoom.
#include <cstdint>
#include <string>
#include <vector>

#include "jpeg_memory.h"

namespace tileserver {

class earth_tiles {
public:
    // Loads the world picture (JPEG). False when it is missing or unreadable.
    bool load(const std::string& path);

    // The tile (column x, row y) at zoom z. Columns wrap around the globe; rows outside the
    // grid (beyond the poles of the projection) are black.
    rgb_image tile(std::int64_t x, std::int64_t y, int zoom) const;

private:
    // Halved copies of the picture, so small zooms average many source pixels instead of
    // picking a few of them (which would shimmer).
    std::vector<rgb_image> levels_;
};

}  // namespace tileserver
