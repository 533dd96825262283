#pragma once
// How well a finished mosaic shows the tile server's pattern over the area its grid claims.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "app/tile_grid.h"
#include "jpeg_memory.h"
#include "pattern.h"

namespace app_test {

// Mean absolute difference between the mosaic and the pattern over the area the grid says it
// shows; also how bright the pattern's grid lines come out where the grid puts them (white
// lines land there only when the mosaic has no offset).
struct pattern_match {
    double mean_error = 0;
    double grid_line_level = 0;
};

inline pattern_match compare_with_pattern(const tileserver::rgb_image& mosaic, const app::tile_grid& grid, int zoom) {
    const int64_t left = int64_t{grid.first_column} * 256 + grid.west_offset;
    const int64_t top = int64_t{grid.top_row} * 256 + grid.north_offset;
    double error = 0;
    double line_level = 0;
    int64_t line_pixels = 0;
    for (int y = 0; y < mosaic.height; ++y) {
        for (int x = 0; x < mosaic.width; ++x) {
            const tileserver::rgb expected = tileserver::pattern_colour(left + x, top + y, zoom);
            const std::uint8_t* got = mosaic.at(x, y);
            error += std::abs(got[0] - expected.red) + std::abs(got[1] - expected.green) +
                     std::abs(got[2] - expected.blue);
            if ((left + x) % 256 == 0) {
                line_level += (got[0] + got[1] + got[2]) / 3.0;
                ++line_pixels;
            }
        }
    }
    return {error / (3.0 * mosaic.width * mosaic.height),
            line_pixels ? line_level / static_cast<double>(line_pixels) : 0};
}

}  // namespace app_test
