#include "app/tile_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

using app::area;
using app::compute_grid;
using app::tile_grid;

const area paris{48.8, 48.9, 2.3, 2.4};

TEST(TileGrid, ParisAtZoom12MatchesTheWorkedExample) {
    const app::projected_corner south_west = app::project_corner(48.8, 2.3, 12);
    EXPECT_EQ(south_west.column, 2074);
    EXPECT_EQ(south_west.x_offset, 43);
    EXPECT_EQ(south_west.row, 1410);
    EXPECT_EQ(south_west.y_offset, 30);

    const tile_grid grid = compute_grid(paris, 12);
    EXPECT_EQ(grid.first_column, 2074);
    EXPECT_EQ(grid.last_column, 2075);
    EXPECT_EQ(grid.bottom_row, 1410);
    EXPECT_EQ(grid.top_row, 1408);
    EXPECT_EQ(grid.west_offset, 43);
    EXPECT_EQ(grid.south_offset, 30);
    EXPECT_EQ(grid.east_offset, 78);
    EXPECT_EQ(grid.north_offset, 99);
    EXPECT_EQ(grid.column_span, 1);
    EXPECT_EQ(grid.row_span, 2);
    EXPECT_EQ(app::tile_count(grid), 6);

    const std::vector<std::pair<int, int>> expected = {{2074, 1410}, {2075, 1410}, {2074, 1409},
                                                       {2075, 1409}, {2074, 1408}, {2075, 1408}};
    for (int k = 1; k <= 6; ++k) {
        const app::tile_position tile = app::walk_tile(grid, k);
        EXPECT_EQ(tile.x, expected[k - 1].first) << "tile " << k;
        EXPECT_EQ(tile.y, expected[k - 1].second) << "tile " << k;
    }
}

TEST(TileGrid, ParisAtOtherZooms) {
    const tile_grid zoom10 = compute_grid(paris, 10);
    EXPECT_EQ(zoom10.first_column, 518);
    EXPECT_EQ(zoom10.last_column, 518);
    EXPECT_EQ(zoom10.bottom_row, 352);
    EXPECT_EQ(zoom10.top_row, 352);
    EXPECT_EQ(zoom10.column_span, 0);
    EXPECT_EQ(zoom10.row_span, 0);

    const tile_grid zoom15 = compute_grid(paris, 15);
    EXPECT_EQ(zoom15.first_column, 16593);
    EXPECT_EQ(zoom15.last_column, 16602);
    EXPECT_EQ(zoom15.top_row, 11267);
    EXPECT_EQ(zoom15.bottom_row, 11280);
    EXPECT_EQ(app::tile_count(zoom15), 140);
}

TEST(TileGrid, DefaultAreaCountsAreExactInSixtyFourBits) {
    const tile_grid zoom1 = compute_grid(app::default_area, 1);
    EXPECT_EQ(zoom1.first_column, 0);
    EXPECT_EQ(zoom1.last_column, 1);
    EXPECT_EQ(zoom1.top_row, 0);
    EXPECT_EQ(zoom1.bottom_row, 1);
    EXPECT_EQ(app::tile_count(zoom1), 4);

    const tile_grid zoom5 = compute_grid(app::default_area, 5);
    EXPECT_EQ(zoom5.first_column, 0);
    EXPECT_EQ(zoom5.last_column, 31);
    EXPECT_EQ(zoom5.top_row, 5);
    EXPECT_EQ(zoom5.bottom_row, 22);
    EXPECT_EQ(app::tile_count(zoom5), 576);

    const tile_grid zoom20 = compute_grid(app::default_area, 20);
    EXPECT_EQ(zoom20.column_span + 1, 984498);
    EXPECT_EQ(zoom20.row_span + 1, 558159);
    EXPECT_EQ(app::tile_count(zoom20), 549506419182LL);
}

TEST(TileGrid, LatitudesBeyondThePolesAreFolded) {
    for (int zoom : {1, 7, 12}) {
        const app::projected_corner folded = app::project_corner(100.0, 10.0, zoom);
        const app::projected_corner plain = app::project_corner(-10.0, 10.0, zoom);
        EXPECT_EQ(folded.row, plain.row);
        EXPECT_EQ(folded.y_offset, plain.y_offset);
        // -100 is used as 190 degrees, whose sine is that of -10 degrees.
        const app::projected_corner south = app::project_corner(-100.0, 10.0, zoom);
        EXPECT_EQ(south.row, plain.row);
        EXPECT_NEAR(south.y_offset, plain.y_offset, 1);
    }
    const tile_grid flat = compute_grid(area{48.85, 48.85, 2.3, 2.4}, 12);
    EXPECT_EQ(flat.row_span, 0);
}

TEST(TileGrid, NothingIsClampedToTheServersGrid) {
    // Columns left of -180 and rows beyond about 85.05 degrees come out as they are.
    const app::projected_corner west = app::project_corner(0.0, -200.0, 3);
    EXPECT_LT(west.column * 256 + west.x_offset, 0);
    const app::projected_corner north = app::project_corner(89.0, 0.0, 3);
    EXPECT_LT(north.row, 0);
    EXPECT_EQ(app::grid_refusal(area{80.0, 89.0, -200.0, 10.0}, 3), "");
}

TEST(TileGrid, AreasWhoseWalkWouldNotEndAreRefused) {
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<area> refused = {
        {90.0, 90.0, 2.3, 2.4},      // pole: the projection is infinite
        {-90.0, 10.0, 2.3, 2.4},     // the other pole
        {0.0, 180.0, 2.3, 2.4},      // folds onto -90
        {infinity, 10.0, 2.3, 2.4},  // "1e400" read as a number
        {0.0, 10.0, 2.3, -infinity},
        {0.0, 10.0, nan, 2.4},
        {80.0, 100.0, 2.3, 2.4},     // 100 projects as -10: north edge south of the south edge
        {0.0, 10.0, 2.4, 2.3},       // columns backwards
        {0.0, 10.0, -1e12, 1e12},    // beyond what 32-bit tile numbers address
    };
    for (const area& bounds : refused) {
        EXPECT_NE(app::grid_refusal(bounds, 12), "")
            << bounds.lat_min << " " << bounds.lat_max << " " << bounds.lon_min << " " << bounds.lon_max;
    }
    for (const area& bounds : {paris, app::default_area, area{-85.0, 85.0, -180.0, 180.0}}) {
        for (int zoom = 1; zoom <= 20; ++zoom) EXPECT_EQ(app::grid_refusal(bounds, zoom), "");
    }
}

TEST(TileGrid, ComputingARefusedGridIsStillSafe) {
    // START computes the grid before it checks anything, so any input must compute cleanly.
    const tile_grid grid = compute_grid(area{90.0, 1e300, -1e300, std::nan("")}, 20);
    (void)app::tile_count(grid);
    SUCCEED();
}

TEST(TileGrid, WalkVisitsRowsSouthToNorthAndColumnsWestToEast) {
    tile_grid grid;
    grid.first_column = 10;
    grid.last_column = 11;
    grid.bottom_row = 21;
    grid.top_row = 20;
    grid.column_span = 1;
    grid.row_span = 1;
    const std::vector<std::pair<int, int>> expected = {{10, 21}, {11, 21}, {10, 20}, {11, 20}};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(app::walk_tile(grid, k).x, expected[k - 1].first);
        EXPECT_EQ(app::walk_tile(grid, k).y, expected[k - 1].second);
    }
}

TEST(TileGrid, TileAddresses) {
    EXPECT_EQ(app::tile_path(2074, 1410, 12), "/kh/v=109&src=app&x=2074&s=&y=1410&z=12&s=Gal");

    unsetenv("LOMTRA_SAT_TILE_SERVER");
    EXPECT_EQ(app::tile_address(2074, 1410, 12),
              "http://127.0.0.1:18089/kh/v=109&src=app&x=2074&s=&y=1410&z=12&s=Gal");
    setenv("LOMTRA_SAT_TILE_SERVER", "http://127.0.0.1:4711/", 1);
    EXPECT_EQ(app::tile_address(-3, 0, 1), "http://127.0.0.1:4711/kh/v=109&src=app&x=-3&s=&y=0&z=1&s=Gal");
    setenv("LOMTRA_SAT_TILE_SERVER", "", 1);
    EXPECT_EQ(app::tile_server(), "http://127.0.0.1:18089");
    unsetenv("LOMTRA_SAT_TILE_SERVER");
}

}  // namespace
