#pragma once
// What START checks before a run may begin, in the order the user meets the answers.
#include <cstdint>
#include <string>

#include "app/area.h"
#include "app/tile_grid.h"

namespace app {

// A message box that refuses the run; an empty title means the check passed.
struct refusal {
    std::string title;
    std::string text;
    bool refused() const { return !title.empty(); }
};

// Bounds first ("Error"), then areas the grid cannot walk ("Error" with the reason), then the
// size ("Zoom too low": a run needs at least two columns and two rows).
refusal check_start(const area& bounds, int zoom, const tile_grid& grid);

// The question of the "Download?" box: the tile count in full.
std::string confirmation_text(int64_t tile_count);

// The most tiles along either side of a mosaic. A JPEG has at most 65500 pixels a side, and the
// mosaic of 255 tiles, cut to the area inside them, is narrower than the 255 tiles.
constexpr int32_t max_mosaic_tiles = 255;
static_assert(max_mosaic_tiles * 256 <= 65500, "the widest mosaic must fit in one JPEG");

// After a confirmed START: a grid more than max_mosaic_tiles wide or high cannot be one image;
// the run is refused with this "Error" box.
refusal check_image_size(const tile_grid& grid);

// After a confirmed START (and check_image_size): a mosaic of `bounds` at `zoom` whose
// assembly needs more memory than is `available` (bytes; -1 when unknown) is refused with the
// size needed and the size available.
refusal check_memory(const tile_grid& grid, const area& bounds, int zoom, int64_t available);

// When another window is capturing into the same drive C.
refusal drive_in_use();

}  // namespace app
