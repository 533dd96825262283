#pragma once
// The 250 x 250 preview that fills in while a run goes on, and the full-resolution mosaic
// assembled from the tile files at its end.
#include <cstdint>
#include <string>

#include "app/temporary_files.h"
#include "app/tile_grid.h"

namespace app {

constexpr int preview_tile_image = 2;
constexpr int mosaic_canvas_image = 65000;
constexpr int mosaic_image = 65001;
// Every tile of the assembly is loaded under this one number and released once drawn, so the
// assembly holds no more than the canvas and one tile.
constexpr int assembly_tile_image = 3;

// Shrinks tile file k ("C:/" k ".jpg") of the grid's walk into its preview cell and shows the
// preview. A tile that cannot be loaded leaves its cell as it was.
void update_preview(const tile_grid& grid, int64_t k);

// Draws tile files 1 to P onto the canvas (deleting each once drawn) and makes the mosaic image
// from it: `bounds` at `zoom`, each pixel showing the ground where the world file places it. Returns the
// empty text, or what failed and why (a canvas or mosaic that cannot be allocated, a tile file
// that cannot be loaded back); the mosaic image is then left empty, never holding an earlier
// run's mosaic.
std::string assemble_mosaic(const tile_grid& grid, const area& bounds, int zoom, temporary_files& files);
// The first half of the assembly, alone: the tiles onto the canvas image. Same result text.
std::string draw_mosaic_canvas(const tile_grid& grid, temporary_files& files);

// Bytes the assembly of the grid's mosaic holds at its peak: the canvas and the cut.
int64_t mosaic_memory(const tile_grid& grid);

// Fills the preview black and shows it; `keep_file` also writes it to "C:/shot.jpg", as the end
// of a completed run does.
void clear_preview(bool keep_file = true);

}  // namespace app
