#include "app/georeferenced_cut.h"

#include <algorithm>

#include "app/preview_layout.h"
#include "app/world_file.h"
#include "services/text.h"

namespace app {

canvas_places mosaic_places(const tile_grid& grid, const area& bounds, int zoom, int width, int height) {
    // The numbers as a GIS program reads them from the world file's text: lines 1, 4, 5, 6.
    const auto lines = world_file_lines(bounds, width, height);
    const double pixel_width = services::text_to_real(lines[0]);
    const double pixel_height = services::text_to_real(lines[3]);
    const double left = services::text_to_real(lines[4]);
    const double top = services::text_to_real(lines[5]);
    const double canvas_left = 256.0 * grid.first_column;
    const double canvas_top = 256.0 * grid.top_row;
    canvas_places places;
    places.columns.reserve(static_cast<std::size_t>(std::max(width, 0)));
    places.rows.reserve(static_cast<std::size_t>(std::max(height, 0)));
    for (int i = 0; i < width; ++i)
        places.columns.push_back(world_pixel_x(left + i * pixel_width, zoom) - canvas_left);
    for (int j = 0; j < height; ++j)
        places.rows.push_back(world_pixel_y(top + j * pixel_height, zoom) - canvas_top);
    return places;
}

imaging::resampler mosaic_resampler(const tile_grid& grid, const area& bounds, int zoom) {
    const rectangle cut = mosaic_cut(grid);
    const canvas_places places = mosaic_places(grid, bounds, zoom, cut.width, cut.height);
    return imaging::resampler(places.columns, (grid.column_span + 1) * 256, places.rows, (grid.row_span + 1) * 256);
}

}  // namespace app
