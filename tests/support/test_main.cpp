// Test entry point shared by every test executable.
//
// Each test process gets its own temporary drive-C root and data folders, removed when the
// process ends, so nothing a test does can touch the user's real "C:/" files or settings, and
// a desktop of its own whose image viewer does nothing.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "temp_dir.h"

namespace {

// The desktop of a test process and of every program it starts: its default application for
// images is a script that only notes the file it was given, so no image viewer ever opens
// (and none can hold the test's output open).
void install_quiet_image_viewer(const test_support::temp_dir& sandbox) {
    const std::string viewer = sandbox.file("viewer");
    test_support::write_file(viewer, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + test_support::viewer_log() + "'\n");
    chmod(viewer.c_str(), 0755);
    std::filesystem::create_directories(sandbox.file("data/applications"));
    test_support::write_file(sandbox.file("data/applications/lomtra-test-viewer.desktop"),
                             "[Desktop Entry]\nType=Application\nName=Test viewer\nNoDisplay=true\n"
                             "MimeType=image/jpeg;image/bmp;\nExec=" + viewer + " %f\n");
    std::filesystem::create_directories(sandbox.file("config"));
    test_support::write_file(sandbox.file("config/mimeapps.list"),
                             "[Default Applications]\nimage/jpeg=lomtra-test-viewer.desktop\n"
                             "image/bmp=lomtra-test-viewer.desktop\n");
}

}  // namespace

// The process's sandbox, removed when the process ends, after every static object made during
// the tests: the web engine's data folder among them, whose helper processes are ended when it
// goes. A child forked by a death test shares the sandbox and leaves it to the parent.
struct process_sandbox {
    const pid_t owner = getpid();
    std::unique_ptr<test_support::temp_dir> folder = std::make_unique<test_support::temp_dir>();
    ~process_sandbox() {
        if (getpid() != owner) (void)folder.release();
    }
};

int main(int argc, char** argv) {
    static const process_sandbox sandbox;
    const test_support::temp_dir& folder = *sandbox.folder;
    const std::string drive_c = folder.file("drive_c");
    setenv("LOMTRA_SAT_DRIVE_C", drive_c.c_str(), 1);
    setenv("XDG_DATA_HOME", folder.file("data").c_str(), 1);
    setenv("XDG_CACHE_HOME", folder.file("cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", folder.file("config").c_str(), 1);
    setenv("LOMTRA_TEST_VIEWER_LOG", folder.file("opened.txt").c_str(), 1);
    install_quiet_image_viewer(folder);
    setenv("GDK_SCALE", "1", 1);
    setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus in a test session
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);  // the engine's GPU helper writes no cache

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
