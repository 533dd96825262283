#pragma once
// The mosaic as GIS software reads it: a GIS program puts the centre of pixel (i, j) at the
// longitude lon_min + i x (pixel width) and the latitude lat_max - j x (pixel height), taking
// both from the world file. The tiles' rows are evenly spaced in Mercator y, not in latitude,
// so the mosaic is resampled from the canvas (the grid's tiles side by side): each pixel shows
// the ground at the place where the world file puts it, found with the exact projection.
#include <vector>

#include "app/area.h"
#include "app/tile_grid.h"
#include "imaging/resampling.h"

namespace app {

// Where the mosaic's columns and rows look on the canvas of the grid, in canvas pixels
// (pixel k covers [k, k + 1)), for a mosaic of width x height pixels of `bounds`.
struct canvas_places {
    std::vector<double> columns;
    std::vector<double> rows;
};
canvas_places mosaic_places(const tile_grid& grid, const area& bounds, int zoom, int width, int height);

// The resampling that makes the mosaic, of the size of the grid's cut, from the canvas of the
// grid's tiles.
imaging::resampler mosaic_resampler(const tile_grid& grid, const area& bounds, int zoom);

}  // namespace app
