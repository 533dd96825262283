#pragma once
// The texts written beside a mosaic so that GIS software places it: the world file (pixel size
// and the top-left corner in degrees) and the projection file (WGS84 geographic degrees).
#include <array>
#include <string>
#include <string_view>

#include "app/area.h"

namespace app {

// The single line of the projection file (156 characters).
extern const std::string_view projection_line;

// "0." or "-0." followed by the digits of v / 10000000, built from the text of v (10 decimals)
// rather than by dividing, so that 17 digits follow the point. From v = 10000000 (a pixel of
// one degree) on, the whole degrees stand before the point instead of the "0".
std::string shifted_point_text(double v, std::string_view prefix);

// The six lines of the world file of a width x height mosaic of `bounds`.
std::array<std::string, 6> world_file_lines(const area& bounds, int width, int height);

}  // namespace app
