#pragma once
// Where each tile of a run lands in the 250 x 250 preview, and how the mosaic canvas is cut
// to the exact area.
#include <cstdint>

#include "app/tile_grid.h"

namespace app {

constexpr int preview_size = 250;

// Rounds to the nearest integer, ties to even: 62.5 -> 62, 63.5 -> 64, 187.5 -> 188.
int32_t nearest(double value);

// The edge in preview pixels given to one tile: the larger side of the grid fills 250 pixels.
double preview_scale(int32_t columns, int32_t rows);

struct preview_cell {
    int32_t x = 0;     // top-left corner in the preview
    int32_t y = 0;
    int32_t size = 0;  // edge of the shrunken tile: one pixel more than the scale, so cells overlap
};

// The cell of the tile at preview_column (0 at the left) and preview_row (1 at the bottom).
// The smaller side of the grid is centred.
preview_cell preview_cell_at(int32_t columns, int32_t rows, int32_t preview_row, int32_t preview_column);

struct rectangle {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The part of the C*256 x R*256 canvas that covers the area: from lon_min's pixel column and
// lat_max's pixel row up to (not including) lon_max's column and lat_min's row.
rectangle mosaic_cut(const tile_grid& grid);

// part * 100 / whole, truncating; 0 for an empty whole.
int32_t percentage(int64_t part, int64_t whole);

}  // namespace app
