// The mosaic made from a canvas of exact pattern tiles (no browser, no JPEG in between): every
// pixel must show the ground where the world file puts it, to a small fraction of a pixel.
#include "app/georeferenced_cut.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/preview_layout.h"
#include "app/world_file.h"
#include "app/preview_and_mosaic.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "pattern_match.h"
#include "platform/paths.h"
#include "services/files.h"
#include "support/temp_dir.h"

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

// Copies the w x h pixels at (x, y) of one image to (to_x, to_y) of another, both 24-bit.
void copy_pixels(imaging::image_number from, int x, int y, imaging::image_number to, int to_x, int to_y) {
    const platform::bitmap* source = imaging::image_bitmap(from);
    const platform::bitmap* target = imaging::image_bitmap(to);
    for (int r = 0; r < 256; ++r)
        std::memcpy(target->row_from_top(to_y + r) + 3 * to_x, source->row_from_top(y + r) + 3 * x, 3 * 256);
}

// The assembly decodes a row of tiles at a time and encodes as it goes: its file must be the one
// made by laying every tile file on a canvas, resampling the canvas whole and encoding that.
TEST(GeoreferencedCut, TheStreamedMosaicIsTheFileOfTheWholeCanvas) {
    imaging::start_image_store();
    imaging::start_image_decoders();
    imaging::register_jpeg_encoder();
    imaging::register_jpeg_decoder();
    const app::area bounds{-35, -20, -60, -40};
    const int zoom = 7;
    const app::tile_grid grid = app::compute_grid(bounds, zoom);
    const int columns = grid.column_span + 1, rows = grid.row_span + 1;
    ASSERT_GE(rows, 4);
    paint_pattern_canvas(1, grid, zoom);
    // The walk's tile files: tile k in column (k - 1) mod C, row (k - 1) div C from the bottom.
    app::temporary_files files;
    std::vector<std::string> tile_bytes(1);
    const auto tile_path = [](int64_t k) { return platform::native_path(app::tile_file_name(k)); };
    // Two tiles the assembly cannot decode straight into their place: one of another kind (a
    // bitmap under the tile's name) and one larger than a cell, of which the cell's part counts.
    const int64_t bitmap_tile = 3, larger_tile = columns + 2;
    ASSERT_TRUE(imaging::create_image(4, 256, 256));
    ASSERT_TRUE(imaging::create_image(6, 300, 280));
    for (int64_t k = 1; k <= int64_t{columns} * rows; ++k) {
        const int x = static_cast<int>((k - 1) % columns) * 256;
        const int y = (rows - 1 - static_cast<int>((k - 1) / columns)) * 256;
        copy_pixels(1, x, y, 4, 0, 0);
        if (k == bitmap_tile) {
            ASSERT_TRUE(imaging::save_image(4, app::tile_file_name(k)));
        } else if (k == larger_tile) {
            copy_pixels(1, x, y, 6, 0, 0);
            ASSERT_TRUE(imaging::save_image(6, app::tile_file_name(k), imaging::jpeg_encoder, 8));
        } else {
            ASSERT_TRUE(imaging::save_image(4, app::tile_file_name(k), imaging::jpeg_encoder, 8));
        }
        files.add_tile(k);
        tile_bytes.push_back(test_support::read_file(tile_path(k)));
        ASSERT_TRUE(imaging::load_image(5, app::tile_file_name(k)));
        copy_pixels(5, 0, 0, 1, x, y);  // the canvas shows the decoded tile files
    }
    const app::rectangle cut = app::mosaic_cut(grid);
    ASSERT_TRUE(imaging::create_image(2, cut.width, cut.height));
    ASSERT_TRUE(imaging::resample_bitmap(app::mosaic_resampler(grid, bounds, zoom), *imaging::image_bitmap(1),
                                         *imaging::image_bitmap(2)));
    ASSERT_TRUE(imaging::save_image(2, "C:/whole.jpg", imaging::jpeg_encoder, 6));

    // A tile file missing: the run's failure, and no file of the mosaic left.
    services::remove_file(app::tile_file_name(2));
    const std::string failed = app::assemble_mosaic(grid, bounds, zoom, 6, "C:/streamed.jpg", files);
    EXPECT_NE(failed.find("\"C:/2.jpg\" (tile x = " + std::to_string(grid.first_column + 1)), std::string::npos)
        << failed;
    EXPECT_LT(services::file_size("C:/streamed.jpg"), 0);
    for (int64_t k = 1; k <= int64_t{columns} * rows; ++k) {
        ASSERT_TRUE(test_support::write_file(tile_path(k), tile_bytes[static_cast<std::size_t>(k)]));
        files.add_tile(k);
    }

    EXPECT_EQ(app::assemble_mosaic(grid, bounds, zoom, 6, "C:/streamed.jpg", files), "");
    EXPECT_EQ(files.tile_count(), 0u);
    const std::string streamed = test_support::read_file(platform::native_path("C:/streamed.jpg"));
    EXPECT_GT(streamed.size(), 1000u);
    EXPECT_TRUE(streamed == test_support::read_file(platform::native_path("C:/whole.jpg")));
    imaging::free_all_images();
}

}  // namespace
