#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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
