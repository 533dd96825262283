// START's checks, the preview layout, the mosaic cut and the world file texts.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "app/preview_layout.h"
#include "app/start_checks.h"
#include "app/world_file.h"

namespace {

using app::area;

app::refusal check(const area& bounds, int zoom) {
    return app::check_start(bounds, zoom, app::compute_grid(bounds, zoom));
}

TEST(StartChecks, BoundsComeFirstThenTheGridThenTheSize) {
    const app::refusal reversed = check(area{48.9, 48.8, 2.3, 2.4}, 10);  // also too small at zoom 10
    EXPECT_EQ(reversed.title, "Error");
    EXPECT_EQ(reversed.text, "Check the values (maximum and minimum)");
    EXPECT_EQ(check(area{48.8, 48.9, 2.4, 2.3}, 12).text, "Check the values (maximum and minimum)");

    const app::refusal equal = check(area{48.85, 48.85, 2.3, 2.4}, 12);
    EXPECT_EQ(equal.title, "Zoom too low");
    EXPECT_EQ(equal.text, "Increase the zoom level");
    EXPECT_EQ(check(area{48.8, 48.9, 2.3, 2.4}, 10).title, "Zoom too low");
    // One tile column is too small however tall the area is.
    EXPECT_EQ(check(area{-60, 75, 2.30, 2.31}, 5).title, "Zoom too low");

    EXPECT_FALSE(check(area{48.8, 48.9, 2.3, 2.4}, 12).refused());
    EXPECT_FALSE(check(app::default_area, 20).refused());
}

TEST(StartChecks, UnwalkableAreasGetAnErrorBeforeTheSizeCheck) {
    const app::refusal pole = check(area{90, 90, 2.3, 2.4}, 12);  // equal bounds would say "Zoom too low"
    EXPECT_EQ(pole.title, "Error");
    EXPECT_NE(pole.text, "Check the values (maximum and minimum)");
    EXPECT_FALSE(pole.text.empty());
    EXPECT_EQ(check(area{0, std::numeric_limits<double>::infinity(), 2.3, 2.4}, 12).title, "Error");
    EXPECT_EQ(check(area{80, 100, 2.3, 2.4}, 12).title, "Error");
}

TEST(StartChecks, ConfirmationShowsTheFullCount) {
    EXPECT_EQ(app::confirmation_text(6), "6 files to download - Are you sure ?");
    EXPECT_EQ(app::confirmation_text(app::tile_count(app::compute_grid(app::default_area, 20))),
              "549506419182 files to download - Are you sure ?");
}

TEST(StartChecks, ImageLimitIs255TilesEachWay) {
    app::tile_grid grid;
    grid.column_span = 254;
    grid.row_span = 254;
    EXPECT_FALSE(app::check_image_size(grid).refused());
    grid.column_span = 255;
    const app::refusal wide = app::check_image_size(grid);
    EXPECT_EQ(wide.title, "Error");
    EXPECT_NE(wide.text.find("too large"), std::string::npos);
    EXPECT_NE(wide.text.find("zoom"), std::string::npos);
    EXPECT_NE(wide.text.find("at most 255 in each direction"), std::string::npos);
    EXPECT_TRUE(app::check_image_size(app::compute_grid(app::default_area, 20)).refused());
    EXPECT_FALSE(app::check_image_size(app::compute_grid(area{48.8, 48.9, 2.3, 2.4}, 15)).refused());
}

TEST(PreviewLayout, NearestTiesToEven) {
    EXPECT_EQ(app::nearest(62.5), 62);
    EXPECT_EQ(app::nearest(63.5), 64);
    EXPECT_EQ(app::nearest(187.5), 188);
    EXPECT_EQ(app::nearest(-0.5), 0);
    EXPECT_EQ(app::nearest(-1.5), -2);
    EXPECT_EQ(app::nearest(84.3333), 84);
}

struct layout_case {
    int columns;
    int rows;
    int size;
    std::vector<std::pair<int, int>> positions;  // in walk order
};

TEST(PreviewLayout, WorkedGridsFillFromTheBottomLeft) {
    const std::vector<layout_case> cases = {
        {2, 2, 126, {{0, 125}, {125, 125}, {0, 0}, {125, 0}}},
        {4, 2, 64, {{0, 125}, {62, 125}, {125, 125}, {188, 125}, {0, 62}, {62, 62}, {125, 62}, {188, 62}}},
        {2, 3, 84, {{42, 167}, {125, 167}, {42, 83}, {125, 83}, {42, 0}, {125, 0}}},
    };
    for (const layout_case& grid : cases) {
        for (std::size_t k = 1; k <= grid.positions.size(); ++k) {
            const int column = static_cast<int>((k - 1) % static_cast<std::size_t>(grid.columns));
            const int row = 1 + static_cast<int>((k - 1) / static_cast<std::size_t>(grid.columns));
            const app::preview_cell cell = app::preview_cell_at(grid.columns, grid.rows, row, column);
            EXPECT_EQ(cell.size, grid.size);
            EXPECT_EQ(cell.x, grid.positions[k - 1].first) << grid.columns << "x" << grid.rows << " tile " << k;
            EXPECT_EQ(cell.y, grid.positions[k - 1].second) << grid.columns << "x" << grid.rows << " tile " << k;
        }
    }
}

TEST(MosaicCut, OffsetsGiveTheArea) {
    app::tile_grid grid;
    grid.column_span = 2;
    grid.row_span = 1;
    grid.west_offset = 100;
    grid.east_offset = 40;
    grid.north_offset = 200;
    grid.south_offset = 30;
    const app::rectangle cut = app::mosaic_cut(grid);
    EXPECT_EQ(cut.left, 100);
    EXPECT_EQ(cut.top, 200);
    EXPECT_EQ(cut.width, 452);
    EXPECT_EQ(cut.height, 86);

    const app::rectangle paris = app::mosaic_cut(app::compute_grid(area{48.8, 48.9, 2.3, 2.4}, 12));
    EXPECT_EQ(paris.left, 43);
    EXPECT_EQ(paris.top, 99);
    EXPECT_EQ(paris.width, 256 + 78 - 43);
    EXPECT_EQ(paris.height, 2 * 256 + 30 - 99);
}

TEST(Percentages, Truncate) {
    std::vector<int> shown;
    for (int done = 1; done <= 6; ++done) shown.push_back(app::percentage(done, 6));
    EXPECT_EQ(shown, (std::vector<int>{16, 33, 50, 66, 83, 100}));
    EXPECT_EQ(app::percentage(1, 3), 33);
    EXPECT_EQ(app::percentage(5, 0), 0);
}

TEST(WorldFile, ShiftedPointTexts) {
    EXPECT_EQ(app::shifted_point_text(1230, "0."), "0.00012300000000000");
    EXPECT_EQ(app::shifted_point_text(0.5, "0."), "0.00000005000000000");
    EXPECT_EQ(app::shifted_point_text(7031250, "0."), "0.70312500000000000");
    EXPECT_EQ(app::shifted_point_text(1230, "-0."), "-0.00012300000000000");
    // Pixels of one degree and more keep their true size.
    EXPECT_EQ(app::shifted_point_text(10000000, "0."), "1.00000000000000000");
    EXPECT_EQ(app::shifted_point_text(14000000, "-0."), "-1.40000000000000000");
    EXPECT_EQ(app::shifted_point_text(225000000, "0."), "22.50000000000000000");
    const auto coarse = app::world_file_lines(area{0.0, 14.0, 0.0, 14.0}, 10, 10);
    EXPECT_EQ(coarse[0], "1.40000000000000000");
    EXPECT_EQ(coarse[3], "-1.40000000000000000");
}

TEST(WorldFile, CompleteExample) {
    const auto lines = app::world_file_lines(area{43.1, 43.3, 5.2, 5.5}, 873, 799);
    EXPECT_EQ(lines[0], "0.00034364261168385");
    EXPECT_EQ(lines[1], "0.00000000000000000");
    EXPECT_EQ(lines[2], "0.00000000000000000");
    EXPECT_EQ(lines[3], "-0.00025031289111389");
    EXPECT_EQ(lines[4], "5.2000000000");
    EXPECT_EQ(lines[5], "43.3000000000");

    const auto west = app::world_file_lines(area{12.0, 12.25, -0.5, 1.0}, 100, 100);
    EXPECT_EQ(west[4], "-0.5000000000");
    EXPECT_EQ(west[5], "12.2500000000");
}

TEST(WorldFile, ProjectionLine) {
    EXPECT_EQ(app::projection_line.size(), 156u);
    EXPECT_EQ(app::projection_line.substr(0, 45), "GEOGCS[\"Geographic Coordinate System\",DATUM[\"");
    EXPECT_NE(app::projection_line.find("298.257223560493]]"), std::string_view::npos);
    EXPECT_EQ(app::projection_line.find(", "), std::string_view::npos);
}

}  // namespace
