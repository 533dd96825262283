#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/native_file.h"
#include "support/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(DriveC, RootComesFromTheEnvironmentAndIsCreated) {
    const std::string root = test_support::drive_c_root();
    ASSERT_FALSE(root.empty());
    fs::remove_all(root);
    EXPECT_EQ(drive_c_root(), root);
    EXPECT_TRUE(fs::is_directory(root));
}

TEST(DriveC, FallsBackToXdgDataHomeThenToHome) {
    const std::string given_root = test_support::drive_c_root();
    const std::string place = given_root + "/elsewhere";
    const std::string given_home = std::getenv("HOME") ? std::getenv("HOME") : "";
    unsetenv("LOMTRA_SAT_DRIVE_C");
    setenv("XDG_DATA_HOME", (place + "/data").c_str(), 1);
    EXPECT_EQ(drive_c_root(), place + "/data" + "/lomtra-sat/drive_c");
    EXPECT_TRUE(fs::is_directory(place + "/data/lomtra-sat/drive_c"));

    setenv("XDG_DATA_HOME", "relative/data", 1);  // only an absolute one counts
    setenv("HOME", (place + "/home").c_str(), 1);
    EXPECT_EQ(drive_c_root(), place + "/home" + "/.local/share/lomtra-sat/drive_c");
    EXPECT_TRUE(fs::is_directory(place + "/home/.local/share/lomtra-sat/drive_c"));
    setenv("HOME", given_home.c_str(), 1);
    setenv("LOMTRA_SAT_DRIVE_C", given_root.c_str(), 1);
}

TEST(DriveC, EitherSeparatorAndAnyCaseNameOneFile) {
    const std::string root = drive_c_root();
    fs::create_directories(root + "/Lomtra-SAT");
    ASSERT_TRUE(test_support::write_file(root + "/Screenshot.jpg", "x"));
    EXPECT_EQ(native_path("c:\\Screenshot.jpg"), root + "/Screenshot.jpg");
    EXPECT_EQ(native_path("C:/screenshot.jpg"), root + "/Screenshot.jpg");
    EXPECT_EQ(native_path("C:\\LOMTRA-sat\\\\out.jgw"), root + "/Lomtra-SAT/out.jgw");
    EXPECT_EQ(native_path("C:/lomtra-sat/New File.JPG"), root + "/Lomtra-SAT/New File.JPG");
    EXPECT_EQ(native_path("C:"), root);
    EXPECT_EQ(native_path("c:\\"), root);
}

TEST(DriveC, ExactCaseWinsOverOtherSpellings) {
    const std::string root = drive_c_root();
    ASSERT_TRUE(test_support::write_file(root + "/shot.jpg", "a"));
    ASSERT_TRUE(test_support::write_file(root + "/SHOT.jpg", "b"));
    EXPECT_EQ(native_path("C:/SHOT.jpg"), root + "/SHOT.jpg");
    EXPECT_EQ(native_path("C:/shot.jpg"), root + "/shot.jpg");
    EXPECT_EQ(native_path("C:/Shot.jpg"), root + "/SHOT.jpg");  // first in byte order
}

// Drive C's names are kept between look-ups; what other programs do there must still show,
// also right after the program's own changes. The pauses let the file system's clock move on,
// so that the names kept are used rather than read again.
TEST(DriveC, NamesChangedByOtherProgramsAreSeen) {
    const auto tick = [] { std::this_thread::sleep_for(std::chrono::milliseconds(25)); };
    const std::string root = drive_c_root();
    for (int i = 0; i < 30; ++i) {
        native_file made;
        ASSERT_TRUE(made.open(native_path("C:/" + std::to_string(i) + ".jpg"), native_file::mode::create));
    }
    tick();
    EXPECT_EQ(native_path("C:/tile.jpg"), root + "/tile.jpg");
    ASSERT_TRUE(test_support::write_file(root + "/Tile.JPG", "a"));
    EXPECT_EQ(native_path("C:/tile.jpg"), root + "/Tile.JPG");
    fs::remove(root + "/Tile.JPG");
    ASSERT_TRUE(test_support::write_file(root + "/TILE.jpg", "b"));
    EXPECT_EQ(native_path("c:\\tile.jpg"), root + "/TILE.jpg");

    tick();
    EXPECT_TRUE(delete_file(native_path("C:/tile.JPG")));  // the program's own deletion
    EXPECT_EQ(native_path("C:/tile.jpg"), root + "/tile.jpg");
    for (int i = 0; i < 10; ++i) {
        const std::string name = "Other" + std::to_string(i) + ".JPG";
        tick();
        native_file made;
        ASSERT_TRUE(made.open(native_path("C:/made" + std::to_string(i) + ".jpg"), native_file::mode::create));
        EXPECT_EQ(native_path("C:/MADE" + std::to_string(i) + ".jpg"), root + "/made" + std::to_string(i) + ".jpg");
        tick();
        ASSERT_TRUE(test_support::write_file(root + "/" + name, "c"));
        EXPECT_EQ(native_path("C:/other" + std::to_string(i) + ".jpg"), root + "/" + name);
        tick();
        fs::remove(root + "/" + name);
        EXPECT_EQ(native_path("C:/" + name), root + "/" + name) << "a name gone stays gone";
        EXPECT_EQ(native_path("C:/other" + std::to_string(i) + ".jpg"), root + "/other" + std::to_string(i) + ".jpg");
    }
}

TEST(DriveC, DotDotNeverLeavesTheRoot) {
    const std::string root = drive_c_root();
    EXPECT_EQ(native_path("C:/../../etc/passwd"), root + "/etc/passwd");
    EXPECT_EQ(native_path("C:\\a\\..\\b"), root + "/b");
}

TEST(DriveC, OtherDrivesDoNotExist) {
    EXPECT_EQ(native_path("D:/x.jpg"), "");
    EXPECT_EQ(native_path(""), "");
    EXPECT_TRUE(drive_exists('c'));
    EXPECT_TRUE(drive_exists('C'));
    EXPECT_FALSE(drive_exists('D'));
}

TEST(OrdinaryPaths, AreTheNamesAsWrittenCaseAndBackslashesIncluded) {
    const std::string place = test_support::drive_c_root() + "/work";
    fs::create_directories(place + "/Maps");
    ASSERT_TRUE(test_support::write_file(place + "/Maps/Area.kml", "k"));
    ASSERT_TRUE(test_support::write_file(place + "/a\\b.kml", "backslash"));
    EXPECT_EQ(native_path(place + "/maps/AREA.KML"), place + "/maps/AREA.KML");  // another file
    EXPECT_EQ(native_path(place + "\\Maps\\Area.kml"), place + "\\Maps\\Area.kml");
    EXPECT_EQ(test_support::read_file(native_path(place + "/a\\b.kml")), "backslash");
    EXPECT_EQ(native_path("new.kml"), "new.kml");
    EXPECT_EQ(native_path("../x"), "../x");
}

}  // namespace
}  // namespace platform
