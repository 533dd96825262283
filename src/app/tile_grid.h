#pragma once
// The tile server's Web-Mercator grid of 256 x 256 pixel tiles: which tiles cover an area at a
// zoom level, in which order a run visits them, and where each one is loaded from.
#include <cstdint>
#include <string>

#include "app/area.h"

namespace app {

// Column, row and the pixel offsets inside that tile of one projected point.
struct projected_corner {
    int32_t column = 0;
    int32_t x_offset = 0;
    int32_t row = 0;
    int32_t y_offset = 0;
};

// The grid of a run. Rows grow southwards, so bottom_row >= top_row for an ordinary area.
struct tile_grid {
    int32_t first_column = 0;  // holds lon_min
    int32_t last_column = 0;   // holds lon_max
    int32_t bottom_row = 0;    // holds lat_min
    int32_t top_row = 0;       // holds lat_max
    int32_t column_span = 0;   // last_column - first_column
    int32_t row_span = 0;      // bottom_row - top_row
    int32_t west_offset = 0;   // pixel column of lon_min inside its tile
    int32_t east_offset = 0;   // pixel column of lon_max inside its tile
    int32_t north_offset = 0;  // pixel row of lat_max inside its tile
    int32_t south_offset = 0;  // pixel row of lat_min inside its tile
};

// Where a longitude and a latitude lie on the world grid of `zoom`, in pixels (x from longitude
// -180, y from the grid's northern edge; pixel k covers [k, k + 1)), unrounded.
double world_pixel_x(double longitude, int zoom);
double world_pixel_y(double latitude, int zoom);

// Projects (latitude, longitude) at `zoom`. Latitudes beyond +-90 are folded as 90 - latitude.
projected_corner project_corner(double latitude, double longitude, int zoom);

tile_grid compute_grid(const area& bounds, int zoom);

// (column_span + 1) x (row_span + 1), in 64 bits so that even zoom 20 over the world is exact.
int64_t tile_count(const tile_grid& grid);

// Why the grid of this area cannot be walked (polar latitude, a bound that is not a finite
// number, a grid that runs backwards or out of the grid's numbers), or the empty text when it
// can. Ordinary areas are never refused here; min/max order is checked separately at START.
std::string grid_refusal(const area& bounds, int zoom);

struct tile_position {
    int32_t x = 0;
    int32_t y = 0;
};

// Tile number k (1-based) of the walk: rows from bottom_row northwards, columns west to east.
tile_position walk_tile(const tile_grid& grid, int64_t k);

// "/kh/v=109&src=app&x=" x "&s=&y=" y "&z=" zoom "&s=Gal"
std::string tile_path(int64_t x, int64_t y, int64_t zoom);

// Scheme and host of the tile server: the LOMTRA_SAT_TILE_SERVER setting without a trailing "/".
std::string tile_server();

// The LOMTRA_SAT_TILE_URL template filled in for the tile when that setting is there, else
// tile_server() + tile_path(x, y, zoom).
std::string tile_address(int64_t x, int64_t y, int64_t zoom);

}  // namespace app
