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

// The largest mosaic canvas the image store holds, in tiles along either side.
constexpr int32_t max_canvas_tiles = 32767 / 256;

// After a confirmed START: a grid whose mosaic canvas would be wider or taller than the image
// store allows cannot be built; the run is refused with this "Error" box.
refusal check_canvas(const tile_grid& grid);

// After a confirmed START: a mosaic whose assembly needs more memory than is `available`
// (bytes; -1 when unknown) is refused with the size needed and the size available.
refusal check_memory(const tile_grid& grid, int64_t available);

// When another window is capturing into the same drive C.
refusal drive_in_use();

}  // namespace app
