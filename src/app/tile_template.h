#pragma once
// Tile address templates: an http or https address in which {x}, {y} and {z} stand for the
// tile's column, row and zoom, {-y} for the row counted from the south (2^z - 1 - y, as TMS
// services number rows) and {q} for the quadkey, which holds all three.
#include <cstdint>
#include <string>
#include <string_view>

namespace app {

// What keeps `text` from serving as a template (not an http or https address, a placeholder
// that is unknown or not closed, no column, row or zoom in it), or the empty text when it can.
std::string template_fault(std::string_view text);

// The address of tile (x, y) at `zoom` through a template that template_fault accepts.
std::string expand_tile_template(std::string_view text, int64_t x, int64_t y, int64_t zoom);

// One digit 0 to 3 per zoom level, from the whole world down to the tile: bit 0 from the
// column, bit 1 from the row. Columns wrap around the globe as longitudes do; a row outside
// the grid (beyond about 85 degrees of latitude) has no quadkey and gives the empty text.
std::string quadkey(int64_t x, int64_t y, int64_t zoom);

// The refusal the program starts with when LOMTRA_SAT_TILE_URL is set and unusable: the
// setting, its value, where it was set and what is wrong; the empty text otherwise.
std::string tile_template_refusal();

}  // namespace app
