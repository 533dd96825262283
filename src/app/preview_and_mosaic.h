#pragma once
// The 250 x 250 preview that fills in while a run goes on, and the full-resolution mosaic
// assembled from the tile files at its end.
#include <cstdint>
#include <string>

namespace app {

constexpr int preview_tile_image = 2;
constexpr int mosaic_canvas_image = 65000;
constexpr int mosaic_image = 65001;
// Every tile of the assembly is loaded under this one number and released once drawn, so the
// assembly holds no more than the canvas and one tile.
constexpr int assembly_tile_image = 3;

// Shrinks tile file k ("C:/" k ".jpg") into its preview cell and shows the preview.
void update_preview(int64_t k);

// Draws tile files 1 to P onto the canvas (deleting each once drawn) and makes the mosaic image
// from it: the area, each pixel showing the ground where the world file places it.
void assemble_mosaic();
// The two halves of the assembly: the tiles onto the canvas, then (cut_mosaic) the mosaic.
void draw_mosaic_canvas();

// Fills the preview black, writes it to "C:/shot.jpg" and shows it.
void clear_preview();

// "C:/" + k + ".jpg"
std::string tile_file_name(int64_t k);

}  // namespace app
