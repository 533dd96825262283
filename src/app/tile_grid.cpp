#include "app/tile_grid.h"

#include <cmath>
#include <limits>

#include "app/tile_template.h"
#include "services/settings.h"
#include "services/text.h"

namespace app {
namespace {

constexpr double pi = 3.141592653589793;

bool fits_int32(double value) {
    return value >= -2147483648.0 && value < 2147483648.0;  // false for NaN too
}

// Rounds toward zero to a 32-bit integer. Values that do not fit (and NaN) give the
// processor's "integer indefinite" value, INT32_MIN, as a 32-bit conversion on x86 does;
// grid_refusal keeps such values away from a real run.
int32_t truncate(double value) {
    return fits_int32(value) ? static_cast<int32_t>(value) : std::numeric_limits<int32_t>::min();
}

double world_size(int zoom) { return std::ldexp(256.0, zoom); }

// Latitudes beyond the poles are folded this way and no other.
double latitude_used(double latitude) {
    return (latitude >= -90.0 && latitude <= 90.0) ? latitude : 90.0 - latitude;
}

// Pixel position of a longitude along the world's width: degrees east of the antimeridian over
// degrees per pixel (divided in this order, so the rounding is always the same).
double world_x(double longitude, double world) {
    const double degrees_from_west = longitude + 180.0;
    const double degrees_per_pixel = 360.0 / world;
    return degrees_from_west / degrees_per_pixel;
}

// Pixel position of a latitude along the world's height, northern edge 0.
double world_y(double latitude, double world) {
    const double radians = latitude_used(latitude) * pi / 180.0;
    const double mercator = 0.5 * std::log((1.0 + std::sin(radians)) / (1.0 - std::sin(radians)));
    return ((1.0 - mercator / pi) / 2.0) * world;
}

int32_t span(int32_t high, int32_t low) {
    return static_cast<int32_t>(static_cast<int64_t>(high) - static_cast<int64_t>(low));
}

}  // namespace

double world_pixel_x(double longitude, int zoom) { return world_x(longitude, world_size(zoom)); }
double world_pixel_y(double latitude, int zoom) { return world_y(latitude, world_size(zoom)); }

projected_corner project_corner(double latitude, double longitude, int zoom) {
    const double world = world_size(zoom);
    projected_corner corner;
    const double x = world_x(longitude, world);
    const int32_t px = truncate(x);
    corner.column = px / 256;
    corner.x_offset = truncate((x / 256.0 - corner.column) * 256.0);
    const double y = world_y(latitude, world);
    corner.row = truncate(y) / 256;
    corner.y_offset = truncate((y / 256.0 - corner.row) * 256.0);
    return corner;
}

tile_grid compute_grid(const area& bounds, int zoom) {
    const projected_corner south_west = project_corner(bounds.lat_min, bounds.lon_min, zoom);
    const projected_corner north_east = project_corner(bounds.lat_max, bounds.lon_max, zoom);
    tile_grid grid;
    grid.first_column = south_west.column;
    grid.west_offset = south_west.x_offset;
    grid.bottom_row = south_west.row;
    grid.south_offset = south_west.y_offset;
    grid.last_column = north_east.column;
    grid.east_offset = north_east.x_offset;
    grid.top_row = north_east.row;
    grid.north_offset = north_east.y_offset;
    grid.column_span = span(grid.last_column, grid.first_column);
    grid.row_span = span(grid.bottom_row, grid.top_row);
    return grid;
}

int64_t tile_count(const tile_grid& grid) {
    return (static_cast<int64_t>(grid.column_span) + 1) * (static_cast<int64_t>(grid.row_span) + 1);
}

std::string grid_refusal(const area& bounds, int zoom) {
    for (double bound : {bounds.lat_min, bounds.lat_max, bounds.lon_min, bounds.lon_max}) {
        if (!std::isfinite(bound)) return "Every bound must be a finite number of degrees.";
    }
    for (double latitude : {bounds.lat_min, bounds.lat_max}) {
        if (std::fabs(latitude_used(latitude)) == 90.0) {
            return "A latitude of 90 or -90 degrees (a pole) cannot be shown on the tile grid.";
        }
    }
    const double world = world_size(zoom);
    for (double x : {world_x(bounds.lon_min, world), world_x(bounds.lon_max, world)}) {
        if (!fits_int32(x)) return "The longitudes lie too far outside -180 to 180 for the tile grid.";
    }
    for (double latitude : {bounds.lat_min, bounds.lat_max}) {
        if (fits_int32(world_y(latitude, world))) continue;
        if (std::fabs(latitude) > 90.0) return "The latitudes lie too far outside -90 to 90 for the tile grid.";
        // The projection runs off to infinity near a pole: the grid itself ends at 85.0511.
        return "A latitude of " + services::real_to_text(latitude, 7) +
               " degrees lies too close to the pole: the tile grid ends at 85.0511 degrees north and "
               "south. Use latitudes between -85.05 and 85.05.";
    }
    const tile_grid grid = compute_grid(bounds, zoom);
    const int64_t columns = static_cast<int64_t>(grid.last_column) - grid.first_column;
    const int64_t rows = static_cast<int64_t>(grid.bottom_row) - grid.top_row;
    if (columns < 0 || rows < 0 || columns > std::numeric_limits<int32_t>::max() ||
        rows > std::numeric_limits<int32_t>::max()) {
        return "The area cannot be walked tile by tile: its northern edge falls south of its southern "
               "edge on the tile grid. Use latitudes between -90 and 90.";
    }
    return "";
}

tile_position walk_tile(const tile_grid& grid, int64_t k) {
    const int64_t columns = static_cast<int64_t>(grid.column_span) + 1;
    tile_position tile;
    tile.x = static_cast<int32_t>(grid.first_column + (k - 1) % columns);
    tile.y = static_cast<int32_t>(grid.bottom_row - (k - 1) / columns);
    return tile;
}

std::string tile_path(int64_t x, int64_t y, int64_t zoom) {
    return "/kh/v=109&src=app&x=" + services::integer_to_text(x) + "&s=&y=" + services::integer_to_text(y) +
           "&z=" + services::integer_to_text(zoom) + "&s=Gal";
}

std::string tile_server() {
    std::string server = services::setting("LOMTRA_SAT_TILE_SERVER");
    while (!server.empty() && server.back() == '/') server.pop_back();
    return server;
}

std::string tile_address(int64_t x, int64_t y, int64_t zoom) {
    const std::string url_template = services::setting("LOMTRA_SAT_TILE_URL");
    if (!url_template.empty()) return expand_tile_template(url_template, x, y, zoom);
    return tile_server() + tile_path(x, y, zoom);
}

}  // namespace app
