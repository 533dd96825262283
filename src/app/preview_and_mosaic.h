#pragma once
// The 250 x 250 preview that fills in while a run goes on, and the full-resolution mosaic
// assembled from the tile files at its end and written as it is made.
#include <cstdint>
#include <string>

#include "app/area.h"
#include "app/temporary_files.h"
#include "app/tile_grid.h"

namespace app {

constexpr int preview_tile_image = 2;
// Every tile of the assembly is loaded under this one number and released once drawn.
constexpr int assembly_tile_image = 3;

// Shrinks tile file k ("C:/" k ".jpg") of the grid's walk into its preview cell and shows the
// preview. A tile that cannot be loaded leaves its cell as it was.
void update_preview(const tile_grid& grid, int64_t k);

// Makes the mosaic of `bounds` at `zoom`, each pixel showing the ground where the world file
// places it, and writes it as the JPEG file `image_name` at the compression level. The tile
// files 1 to P are decoded one row of tiles at a time, northernmost first, each deleted once
// used; the mosaic's rows are encoded as soon as the rows of tiles they show are in, so
// neither the tiles side by side nor the mosaic is ever held whole. Returns the empty text, or
// what failed and why (a tile file that cannot be loaded back, memory, the file's write); the
// unfinished file is then removed.
std::string assemble_mosaic(const tile_grid& grid, const area& bounds, int zoom, int compression,
                            const std::string& image_name, temporary_files& files);

// Bytes the assembly of the grid's mosaic holds at its peak: the rows of tiles the resampling
// reads and the one being decoded after them, one band of the mosaic's rows and the encoder's
// rows.
int64_t mosaic_memory(const tile_grid& grid, const area& bounds, int zoom);

// Fills the preview black and shows it; `keep_file` also writes it to "C:/shot.jpg", as the end
// of a completed run does.
void clear_preview(bool keep_file = true);

}  // namespace app
