// The shipped lomtra-sat binary, driven through the display with real clicks and key presses,
// against lomtra-tileserver --pattern on loopback: the mosaic it writes is checked pixel by
// pixel, then it is closed as a window manager's close box would.
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/pattern_match.h"
#include "app/preview_layout.h"
#include "app/world_file.h"
#include "support/temp_dir.h"
#include "x11_close.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::steady_clock;

std::string binary_dir() { return LOMTRA_TEST_BINARY_DIR; }

// Runs a command to its end; its standard output, or nullopt-like "" with ok=false.
bool run(const std::vector<std::string>& words, std::string* output = nullptr) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    gchar* out = nullptr;
    gint status = 0;
    const gboolean ran = g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                                      &out, nullptr, &status, nullptr);
    if (output && out) *output = out;
    g_free(out);
    return ran && g_spawn_check_wait_status(status, nullptr);
}

// A program started in the background with its standard output in a file.
struct background_process {
    GPid pid = 0;
    ~background_process() { stop(); }
    bool start(const std::vector<std::string>& words, const std::string& output_file) {
        std::string command;
        std::vector<char*> argv;
        for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        gint out = -1;
        if (!g_spawn_async_with_pipes(nullptr, argv.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
                                      &pid, nullptr, &out, nullptr, nullptr)) {
            return false;
        }
        // Copy what the program prints into the file on a thread of its own.
        std::thread([out, output_file] {
            FILE* file = std::fopen(output_file.c_str(), "w");
            char buffer[256];
            ssize_t got;
            while ((got = read(out, buffer, sizeof buffer)) > 0) {
                if (file) {
                    std::fwrite(buffer, 1, static_cast<size_t>(got), file);
                    std::fflush(file);
                }
            }
            if (file) std::fclose(file);
            close(out);
        }).detach();
        return true;
    }
    // Exit status once the process has ended within timeout_ms, else -1.
    int wait_for_exit(int timeout_ms) {
        const auto end = steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (pid && steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }
    void stop() {
        if (!pid) return;
        kill(pid, SIGTERM);
        if (wait_for_exit(5000) < 0) {
            kill(pid, SIGKILL);
            wait_for_exit(5000);
        }
    }
};

bool wait_until(const std::function<bool()>& done, int timeout_ms) {
    const auto end = steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

TEST(RealProgram, ParisChosenByRealInputGivesTheExactMosaicThenClosesWithZero) {
    gchar* xdotool = g_find_program_in_path("xdotool");
    if (!xdotool) GTEST_SKIP() << "xdotool is not installed";
    g_free(xdotool);
    const std::string bin = binary_dir();
    ASSERT_FALSE(bin.empty());
    test_support::temp_dir scratch;

    background_process server;
    const std::string server_log = scratch.file("server.txt");
    ASSERT_TRUE(server.start({bin + "/tools/tile-server/lomtra-tileserver", "--pattern", "--port", "0", "--log",
                              scratch.file("requests.txt")},
                             server_log));
    std::string address;
    ASSERT_TRUE(wait_until([&] {
        const std::string text = test_support::read_file(server_log);
        const auto at = text.find("serving on ");
        if (at == std::string::npos || text.find('\n', at) == std::string::npos) return false;
        address = text.substr(at + 11, text.find('\n', at) - at - 11);
        return true;
    }, 10000));
    setenv("LOMTRA_SAT_TILE_SERVER", address.c_str(), 1);
    setenv("LOMTRA_SAT_SITE", address.substr(7).c_str(), 1);

    // The engine's session data of a process that ended without removing it (a number no
    // process has now), beside a folder of someone else's: the program removes the first and
    // keeps the second.
    const fs::path web_data = fs::path(std::getenv("XDG_CACHE_HOME")) / "lomtra-sat";
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    ASSERT_GT(ended, 0);
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const fs::path abandoned = web_data / ("web-" + std::to_string(ended));
    fs::create_directories(abandoned / "WebKitCache");
    fs::create_directories(web_data / "web-notes");
    ASSERT_TRUE(test_support::write_file((abandoned / "WebKitCache" / "record").string(), "x"));

    // Paris at zoom 12: six tiles.
    const app::area paris{48.8, 48.9, 2.3, 2.4};
    background_process program;
    ASSERT_TRUE(program.start({bin + "/lomtra-sat", "nofile", "48.8", "48.9", "2.3", "2.4"}, scratch.file("out.txt")));
    std::string window;
    ASSERT_TRUE(run({"timeout", "30", "xdotool", "search", "--sync", "--onlyvisible", "--name",
                     "^Lomtra-Systems / Kestrom$"},
                    &window));
    window = window.substr(0, window.find('\n'));
    // The window shows before its controls exist; the last control made is the panel that asks
    // for "publicite1.html".
    ASSERT_TRUE(wait_until(
        [&] { return test_support::read_file(scratch.file("requests.txt")).find("publicite1.html") != std::string::npos; },
        60000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // START sits at (525, 450) of the window's client area, 250 x 40. Screen coordinates: a
    // bare display has no window manager to make "relative to the window" reliable.
    std::string geometry;
    ASSERT_TRUE(run({"xdotool", "getwindowgeometry", "--shell", window}, &geometry));
    const auto value = [&](const std::string& key) {
        const auto at = geometry.find(key + "=");
        return at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + key.size() + 1);
    };
    const auto at = [&](int x, int y) {
        return std::vector<std::string>{std::to_string(value("X") + x), std::to_string(value("Y") + y)};
    };
    // Zoom: a click on the slider at 5 gives it the keyboard, Home takes it to 1, and eleven
    // steps to 12. Compression: its slider at 5, then End for 10 (the finest).
    const auto click = [&](int x, int y) {
        const auto point = at(x, y);
        return run({"xdotool", "mousemove", point[0], point[1], "click", "1"});
    };
    ASSERT_TRUE(click(580, 370));
    ASSERT_TRUE(run({"xdotool", "key", "--delay", "50", "Home", "Right", "Right", "Right", "Right", "Right", "Right",
                     "Right", "Right", "Right", "Right", "Right"}));
    ASSERT_TRUE(click(636, 410));
    ASSERT_TRUE(run({"xdotool", "key", "End"}));
    const auto start_point = at(650, 470);
    const std::string start_x = start_point[0];
    const std::string start_y = start_point[1];
    ASSERT_TRUE(click(650, 470));
    std::string box;
    std::string names;
    run({"xdotool", "search", "--onlyvisible", "--name", ".*", "getwindowname", "%@"}, &names);
    ASSERT_TRUE(run({"timeout", "20", "xdotool", "search", "--sync", "--onlyvisible", "--name", "^Download\\?$"},
                    &box)) << names << geometry << " click at " << start_x << "," << start_y;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(run({"xdotool", "key", "Return"}));  // Yes is the default button

    const fs::path output = fs::path(test_support::drive_c_root()) / "Lomtra-SAT";
    ASSERT_TRUE(wait_until([&] {
        if (!fs::is_directory(output)) return false;
        int files = 0;
        for (const auto& entry : fs::directory_iterator(output)) files += entry.is_regular_file();
        return files == 4;  // the mosaic, its world, projection and auxiliary files
    }, 60000));
    std::this_thread::sleep_for(std::chrono::seconds(1));

    // The mosaic shows exactly the area, at the zoom and compression the keys chose.
    fs::path image;
    for (const auto& entry : fs::directory_iterator(output))
        if (entry.path().extension() == ".jpg") image = entry.path();
    const app::tile_grid grid = app::compute_grid(paris, 12);
    const app::rectangle cut = app::mosaic_cut(grid);
    tileserver::rgb_image mosaic;
    ASSERT_TRUE(tileserver::decode_jpeg(test_support::read_file(image.string()), mosaic));
    EXPECT_EQ(mosaic.width, cut.width);
    EXPECT_EQ(mosaic.height, cut.height);
    fs::path base = image;
    base.replace_extension();
    std::string world;
    for (const auto& line : app::world_file_lines(paris, cut.width, cut.height)) world += line + "\r\n";
    EXPECT_EQ(test_support::read_file(base.string() + ".jgw"), world);
    app_test::world_placement placement;
    ASSERT_TRUE(app_test::parse_world_file(world, placement));
    app_test::expect_exact_placement(mosaic, placement, 12, "lat 48.8..48.9, lon 2.3..2.4, zoom 12");
    EXPECT_EQ(test_support::read_file(base.string() + ".prj"), std::string(app::projection_line) + "\r\n");
    // Of the run's temporary files only the black preview is left.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(test_support::drive_c_root()))
        if (entry.is_regular_file()) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"shot.jpg"});
    EXPECT_EQ(test_support::read_file(test_support::drive_c_root() + "/shot.jpg").size(), 188054u);

    // The result went to the desktop's default image program (the test desktop's, which only
    // notes it); whatever it is, it never holds the program's output, so this test ends.
    ASSERT_TRUE(wait_until([&] { return !test_support::read_file(test_support::viewer_log()).empty(); }, 10000));
    EXPECT_EQ(test_support::read_file(test_support::viewer_log()), image.string() + "\n");

    // The session's data lives in a folder of the program's own while it runs.
    EXPECT_TRUE(fs::is_directory(web_data / ("web-" + std::to_string(program.pid))));
    EXPECT_FALSE(fs::exists(abandoned));

    ASSERT_TRUE(request_close(std::stoul(window)));
    EXPECT_EQ(program.wait_for_exit(15000), 0);
    std::vector<std::string> web_folders;
    for (const auto& entry : fs::directory_iterator(web_data)) {
        const std::string name = entry.path().filename().string();
        if (name != "web-" + std::to_string(getpid())) web_folders.push_back(name);  // this test's own engine
    }
    EXPECT_EQ(web_folders, std::vector<std::string>{"web-notes"}) << "the program's session data went with it";
    for (const auto& entry : fs::directory_iterator(test_support::drive_c_root())) {
        EXPECT_FALSE(entry.is_regular_file()) << entry.path();  // no temporary file is left
    }
}

TEST(RealProgram, WithoutADisplaySaysSoAndEndsWithOne) {
    gchar** environment = g_get_environ();
    environment = g_environ_unsetenv(environment, "DISPLAY");
    environment = g_environ_unsetenv(environment, "WAYLAND_DISPLAY");
    const std::string program = binary_dir() + "/lomtra-sat";
    gchar* argv[] = {const_cast<gchar*>(program.c_str()), nullptr};
    gchar* error_output = nullptr;
    gint status = 0;
    ASSERT_TRUE(g_spawn_sync(nullptr, argv, environment, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, &error_output,
                             &status, nullptr));
    g_strfreev(environment);
    const std::string said = error_output ? error_output : "";
    g_free(error_output);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(said.find("cannot open display"), std::string::npos) << said;
}

}  // namespace
