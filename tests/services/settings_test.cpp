// The settings file and the environment: which value wins, and what is said about bad lines.
#include "services/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace services {
namespace {

// The warning that names `text`, or "" when none does.
std::string warning_about(const std::vector<std::string>& warnings, const std::string& text) {
    for (const std::string& warning : warnings) {
        if (warning.find(text) != std::string::npos) return warning;
    }
    return {};
}

class Settings : public testing::Test {
protected:
    void SetUp() override {
        for (const setting_key& key : setting_keys()) unsetenv(key.name);
    }
    void TearDown() override {
        SetUp();
        load_settings("");
    }
    std::vector<std::string> load(const std::string& text) {
        const std::string path = folder.file("lomtra-sat.conf");
        EXPECT_TRUE(test_support::write_file(path, text));
        return load_settings(path);
    }
    test_support::temp_dir folder;
};

TEST_F(Settings, FileLinesApplyAndBadOnesAreNamedAndIgnoredWhole) {
    const auto warnings = load(
        "# tiles from the local server\r\n"
        "\n"
        "  LOMTRA_SAT_TILE_URL = http://127.0.0.1:4711/{z}/{x}/{y}.png  \r\n"
        "LOMTRA_SAT_MAX_RATE=2.5\n"
        "LOMTRA_SAT_MAX_RATE=5abc\n"
        "LOMTRA_SAT_SITE=two words\n"
        "LOMTRA_SAT_TILE_SERVER=127.0.0.1:4711\n"
        "LOMTRA_SAT_DRIVE_C=relative/folder\n"
        "LOMTRA_SAT_COLOUR=blue\n"
        "just some words");
    EXPECT_EQ(setting("LOMTRA_SAT_TILE_URL"), "http://127.0.0.1:4711/{z}/{x}/{y}.png");
    EXPECT_EQ(origin_of_setting("LOMTRA_SAT_TILE_URL"), setting_origin::file);
    // "5abc" is not taken as 5, and does not undo the good line before it.
    EXPECT_EQ(setting("LOMTRA_SAT_MAX_RATE"), "2.5");
    EXPECT_EQ(setting("LOMTRA_SAT_SITE"), "127.0.0.1:18089");
    EXPECT_EQ(setting("LOMTRA_SAT_TILE_SERVER"), "http://127.0.0.1:18089");
    EXPECT_EQ(setting("LOMTRA_SAT_DRIVE_C"), "");
    EXPECT_EQ(origin_of_setting("LOMTRA_SAT_SITE"), setting_origin::built_in);

    ASSERT_EQ(warnings.size(), 6u);
    EXPECT_NE(warning_about(warnings, ":5: LOMTRA_SAT_MAX_RATE = \"5abc\" is ignored"), "");
    EXPECT_NE(warning_about(warnings, ":6: LOMTRA_SAT_SITE"), "");
    EXPECT_NE(warning_about(warnings, ":7: LOMTRA_SAT_TILE_SERVER"), "");
    EXPECT_NE(warning_about(warnings, ":8: LOMTRA_SAT_DRIVE_C"), "");
    EXPECT_NE(warning_about(warnings, ":9: unknown setting LOMTRA_SAT_COLOUR"), "");
    EXPECT_NE(warning_about(warnings, ":10: \"just some words\" is not a KEY=VALUE line"), "");
    for (const std::string& warning : warnings) EXPECT_EQ(warning.rfind(folder.file("lomtra-sat.conf"), 0), 0u) << warning;
}

TEST_F(Settings, TheEnvironmentWinsUnlessItsValueIsBad) {
    EXPECT_TRUE(load("LOMTRA_SAT_MAX_RATE=2\nLOMTRA_SAT_SITE=example.org\n").empty());
    setenv("LOMTRA_SAT_MAX_RATE", "7", 1);
    setenv("LOMTRA_SAT_SITE", "", 1);  // set but empty counts as not set
    EXPECT_EQ(setting("LOMTRA_SAT_MAX_RATE"), "7");
    EXPECT_EQ(origin_of_setting("LOMTRA_SAT_MAX_RATE"), setting_origin::environment);
    EXPECT_EQ(setting_origin_text("LOMTRA_SAT_MAX_RATE"), "the environment");
    EXPECT_EQ(setting("LOMTRA_SAT_SITE"), "example.org");
    EXPECT_EQ(setting_origin_text("LOMTRA_SAT_SITE"), "the settings file " + folder.file("lomtra-sat.conf"));

    for (const char* bad : {"0", "-1", "fast", "1e3", "0.0001"}) {
        setenv("LOMTRA_SAT_MAX_RATE", bad, 1);
        EXPECT_EQ(setting("LOMTRA_SAT_MAX_RATE"), "2") << bad;
        const auto warnings = load("LOMTRA_SAT_MAX_RATE=2\n");
        ASSERT_EQ(warnings.size(), 1u) << bad;
        EXPECT_EQ(warnings[0].rfind("environment: LOMTRA_SAT_MAX_RATE", 0), 0u) << warnings[0];
    }
    // Without a file, what the environment lacks has its default.
    unsetenv("LOMTRA_SAT_MAX_RATE");
    EXPECT_TRUE(load_settings(folder.file("no-such.conf")).empty());
    EXPECT_EQ(setting("LOMTRA_SAT_MAX_RATE"), "");
    EXPECT_EQ(setting("LOMTRA_SAT_SITE"), "127.0.0.1:18089");
}

TEST_F(Settings, TheFileLivesInTheUsersConfigFolder) {
    const std::string given = std::getenv("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(settings_file_path(), "/somewhere/config/lomtra-sat/lomtra-sat.conf");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // only an absolute one counts
    EXPECT_EQ(settings_file_path(), std::string(std::getenv("HOME")) + "/.config/lomtra-sat/lomtra-sat.conf");
    setenv("XDG_CONFIG_HOME", given.c_str(), 1);
}

}  // namespace
}  // namespace services
