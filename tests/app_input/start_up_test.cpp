// The shipped lomtra-sat binary before its window: --help and --version, and a settings file
// whose tile address template cannot be used, which must stop it with status 2 and say why on
// the terminal and in a box.
#include <glib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string program() { return std::string(LOMTRA_TEST_BINARY_DIR) + "/lomtra-sat"; }

struct finished {
    bool ran = false;
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a command to its end (with `environment` when given) and returns what it printed.
finished run(const std::vector<std::string>& words, gchar** environment = nullptr) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint status = 0;
    finished result;
    result.ran = g_spawn_sync(nullptr, argv.data(), environment, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &out, &err,
                              &status, nullptr);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = out ? out : "";
    result.err = err ? err : "";
    g_free(out);
    g_free(err);
    return result;
}

TEST(StartUp, HelpAndVersionAloneAnswerOnTheTerminal) {
    const finished version = run({program(), "--version"});
    ASSERT_TRUE(version.ran);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("lomtra-sat ") + LOMTRA_SAT_VERSION + "\n");
    const finished help = run({program(), "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"Usage: lomtra-sat", "LOMTRA_SAT_TILE_URL", "LOMTRA_SAT_MAX_RATE", "lomtra-sat.conf",
                             "Exit status"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
}

TEST(StartUp, AnUnusableTemplateInTheSettingsFileStopsTheProgramWithStatusTwo) {
    gchar* xdotool = g_find_program_in_path("xdotool");
    if (!xdotool) GTEST_SKIP() << "xdotool is not installed";
    g_free(xdotool);
    test_support::temp_dir config;
    fs::create_directories(config.file("lomtra-sat"));
    ASSERT_TRUE(test_support::write_file(config.file("lomtra-sat/lomtra-sat.conf"),
                                         "LOMTRA_SAT_TILE_URL=http://127.0.0.1:9/{z}/{x}.png\nLOMTRA_SAT_SPEED=3\n"));
    gchar** environment = g_get_environ();
    environment = g_environ_setenv(environment, "XDG_CONFIG_HOME", config.path().c_str(), TRUE);
    environment = g_environ_unsetenv(environment, "LOMTRA_SAT_TILE_URL");

    // The box waits for an answer: Return gives it one.
    bool box_seen = false;
    std::thread answer([&box_seen] {
        box_seen = run({"timeout", "30", "xdotool", "search", "--sync", "--onlyvisible", "--name", "^Error$"}).status == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        // The test display has no window manager: the box gets the keyboard only when given it,
        // wherever an earlier test left the pointer.
        run({"xdotool", "search", "--onlyvisible", "--name", "^Error$", "windowfocus", "--sync", "%1", "key", "Return"});
    });
    const finished refused = run({"timeout", "60", program(), "nofile", "48.8", "48.9", "2.3", "2.4"}, environment);
    answer.join();
    g_strfreev(environment);
    EXPECT_TRUE(box_seen);
    EXPECT_EQ(refused.status, 2) << refused.err;
    EXPECT_NE(refused.err.find("unknown setting LOMTRA_SAT_SPEED"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("LOMTRA_SAT_TILE_URL = \"http://127.0.0.1:9/{z}/{x}.png\", set in the settings file " +
                               config.file("lomtra-sat/lomtra-sat.conf") + ", cannot be used: it has no row"),
              std::string::npos)
        << refused.err;
}

}  // namespace
