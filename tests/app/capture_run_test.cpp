// Whole capture runs against the local tile server: the mosaic must show exactly the area it
// claims, with the world and projection files that place it.
#include <algorithm>
#include <cstdio>
#include <cmath>
#include <filesystem>

#include "app/preview_and_mosaic.h"
#include "app/preview_layout.h"
#include "app/world_file.h"
#include "jpeg_memory.h"
#include "pattern_match.h"
#include "platform/paths.h"
#include "program_driver.h"
#include "services/dates.h"
#include "support/temp_dir.h"

namespace {

using app_test::compare_with_pattern;
using app_test::pattern_match;
using app_test::program_driver;
namespace fs = std::filesystem;

using CaptureRun = program_driver;

TEST_F(CaptureRun, ParisAtZoom12GivesTheExactAreaAndItsWorldFile) {
    start_server();
    // The run ends on 2040-02-29 at 12:34:56, where an earlier result's world file already is.
    settings.clock = [] { return services::make_date(2040, 2, 29, 12, 34, 56); };
    const std::string earlier = platform::native_path("C:/Lomtra-SAT/2040-02-29-123456.jgw");
    fs::create_directories(fs::path(earlier).parent_path());
    ASSERT_TRUE(test_support::write_file(earlier, "earlier"));
    const app::area paris{48.8, 48.9, 2.3, 2.4};
    start_run(paris, 12);
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000));
    EXPECT_EQ(boxes.size(), 1u);  // only the confirmation
    EXPECT_EQ(opened, std::vector<std::string>{"C:/Lomtra-SAT/2040-02-29-123456-2.jpg"});
    EXPECT_EQ(test_support::read_file(earlier), "earlier");

    const auto images = output_files(".jpg");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].filename(), "2040-02-29-123456-2.jpg");
    const app::tile_grid grid = app::compute_grid(paris, 12);
    const app::rectangle cut = app::mosaic_cut(grid);
    std::string bytes;
    ASSERT_TRUE(tileserver::read_whole_file(images[0].string(), bytes));
    tileserver::rgb_image mosaic;
    ASSERT_TRUE(tileserver::decode_jpeg(bytes, mosaic));
    EXPECT_EQ(mosaic.width, cut.width);
    EXPECT_EQ(mosaic.height, cut.height);

    const pattern_match match = compare_with_pattern(mosaic, grid, 12);
    RecordProperty("mean_error", std::to_string(match.mean_error));
    std::printf("mosaic %dx%d: mean error %.2f, grid line level %.1f\n", mosaic.width, mosaic.height,
                match.mean_error, match.grid_line_level);
    EXPECT_LT(match.mean_error, 6.0);
    EXPECT_GT(match.grid_line_level, 180.0);  // the white tile edge falls where the grid says

    fs::path base = images[0];
    base.replace_extension();
    const auto lines = app::world_file_lines(paris, cut.width, cut.height);
    std::string world;
    for (const auto& line : lines) world += line + "\r\n";
    EXPECT_EQ(test_support::read_file(base.string() + ".jgw"), world);
    EXPECT_EQ(test_support::read_file(base.string() + ".prj"), std::string(app::projection_line) + "\r\n");

    // Only the black preview file is left of the run's temporary files.
    EXPECT_EQ(drive_c_files(), (std::vector<std::string>{"shot.jpg"}));
    const std::string preview = test_support::read_file(platform::native_path("C:/shot.jpg"));
    ASSERT_EQ(preview.size(), 188054u);
    EXPECT_EQ(preview.substr(0, 2), "BM");
    EXPECT_TRUE(std::all_of(preview.begin() + 54, preview.end(), [](char c) { return c == 0; }));

    EXPECT_EQ(text_of(app::GADGET_STATUS), "Ready..........");
    EXPECT_EQ(text_of(app::GADGET_START), "START");
    EXPECT_TRUE(gtk_widget_get_sensitive(ui::gadget_handle(app::GADGET_START)));
    EXPECT_EQ(ui::gadget_get_state(app::GADGET_PROGRESS), 0);

    EXPECT_TRUE(close_window());
    EXPECT_TRUE(drive_c_files().empty());
}

TEST_F(CaptureRun, OneHundredFortyTilesAtZoom15) {
    start_server();
    const app::area paris{48.8, 48.9, 2.3, 2.4};
    start_run(paris, 15, 5);
    EXPECT_EQ(boxes.at(0).text, "140 files to download - Are you sure ?");
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 240000));
    const auto images = output_files(".jpg");
    ASSERT_EQ(images.size(), 1u);
    std::string bytes;
    ASSERT_TRUE(tileserver::read_whole_file(images[0].string(), bytes));
    tileserver::rgb_image mosaic;
    ASSERT_TRUE(tileserver::decode_jpeg(bytes, mosaic));
    const app::tile_grid grid = app::compute_grid(paris, 15);
    EXPECT_EQ(mosaic.width, app::mosaic_cut(grid).width);
    EXPECT_EQ(mosaic.height, app::mosaic_cut(grid).height);
    EXPECT_LT(compare_with_pattern(mosaic, grid, 15).mean_error, 12.0);  // compression 5
    EXPECT_EQ(drive_c_files(), (std::vector<std::string>{"shot.jpg"}));
}

TEST_F(CaptureRun, ClosingMidRunDeletesExactlyTheFilesWrittenSoFar) {
    start_server();
    start_run(app::area{48.8, 48.9, 2.3, 2.4}, 15);
    ASSERT_TRUE(run_until([] { return app::program.run.capture_count() >= 7; }, 60000));
    // A stranger's file with a tile-like number stays.
    ASSERT_TRUE(test_support::write_file(platform::native_path("C:/") + "/500.jpg", "not ours"));
    const auto written = app::program.run.capture_count();
    for (int64_t i = 0; i < written; ++i) {
        EXPECT_TRUE(fs::exists(platform::native_path(app::tile_file_name(i)))) << i;
    }
    EXPECT_TRUE(close_window());
    EXPECT_EQ(drive_c_files(), (std::vector<std::string>{"500.jpg"}));
    EXPECT_TRUE(output_files(".jpg").empty());
}

TEST_F(CaptureRun, ErrorPagesStillGiveACompleteRun) {
    for (const bool html : {false, true}) {
        tileserver::server_options options = pattern_options();
        if (html) {
            options.html_instead = true;
        } else {
            options.status = 404;
        }
        start_server(options);
        boxes.clear();
        start_run(app::area{48.8, 48.9, 2.3, 2.4}, 12);
        ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000)) << (html ? "html" : "404");
        EXPECT_EQ(output_files(".jpg").size(), 1u);
        EXPECT_EQ(output_files(".jgw").size(), 1u);
        EXPECT_EQ(boxes.size(), 1u) << html << boxes.back().text;
        app::shut_down();
        started = false;
        fs::remove_all(platform::native_path("C:/Lomtra-SAT"));
        run_for(0);
    }
}

}  // namespace
