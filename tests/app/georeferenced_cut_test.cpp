// The mosaic made from a canvas of exact pattern tiles (no browser, no JPEG in between): every
// pixel must show the ground where the world file puts it, to a small fraction of a pixel.
#include "app/georeferenced_cut.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/preview_layout.h"
#include "app/world_file.h"
#include "imaging/image_store.h"
#include "pattern_match.h"

namespace {

// Draws the pattern tiles of the grid onto a new canvas image, as the assembly lays tiles out.
void paint_pattern_canvas(imaging::image_number canvas, const app::tile_grid& grid, int zoom) {
    const int width = (grid.column_span + 1) * 256;
    const int height = (grid.row_span + 1) * 256;
    ASSERT_TRUE(imaging::create_image(canvas, width, height));
    const platform::bitmap* bitmap = imaging::image_bitmap(canvas);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap->row_from_top(y);
        for (int x = 0; x < width; ++x) {
            const tileserver::rgb c = tileserver::pattern_colour(int64_t{grid.first_column} * 256 + x,
                                                                 int64_t{grid.top_row} * 256 + y, zoom);
            row[3 * x] = c.blue;
            row[3 * x + 1] = c.green;
            row[3 * x + 2] = c.red;
        }
    }
}

tileserver::rgb_image mosaic_pixels(imaging::image_number mosaic) {
    const platform::bitmap* bitmap = imaging::image_bitmap(mosaic);
    tileserver::rgb_image image(bitmap->width, bitmap->height);
    for (int y = 0; y < bitmap->height; ++y) {
        const std::uint8_t* row = bitmap->row_from_top(y);
        for (int x = 0; x < bitmap->width; ++x) {
            image.at(x, y)[0] = row[3 * x + 2];
            image.at(x, y)[1] = row[3 * x + 1];
            image.at(x, y)[2] = row[3 * x];
        }
    }
    return image;
}

TEST(GeoreferencedCut, ExactTilesGiveTheGroundWhereTheWorldFileSays) {
    const struct {
        app::area bounds;
        int zoom;
    } areas[] = {{{48.8, 48.9, 2.3, 2.4}, 13}, {{-35, -20, -60, -40}, 6}, {{70, 85, -30, 30}, 5}};
    for (const auto& area : areas) {
        imaging::start_image_store();
        const app::tile_grid grid = app::compute_grid(area.bounds, area.zoom);
        paint_pattern_canvas(1, grid, area.zoom);
        const app::rectangle cut = app::mosaic_cut(grid);
        ASSERT_TRUE(imaging::create_image(2, cut.width, cut.height));
        ASSERT_TRUE(imaging::resample_bitmap(app::mosaic_resampler(grid, area.bounds, area.zoom),
                                             *imaging::image_bitmap(1), *imaging::image_bitmap(2)));
        ASSERT_EQ(imaging::image_width(2), cut.width);
        ASSERT_EQ(imaging::image_height(2), cut.height);

        std::string world;
        for (const auto& line : app::world_file_lines(area.bounds, cut.width, cut.height))
            world += line + "\n";
        app_test::world_placement placement;
        ASSERT_TRUE(app_test::parse_world_file(world, placement));
        const tileserver::rgb_image mosaic = mosaic_pixels(2);
        const app_test::edge_error edges = app_test::measure_tile_edges(mosaic, placement, area.zoom);
        std::printf("zoom %d: %lld + %lld line samples, x worst %.4f mean %.4f, y worst %.4f mean %.4f\n",
                    area.zoom, static_cast<long long>(edges.x_samples),
                    static_cast<long long>(edges.y_samples), edges.worst_x, edges.mean_x, edges.worst_y,
                    edges.mean_y);
        EXPECT_GT(edges.x_samples, 0);
        EXPECT_GT(edges.y_samples, 0);
        EXPECT_LT(edges.worst_x, 0.05);
        EXPECT_LT(edges.worst_y, 0.05);
        EXPECT_LE(app_test::worst_pattern_difference(mosaic, placement, area.zoom).first, 1);
        imaging::free_all_images();
    }
}

}  // namespace
