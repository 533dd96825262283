// The drive-C lock of a process that died without letting go is free to take.
#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/paths.h"

TEST(FileLock, ALockLeftByADeadProcessIsTakenOver) {
    constexpr char name[] = "C:/test.lock";
    const pid_t child = fork();
    if (child == 0) {
        auto* lock = new platform::file_lock;  // never destroyed, as in a crash
        _exit(lock->try_lock(name) ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(std::filesystem::exists(platform::native_path(name)));  // its file stays behind

    platform::file_lock mine;
    EXPECT_TRUE(mine.try_lock(name));
    mine.unlock();
    EXPECT_FALSE(std::filesystem::exists(platform::native_path(name)));
}
