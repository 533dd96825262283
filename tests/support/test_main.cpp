// Test entry point shared by every test executable.
//
// Each test process gets its own temporary drive-C root and data folders, removed when the
// process ends, so nothing a test does can touch the user's real "C:/" files or settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "temp_dir.h"

int main(int argc, char** argv) {
    auto sandbox = std::make_unique<test_support::temp_dir>();
    const std::string drive_c = sandbox->file("drive_c");
    setenv("LOMTRA_SAT_DRIVE_C", drive_c.c_str(), 1);
    setenv("XDG_DATA_HOME", sandbox->file("data").c_str(), 1);
    setenv("XDG_CACHE_HOME", sandbox->file("cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", sandbox->file("config").c_str(), 1);
    setenv("GDK_SCALE", "1", 1);
    setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus in a test session

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    sandbox.reset();
    return result;
}
