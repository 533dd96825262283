#pragma once
// The area a benchmark measures when it is asked for a number of tiles.
#include <cstdint>

#include "app/area.h"
#include "app/tile_grid.h"

namespace bench {

// The smallest square-ish area from (48.8, 2.3) north and east that holds at least `tiles`
// tiles at `zoom`.
inline app::area area_of_at_least(int64_t tiles, int zoom) {
    app::area bounds{48.8, 48.8, 2.3, 2.3};
    for (double span = 0.001; span < 20; span += 0.001) {
        bounds.lat_max = bounds.lat_min + span;
        bounds.lon_max = bounds.lon_min + span;
        if (app::tile_count(app::compute_grid(bounds, zoom)) >= tiles) break;
    }
    return bounds;
}

}  // namespace bench
