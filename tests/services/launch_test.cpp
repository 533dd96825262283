#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/temp_dir.h"

#include "services/command_line.h"

namespace services {
namespace {

namespace fs = std::filesystem;

bool wait_for_file(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        if (fs::exists(path) && !test_support::read_file(path).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

void write_script(const std::string& path, const std::string& body) {
    ASSERT_TRUE(test_support::write_file(path, "#!/bin/sh\n" + body + "\n"));
    ASSERT_EQ(chmod(path.c_str(), 0755), 0);
}

// Children of this process, running or ended but not yet reaped.
int child_processes() {
    int count = 0;
    const std::string me = std::to_string(getpid());
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // pid (name) state ppid ...: the name may hold spaces, so read after the last ')'.
        const auto close = line.rfind(')');
        if (close == std::string::npos || close + 4 > line.size()) continue;
        const std::string rest = line.substr(close + 4);
        if (rest.substr(0, rest.find(' ')) == me) ++count;
    }
    return count;
}

class LaunchFile : public testing::Test {
protected:
    void SetUp() override {
        root_ = test_support::drive_c_root();
        fs::create_directories(root_);
        before_ = fs::current_path().string();
        ASSERT_EQ(chdir(root_.c_str()), 0);  // anything a shell might do would land here
    }
    void TearDown() override { (void)chdir(before_.c_str()); }
    std::string root_;
    std::string before_;
};

TEST_F(LaunchFile, StartsAProgramWhoseNameHoldsShellMetacharacters) {
    const std::string name = "run me \"now\"; touch pwned $(touch pwned2) `touch pwned3` & x.sh";
    write_script(root_ + "/" + name, "echo ran > \"" + root_ + "/marker\"");
    EXPECT_NE(launch_file("C:/" + name), 0);
    ASSERT_TRUE(wait_for_file(root_ + "/marker"));
    EXPECT_EQ(test_support::read_file(root_ + "/marker"), "ran\n");
    for (const char* trap : {"pwned", "pwned2", "pwned3"})
        EXPECT_FALSE(fs::exists(root_ + "/" + trap)) << trap;
}

TEST_F(LaunchFile, APathAlreadyInQuotesIsTheProgramName) {
    write_script(root_ + "/Quoted Tool.sh", "echo quoted > \"" + root_ + "/marker\"");
    EXPECT_NE(launch_file("\"c:\\quoted tool.sh\""), 0);
    ASSERT_TRUE(wait_for_file(root_ + "/marker"));
    EXPECT_EQ(test_support::read_file(root_ + "/marker"), "quoted\n");
}

TEST_F(LaunchFile, FinishedProgramsLeaveNoZombies) {
    write_script(root_ + "/quick.sh", "true");
    for (int i = 0; i < 3; ++i) ASSERT_NE(launch_file("C:/quick.sh"), 0);
    // Every child ends at once; once reaped, none is left, not even as a zombie.
    int children = child_processes();
    for (int i = 0; i < 200 && children > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        children = child_processes();
    }
    EXPECT_EQ(children, 0);
}

TEST_F(LaunchFile, MissingFilesAndOtherDrivesStartNothing) {
    EXPECT_EQ(launch_file("C:/no such file.jpg"), 0);
    EXPECT_EQ(launch_file("D:/picture.jpg"), 0);
    EXPECT_EQ(launch_file(""), 0);
}

TEST_F(LaunchFile, ADocumentGoesToTheDefaultOpenerAsOneArgument) {
    // No desktop handlers anywhere, and an xdg-open of our own that records its argument.
    const std::string place = root_ + "/desktop";
    fs::create_directories(place + "/bin");
    fs::create_directories(place + "/empty");
    setenv("XDG_DATA_DIRS", (place + "/empty").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (place + "/empty").c_str(), 1);
    setenv("PATH", (place + "/bin").c_str(), 1);
    // It also tells where its standard output and error lead.
    write_script(place + "/bin/xdg-open", "files=$(/bin/readlink /proc/$$/fd/1 /proc/$$/fd/2); echo \"$files\" > \"" +
                                              root_ + "/files\"; printf '%s' \"$1\" > \"" + root_ + "/opened\"");

    const std::string name = "mosaic; touch pwned $(touch pwned2).jpg";
    // Mode bits do not make a document a program.
    ASSERT_TRUE(test_support::write_file(root_ + "/" + name, "\xFF\xD8\xFF not a program"));
    ASSERT_EQ(chmod((root_ + "/" + name).c_str(), 0777), 0);
    EXPECT_NE(launch_file("C:\\" + name), 0);
    ASSERT_TRUE(wait_for_file(root_ + "/opened"));
    EXPECT_EQ(test_support::read_file(root_ + "/opened"), root_ + "/" + name);
    EXPECT_EQ(test_support::read_file(root_ + "/files"), "/dev/null\n/dev/null\n");
    EXPECT_FALSE(fs::exists(root_ + "/pwned"));
    EXPECT_FALSE(fs::exists(root_ + "/pwned2"));
}

}  // namespace
}  // namespace services
