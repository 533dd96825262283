#include "app/preview_layout.h"

#include <cmath>

namespace app {

int32_t nearest(double value) {
    // std::nearbyint follows the current rounding mode, which is round-half-even unless
    // someone changed it; the preview must not depend on that.
    const double down = std::floor(value);
    const double fraction = value - down;
    double result = down;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(down, 2.0) != 0.0)) result = down + 1.0;
    return static_cast<int32_t>(result);
}

double preview_scale(int32_t columns, int32_t rows) {
    return static_cast<double>(preview_size) / (columns >= rows ? columns : rows);
}

preview_cell preview_cell_at(int32_t columns, int32_t rows, int32_t preview_row, int32_t preview_column) {
    const double s = preview_scale(columns, rows);
    const double size = preview_size;
    preview_cell cell;
    cell.size = nearest(s + 1);
    if (columns >= rows) {
        cell.x = nearest(preview_column * s);
        cell.y = nearest(size + (-((size - rows * s) / 2) - preview_row * s));
    } else {
        cell.x = nearest((size - columns * s) / 2 + preview_column * s);
        cell.y = nearest(size - preview_row * s);
    }
    return cell;
}

rectangle mosaic_cut(const tile_grid& grid) {
    rectangle cut;
    cut.left = grid.west_offset;
    cut.top = grid.north_offset;
    cut.width = grid.column_span * 256 + grid.east_offset - grid.west_offset;
    cut.height = grid.row_span * 256 + grid.south_offset - grid.north_offset;
    return cut;
}

int32_t percentage(int64_t part, int64_t whole) {
    return whole == 0 ? 0 : static_cast<int32_t>(part * 100 / whole);
}

}  // namespace app
