// Whole capture runs against the local tile server: the mosaic must show exactly the area it
// claims, with the world, projection and auxiliary files that place it.
#include <glib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "app/preview_and_mosaic.h"
#include "app/preview_layout.h"
#include "app/start_checks.h"
#include "app/temporary_files.h"
#include "app/world_file.h"
#include "jpeg_memory.h"
#include "pattern_match.h"
#include "platform/paths.h"
#include "program_driver.h"
#include "services/dates.h"
#include "support/temp_dir.h"

namespace {

using app_test::expect_exact_placement;
using app_test::program_driver;
namespace fs = std::filesystem;

class CaptureRun : public program_driver {
protected:
    // The run's mosaic, decoded, and where its world file places it; checks on the way that the
    // mosaic has the size of the cut and that the world, projection and auxiliary files are
    // those of the area at that size.
    void read_output(const app::area& bounds, int zoom, tileserver::rgb_image& mosaic,
                     app_test::world_placement& placement, fs::path* image = nullptr) {
        const auto images = output_files(".jpg");
        ASSERT_EQ(images.size(), 1u);
        if (image) *image = images[0];
        std::string bytes;
        ASSERT_TRUE(tileserver::read_whole_file(images[0].string(), bytes));
        ASSERT_TRUE(tileserver::decode_jpeg(bytes, mosaic));
        const app::rectangle cut = app::mosaic_cut(app::compute_grid(bounds, zoom));
        EXPECT_EQ(mosaic.width, cut.width);
        EXPECT_EQ(mosaic.height, cut.height);
        fs::path base = images[0];
        base.replace_extension();
        std::string world;
        for (const auto& line : app::world_file_lines(bounds, cut.width, cut.height)) world += line + "\r\n";
        EXPECT_EQ(test_support::read_file(base.string() + ".jgw"), world);
        EXPECT_EQ(test_support::read_file(base.string() + ".prj"), std::string(app::projection_line) + "\r\n");
        std::string auxiliary;
        for (const auto& line : app::auxiliary_file_lines) auxiliary += std::string(line) + "\r\n";
        EXPECT_EQ(test_support::read_file(images[0].string() + ".aux.xml"), auxiliary);
        ASSERT_TRUE(app_test::parse_world_file(world, placement));
    }

    // Runs until the run has finished, keeping a copy of each tile file of the walk as it appears
    // in drive C (the run deletes them at its end), by tile number. The files of the last two
    // tiles may be written, read into the mosaic and deleted within the run's final pass, and
    // then are not seen.
    std::map<int64_t, std::string> tile_files_of_the_run(int64_t tiles, bool& finished) {
        std::map<int64_t, std::string> kept;
        // From 1: tile 0 is the capture that primes the run, whatever was on display.
        const auto keep_new_ones = [&kept, tiles] {
            for (int64_t k = 1; k <= tiles; ++k) {
                if (kept.count(k)) continue;
                const std::string file = platform::native_path(app::tile_file_name(k));
                if (fs::exists(file)) kept[k] = test_support::read_file(file);
            }
        };
        finished = run_until(
            [&] {
                keep_new_ones();
                return run_finished();
            },
            60000);
        return kept;
    }
};

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

    fs::path image;
    tileserver::rgb_image mosaic;
    app_test::world_placement placement;
    read_output(paris, 12, mosaic, placement, &image);
    EXPECT_EQ(image.filename(), "2040-02-29-123456-2.jpg");
    expect_exact_placement(mosaic, placement, 12, "lat 48.8..48.9, lon 2.3..2.4, zoom 12");

    // Only the black preview file is left of the run's temporary files.
    EXPECT_EQ(drive_c_files(), (std::vector<std::string>{"shot.jpg"}));
    const std::string preview = test_support::read_file(platform::native_path("C:/shot.jpg"));
    ASSERT_EQ(preview.size(), 188054u);
    EXPECT_EQ(preview.substr(0, 2), "BM");
    EXPECT_TRUE(std::all_of(preview.begin() + 54, preview.end(), [](char c) { return c == 0; }));

    EXPECT_EQ(text_of(app::GADGET_STATUS), "Ready..........");
    EXPECT_EQ(text_of(app::GADGET_START), "START");
    EXPECT_TRUE(gtk_widget_get_sensitive(app_test::widget(ui::gadget_handle(app::GADGET_START))));
    EXPECT_EQ(ui::gadget_get_state(app::GADGET_PROGRESS), 0);

    EXPECT_TRUE(close_window());
    EXPECT_TRUE(drive_c_files().empty());
}

TEST_F(CaptureRun, OneHundredFortyTilesAtZoom15ShowTheGroundWhereTheWorldFileSays) {
    start_server();
    const app::area paris{48.8, 48.9, 2.3, 2.4};
    start_run(paris, 15);
    EXPECT_EQ(boxes.at(0).text, "140 files to download - Are you sure ?");
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 100000));
    tileserver::rgb_image mosaic;
    app_test::world_placement placement;
    read_output(paris, 15, mosaic, placement);
    expect_exact_placement(mosaic, placement, 15, "lat 48.8..48.9, lon 2.3..2.4, zoom 15");
    EXPECT_EQ(drive_c_files(), (std::vector<std::string>{"shot.jpg"}));
}

// What a command prints, or "" when it cannot be run or fails.
std::string command_output(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    gchar* out = nullptr;
    gint status = 0;
    const bool ran = g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &out, nullptr,
                                  &status, nullptr) &&
                     g_spawn_check_wait_status(status, nullptr);
    std::string text = ran && out ? out : "";
    g_free(out);
    return text;
}

// GDAL, as QGIS uses it, reads the mosaic's coordinate system from the auxiliary file and its
// corners from the world file; and the pixel gdallocationinfo names for a point of the ground
// is the pixel that shows it, within a pixel, for three points spread over the image.
void expect_gdal_places_the_mosaic(const fs::path& image, const tileserver::rgb_image& mosaic,
                                   const app_test::world_placement& placement, int zoom) {
    const std::string info = command_output({"gdalinfo", image.string()});
    ASSERT_FALSE(info.empty()) << "gdalinfo failed on " << image;
    EXPECT_NE(info.find("Coordinate System is:\nGEOGCRS[\"WGS 84\""), std::string::npos) << info;
    EXPECT_NE(info.find("ID[\"EPSG\",4326]"), std::string::npos) << info;
    EXPECT_NE(info.find("Data axis to CRS axis mapping: 2,1"), std::string::npos) << info;
    // The world file gives pixel centres; the corners lie half a pixel further out.
    const auto corner = [&](const std::string& name, double longitude, double latitude) {
        std::smatch match;
        const std::regex pattern(name + R"(\s*\(\s*(-?[0-9.]+),\s*(-?[0-9.]+)\))");
        ASSERT_TRUE(std::regex_search(info, match, pattern)) << name << "\n" << info;
        EXPECT_NEAR(std::stod(match[1].str()), longitude, 1e-6) << name;
        EXPECT_NEAR(std::stod(match[2].str()), latitude, 1e-6) << name;
    };
    corner("Upper Left", placement.left - placement.pixel_width / 2, placement.top - placement.pixel_height / 2);
    corner("Lower Right", placement.left + (mosaic.width - 0.5) * placement.pixel_width,
           placement.top + (mosaic.height - 0.5) * placement.pixel_height);

    const double world = std::ldexp(256.0, zoom);
    for (const auto& [fx, fy] : {std::pair{0.2, 0.3}, std::pair{0.5, 0.6}, std::pair{0.85, 0.8}}) {
        // A world pixel's centre there, 40 pixels from any tile edge.
        double wx = std::floor(app_test::world_pixel_x(placement.left + fx * mosaic.width * placement.pixel_width, zoom));
        double wy = std::floor(app_test::world_pixel_y(placement.top + fy * mosaic.height * placement.pixel_height, zoom));
        wx = std::floor(wx / 256) * 256 + std::clamp(std::fmod(wx, 256.0), 40.0, 215.0) + 0.5;
        wy = std::floor(wy / 256) * 256 + std::clamp(std::fmod(wy, 256.0), 40.0, 215.0) + 0.5;
        const double longitude = wx / world * 360.0 - 180.0;
        const double latitude = std::atan(std::sinh(3.141592653589793 * (1 - 2 * wy / world))) * 180.0 / 3.141592653589793;
        char lon_text[32], lat_text[32];
        std::snprintf(lon_text, sizeof lon_text, "%.10f", longitude);
        std::snprintf(lat_text, sizeof lat_text, "%.10f", latitude);
        const std::string location = command_output({"gdallocationinfo", "-wgs84", image.string(), lon_text, lat_text});
        std::smatch match;
        ASSERT_TRUE(std::regex_search(location, match, std::regex(R"(Location: \((\d+)P,(\d+)L\))"))) << location;
        const int x = std::stoi(match[1].str()), y = std::stoi(match[2].str());
        ASSERT_TRUE(x >= 2 && y >= 2 && x + 2 < mosaic.width && y + 2 < mosaic.height) << location;
        // The world position the pixel shows, from the ramps of a 5 x 5 window around it.
        const double step_x = placement.pixel_width / 360.0 * world;
        const double step_y = app_test::world_pixel_y(placement.top + (y + 1) * placement.pixel_height, zoom) -
                              app_test::world_pixel_y(placement.top + y * placement.pixel_height, zoom);
        double shown_x = 0, shown_y = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                shown_x += (mosaic.at(x + dx, y + dy)[0] - dx * step_x) / 25;
                shown_y += (mosaic.at(x + dx, y + dy)[1] - dy * step_y) / 25;
            }
        EXPECT_LE(std::fabs(shown_x + 0.5 - std::fmod(wx, 256.0)), 1.0) << lon_text << " " << lat_text << ": " << location;
        EXPECT_LE(std::fabs(shown_y + 0.5 - std::fmod(wy, 256.0)), 1.0) << lon_text << " " << lat_text << ": " << location;
    }
}

// Where Mercator rows and latitude part most: a tall area, one south of the equator and west
// of Greenwich, one that reaches latitude 85 (rows shrink fourfold from its south to its north).
struct far_area {
    app::area bounds;
    int zoom;
    const char* what;
    const char* name;
};

void PrintTo(const far_area& area, std::ostream* out) { *out << area.what; }

class FarFromTheEquator : public CaptureRun, public testing::WithParamInterface<far_area> {};

TEST_P(FarFromTheEquator, TheGroundStillLiesWhereTheWorldFileSays) {
    const far_area& area = GetParam();
    start_server();
    start_run(area.bounds, area.zoom);
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000));
    tileserver::rgb_image mosaic;
    app_test::world_placement placement;
    fs::path image;
    read_output(area.bounds, area.zoom, mosaic, placement, &image);
    expect_exact_placement(mosaic, placement, area.zoom, area.what);
    gchar* gdalinfo = g_find_program_in_path("gdalinfo");
    if (!gdalinfo) GTEST_SKIP() << "gdal-bin is not installed";
    g_free(gdalinfo);
    expect_gdal_places_the_mosaic(image, mosaic, placement, area.zoom);
}

INSTANTIATE_TEST_SUITE_P(Areas, FarFromTheEquator,
                         testing::Values(far_area{{30, 50, -10, 15}, 5, "lat 30..50, lon -10..15, zoom 5", "Tall"},
                                         far_area{{-35, -20, -60, -40}, 6, "lat -35..-20, lon -60..-40, zoom 6",
                                                  "SouthWest"},
                                         far_area{{70, 85, -30, 30}, 5, "lat 70..85, lon -30..30, zoom 5", "UpTo85"}),
                         [](const testing::TestParamInfo<far_area>& param) { return std::string(param.param.name); });

TEST_F(CaptureRun, FetchingAheadGivesTheSameTileFilesWithMostTilesAskedForOnce) {
    tileserver::server_options cacheable = pattern_options();
    cacheable.no_cache = false;
    cacheable.delay_ms = 30;  // a link slow enough for fetching ahead to matter
    start_server(cacheable);
    const app::area paris{48.8, 48.9, 2.3, 2.4};
    const int64_t tiles = app::tile_count(app::compute_grid(paris, 13));
    setenv("LOMTRA_SAT_PREFETCH", "0", 1);
    start_run(paris, 13);
    unsetenv("LOMTRA_SAT_PREFETCH");  // read when the run began
    bool finished = false;
    const std::map<int64_t, std::string> one_at_a_time = tile_files_of_the_run(tiles, finished);
    ASSERT_TRUE(finished);
    EXPECT_EQ(server->tile_requests(), tiles);

    start_server(cacheable);  // a new address: nothing of the first run is in the cache
    confirm_start();
    const std::map<int64_t, std::string> fetched_ahead = tile_files_of_the_run(tiles, finished);
    ASSERT_TRUE(finished);
    // Each tile file byte for byte the same, the cut-away edges of the border tiles included,
    // which the mosaic alone would not show.
    for (int64_t k = 1; k <= tiles - 2; ++k) {
        ASSERT_TRUE(one_at_a_time.count(k) && fetched_ahead.count(k)) << "tile " << k;
        EXPECT_FALSE(one_at_a_time.at(k).empty()) << "tile " << k;
        EXPECT_TRUE(fetched_ahead.at(k) == one_at_a_time.at(k)) << "tile " << k;
    }
    const auto images = output_files(".jpg");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_TRUE(test_support::read_file(images[0].string()) == test_support::read_file(images[1].string()));
    // Tiles were fetched ahead, several at once but never more than the cap, and the panel's
    // loads were answered from them rather than asked of the server again.
    std::printf("requests %d, most at once %d, tiles %lld\n", server->tile_requests(), server->most_tiles_at_once(), (long long)tiles);
    EXPECT_GE(server->most_tiles_at_once(), 2);
    EXPECT_LE(server->most_tiles_at_once(), 8);
    EXPECT_LT(server->tile_requests(), tiles * 5 / 4);
}

// A source whose tiles may not be kept gains nothing from fetching ahead, and fetching ahead
// would ask it for every tile twice: once its first tile fetched ahead has come, the panel's own
// requests are the only ones.
TEST_F(CaptureRun, ASourceWhoseTilesMayNotBeKeptIsAskedForEachTileOnce) {
    tileserver::server_options not_kept = pattern_options();  // "no-store"
    ASSERT_TRUE(not_kept.no_cache);
    not_kept.delay_ms = 30;  // a link slow enough for fetching ahead to begin
    start_server(not_kept);
    const app::area paris{48.8, 48.9, 2.3, 2.4};
    const int64_t tiles = app::tile_count(app::compute_grid(paris, 13));
    start_run(paris, 13);
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000));
    EXPECT_GE(server->most_tiles_at_once(), 2) << "fetching ahead began";
    // The first tile fetched ahead goes alone, and only it is asked for a second time.
    EXPECT_EQ(server->tile_requests(), tiles + 1);
    tileserver::rgb_image mosaic;
    app_test::world_placement placement;
    read_output(paris, 13, mosaic, placement);
    expect_exact_placement(mosaic, placement, 13, "lat 48.8..48.9, lon 2.3..2.4, zoom 13");
}

// The run never lags behind what has arrived: a capture is kept (its tile file written, its
// share shown) while the next tile is still on its way, and before the run waits on a tile that
// failed to load.
TEST_F(CaptureRun, WhatHasArrivedIsShownWhileTheNextTileIsOnItsWay) {
    tileserver::server_options slow = pattern_options();
    slow.delay_ms = 300;
    start_server(slow);
    settings.patience.waits = {std::chrono::milliseconds{100}};
    const app::area paris{48.8, 48.9, 2.3, 2.4};
    const int64_t tiles = app::tile_count(app::compute_grid(paris, 12));
    ASSERT_GE(tiles, 6);
    // Tiles 1..n are kept: their files are in drive C and their share is on the progress bar.
    const auto expect_kept = [&](int64_t n) {
        EXPECT_EQ(app::program.run.capture_count(), n + 1);
        for (int64_t i = 1; i <= n; ++i)
            EXPECT_TRUE(fs::exists(platform::native_path(app::tile_file_name(i)))) << i;
        EXPECT_EQ(ui::gadget_get_state(app::GADGET_PROGRESS), n * 100 / tiles);
    };
    setenv("LOMTRA_SAT_PREFETCH", "0", 1);
    start_run(paris, 12);
    unsetenv("LOMTRA_SAT_PREFETCH");  // read when the run began
    // Tile 3 was asked for 100 ms ago and is 200 ms away: tiles 1 and 2, drawn, are kept. The
    // moment is the server's, as the run's own count moves only when it keeps a capture.
    ASSERT_TRUE(run_until([&] { return server->tile_requests() >= 3; }, 30000));
    run_for(100);
    expect_kept(2);
    EXPECT_EQ(text_of(app::GADGET_STATUS), "Download : " + std::to_string(2 * 100 / tiles) + " %");
    // Tile 4 is asked of an address where nothing answers yet: tile 3 is kept before the wait.
    const int port = test_support::unused_loopback_port();
    point_program_at(port);
    ASSERT_TRUE(run_until(
        [&] { return text_of(app::GADGET_STATUS).find("did not arrive") != std::string::npos; }));
    expect_kept(3);
    start_server(slow, port);
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000));
    EXPECT_EQ(text_of(app::GADGET_STATUS), "Ready..........");
    EXPECT_EQ(boxes.size(), 1u);  // only the confirmation
    tileserver::rgb_image mosaic;
    app_test::world_placement placement;
    read_output(paris, 12, mosaic, placement);
    expect_exact_placement(mosaic, placement, 12, "lat 48.8..48.9, lon 2.3..2.4, zoom 12, slow tiles");
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

// A figure of this process's /proc/self/status ("VmHWM", "VmRSS", ...) in bytes, or -1.
int64_t process_status_bytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0) return std::stoll(line.substr(key.size() + 1)) * 1024;
    return -1;
}

// The widest mosaic one image can hold: 255 tiles across (over 65000 pixels) at zoom 10 from
// 11.25 degrees west to 78.4 east, 4 tiles high. The assembly streams the tiles through in
// bands, so the process never holds the whole mosaic; one tile more across is refused at START.
TEST_F(CaptureRun, TheWidestMosaicIsExactInLittleMemoryAndOneTileMoreIsRefused) {
    const int zoom = 10;
    const app::area widest{45.1, 46.05, -11.249, 78.397};
    const app::tile_grid grid = app::compute_grid(widest, zoom);
    ASSERT_EQ(grid.column_span + 1, app::max_mosaic_tiles);
    ASSERT_EQ(grid.row_span + 1, 4);
    ASSERT_GT(app::mosaic_cut(grid).width, 65000);

    start_server();
    start_run(widest, zoom);
    // What the process holds with its window up, and the time from the answer Yes.
    const int64_t held_before = process_status_bytes("VmHWM");
    const auto begun = std::chrono::steady_clock::now();
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 240000));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    // Read before the test decodes the mosaic, which takes 200 MB of its own.
    const int64_t peak = process_status_bytes("VmHWM");
    const int64_t mb = int64_t{1} << 20;
    RecordProperty("run_seconds", std::to_string(seconds));
    RecordProperty("vm_hwm_mb", std::to_string(peak / mb));
    RecordProperty("vm_hwm_before_run_mb", std::to_string(held_before / mb));
    std::printf("widest mosaic: %lld tiles in %.1f s, VmHWM %lld MB (%lld MB before the run)\n",
                static_cast<long long>(app::tile_count(grid)), seconds, static_cast<long long>(peak / mb),
                static_cast<long long>(held_before / mb));
    EXPECT_EQ(text_of(app::GADGET_STATUS), "Ready..........");
    EXPECT_EQ(boxes.size(), 1u);  // only the confirmation
#ifndef __SANITIZE_ADDRESS__  // the address sanitizer's own memory would count; the normal build checks
    EXPECT_LE(peak, held_before + 600 * mb);
    EXPECT_LE(peak, 800 * mb);
#endif

    {
        tileserver::rgb_image mosaic;
        app_test::world_placement placement;
        read_output(widest, zoom, mosaic, placement);
        // The size the world file's pixel size gives the area.
        EXPECT_EQ(std::lround((widest.lon_max - widest.lon_min) / placement.pixel_width), mosaic.width);
        EXPECT_EQ(std::lround((widest.lat_max - widest.lat_min) / -placement.pixel_height), mosaic.height);
        // Locating every tile edge line of the whole image takes about 15 s, so the measure
        // runs on seven windows of 8 tiles spread evenly across it, the first and the last at
        // its west and east ends (a fifth of its columns).
        const int window = 2048;
        for (int n = 0; n < 7; ++n) {
            const int left = static_cast<int>(int64_t{mosaic.width - window} * n / 6);
            tileserver::rgb_image part(window, mosaic.height);
            for (int y = 0; y < mosaic.height; ++y) std::copy_n(mosaic.at(left, y), 3 * window, part.at(0, y));
            app_test::world_placement shifted = placement;
            shifted.left += left * placement.pixel_width;
            expect_exact_placement(part, shifted, zoom, "widest mosaic from column " + std::to_string(left));
        }
    }

    // Everything in drive C, with sizes and times: the refused START below must change none of it.
    const auto drive_c = [] {
        std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
        for (const auto& entry : fs::recursive_directory_iterator(platform::native_path("C:/")))
            if (entry.is_regular_file()) files[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
        return files;
    };
    const auto files_before = drive_c();
    const int requests_before = server->tile_requests();
    set_area(widest.lat_min, widest.lat_max, widest.lon_min, 78.7);
    ASSERT_EQ(app::compute_grid({widest.lat_min, widest.lat_max, widest.lon_min, 78.7}, zoom).column_span + 1, 256);
    boxes.clear();
    answers = {answer_yes};
    click_start();
    ASSERT_TRUE(run_until([&] { return boxes.size() >= 2 && text_of(app::GADGET_START) == "START"; }, 5000));
    run_for(200);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].title, "Download?");
    EXPECT_EQ(boxes[1].title, "Error");
    EXPECT_NE(boxes[1].text.find("256 x 4 tiles; at most 255 in each direction"), std::string::npos)
        << boxes[1].text;
    EXPECT_FALSE(app::program.run.active());
    EXPECT_EQ(server->tile_requests(), requests_before);
    EXPECT_TRUE(drive_c() == files_before);
}

}  // namespace
