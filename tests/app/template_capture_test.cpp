// Whole runs through tile address templates, chosen by the settings file or the environment:
// every form gives the exact area, the server sees who asks, and a rate limit spaces requests.
#include <cmath>
#include <filesystem>

#include "app/preview_layout.h"
#include "app/startup.h"
#include "jpeg_memory.h"
#include "pattern_match.h"
#include "platform/paths.h"
#include "program_driver.h"
#include "services/settings.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using app_test::program_driver;

class TemplateCapture : public program_driver {
protected:
    void TearDown() override {
        program_driver::TearDown();
        for (const char* key : {"LOMTRA_SAT_TILE_URL", "LOMTRA_SAT_MAX_RATE"}) unsetenv(key);
        services::load_settings("");
    }

    static void write_settings(const std::string& text) {
        const std::string path = services::settings_file_path();
        fs::create_directories(fs::path(path).parent_path());
        ASSERT_TRUE(test_support::write_file(path, text));
    }

    // Starts the program on `bounds` at zoom 12, once per test (a process shows its window once).
    void start_on(const app::area& bounds) {
        ASSERT_TRUE(start({"nofile", std::to_string(bounds.lat_min), std::to_string(bounds.lat_max),
                           std::to_string(bounds.lon_min), std::to_string(bounds.lon_max)}));
        move_trackbar(app::GADGET_ZOOM, 12);
        move_trackbar(app::GADGET_COMPRESSION, 10);
        run_for(50);
    }

    // Puts the settings in force and makes one run; true when it finished.
    bool run_with_settings() {
        if (!app::apply_settings()) return false;
        answers = {answer_yes};
        click_start();
        return run_until([] { return app::program.run.active(); }, 5000) &&
               run_until([&] { return run_finished(); }, 60000);
    }

    // The mosaic of the run just made must show the pattern where its world file says, at the
    // size of the cut; the output is removed.
    static void expect_exact_mosaic(const app::area& bounds, const std::string& what) {
        tileserver::rgb_image mosaic;
        app_test::world_placement placement;
        const fs::path folder = platform::native_path(app::output_folder);
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".jpg") {
                EXPECT_TRUE(tileserver::decode_jpeg(test_support::read_file(entry.path().string()), mosaic));
                fs::path world = entry.path();
                EXPECT_TRUE(app_test::parse_world_file(
                    test_support::read_file(world.replace_extension(".jgw").string()), placement));
            }
        }
        fs::remove_all(folder);
        // The fields hold the bounds as the program wrote them, with six decimals.
        const app::area shown{std::stod(std::to_string(bounds.lat_min)), std::stod(std::to_string(bounds.lat_max)),
                              std::stod(std::to_string(bounds.lon_min)), std::stod(std::to_string(bounds.lon_max))};
        const app::tile_grid grid = app::compute_grid(shown, 12);
        ASSERT_EQ(mosaic.width, app::mosaic_cut(grid).width) << what;
        ASSERT_EQ(mosaic.height, app::mosaic_cut(grid).height) << what;
        app_test::expect_exact_placement(mosaic, placement, 12, what);
    }
};

const app::area paris{48.8, 48.9, 2.3, 2.4};

TEST_F(TemplateCapture, EveryFormGivesTheExactAreaAndTheServerSeesWhoAsks) {
    start_server();
    const std::string base = server->base_address();
    struct form {
        std::string file;         // the settings file's text
        std::string environment;  // LOMTRA_SAT_TILE_URL in the environment, "" for none
    };
    const std::vector<form> forms = {
        {"LOMTRA_SAT_TILE_URL=" + base + "/{z}/{x}/{y}.png\n", ""},
        // The file names a place without tiles; the environment wins over it.
        {"LOMTRA_SAT_TILE_URL=" + base + "/none/{z}/{x}/{y}.jpg\n", base + "/tms/{z}/{x}/{-y}.jpg"},
        {"", base + "/q/{q}.png"},
    };
    start_on(paris);
    for (const form& f : forms) {
        write_settings(f.file);
        if (f.environment.empty()) {
            unsetenv("LOMTRA_SAT_TILE_URL");
        } else {
            setenv("LOMTRA_SAT_TILE_URL", f.environment.c_str(), 1);
        }
        const std::string shown = f.environment.empty() ? f.file : f.environment;
        ASSERT_TRUE(run_with_settings()) << shown;
        expect_exact_mosaic(paris, shown);
    }
    // The engine's own words first, then the program and its version.
    const std::string agent = server->tile_user_agent();
    const std::size_t ours = agent.find(std::string("Lomtra-SAT/") + LOMTRA_SAT_VERSION);
    ASSERT_NE(ours, std::string::npos) << agent;
    EXPECT_LT(agent.find("AppleWebKit/"), ours) << agent;
}

// The middle of tile (column, row) at zoom 12.
double longitude_of(int column) { return (column + 0.5) / 4096.0 * 360.0 - 180.0; }
double latitude_of(int row) {
    const double pi = 3.141592653589793;
    return std::atan(std::sinh(pi * (1.0 - 2.0 * (row + 0.5) / 4096.0))) * 180.0 / pi;
}

TEST_F(TemplateCapture, AMaximumRateSpacesTheTileRequests) {
    start_server();
    setenv("LOMTRA_SAT_MAX_RATE", "5", 1);
    const app::area twenty_tiles{latitude_of(1410), latitude_of(1407), longitude_of(2074), longitude_of(2078)};
    ASSERT_EQ(app::tile_count(app::compute_grid(twenty_tiles, 12)), 20);
    start_on(twenty_tiles);
    const auto began = std::chrono::steady_clock::now();
    ASSERT_TRUE(run_with_settings());
    // Twenty requests at most five a second: nineteen gaps of at least 200 ms.
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began).count(), 3800);
    EXPECT_EQ(boxes.at(0).text, "20 files to download - Are you sure ?");
    expect_exact_mosaic(twenty_tiles, "twenty tiles at five a second");
}

}  // namespace
