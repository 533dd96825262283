#include "app/start_checks.h"

#include "app/preview_and_mosaic.h"
#include "app/run_messages.h"
#include "services/text.h"

namespace app {

refusal check_start(const area& bounds, int zoom, const tile_grid& grid) {
    if (bounds.lat_max < bounds.lat_min || bounds.lon_max < bounds.lon_min) {
        return {"Error", "Check the values (maximum and minimum)"};
    }
    const std::string reason = grid_refusal(bounds, zoom);
    if (!reason.empty()) return {"Error", reason};
    if (grid.column_span == 0 || grid.row_span == 0) return {"Zoom too low", "Increase the zoom level"};
    return {};
}

std::string confirmation_text(int64_t tile_count) {
    return services::integer_to_text(tile_count) + " files to download - Are you sure ?";
}

refusal check_image_size(const tile_grid& grid) {
    const int64_t columns = static_cast<int64_t>(grid.column_span) + 1;
    const int64_t rows = static_cast<int64_t>(grid.row_span) + 1;
    if (columns <= max_mosaic_tiles && rows <= max_mosaic_tiles) return {};
    return {"Error", "This area is too large for one image at this zoom level (" +
                         services::integer_to_text(columns) + " x " + services::integer_to_text(rows) +
                         " tiles; at most " + services::integer_to_text(max_mosaic_tiles) +
                         " in each direction). Lower the zoom level or split the area."};
}

refusal check_memory(const tile_grid& grid, const area& bounds, int zoom, int64_t available) {
    // Room for the preview and the program's other images besides the assembly.
    constexpr int64_t working_room = int64_t{16} << 20;
    const int64_t needed = mosaic_memory(grid, bounds, zoom) + working_room;
    if (available < 0 || needed <= available) return {};
    return {"Error", "The mosaic of this area needs about " + size_text(needed) + " of memory, but only " +
                         size_text(available) +
                         " are available. Lower the zoom level, split the area or close other programs."};
}

refusal drive_in_use() {
    return {"Error", "Another Lomtra-SAT window is capturing into the same drive C. Wait until its run has "
                     "ended, then press START again."};
}

}  // namespace app
