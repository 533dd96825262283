// The drive-C lock between processes: held while its holder lives, taken over once it died.
#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/paths.h"

namespace {

constexpr char lock_name[] = "C:/test.lock";

// A child that takes the lock and says so through a pipe ('y' or 'n'); it then ends at once or
// waits to be killed, never letting go of the lock itself.
pid_t child_holding_lock(bool die_at_once, int& ready_read) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        auto* lock = new platform::file_lock;  // never destroyed: a crash gives nothing back either
        const char taken = lock->try_lock(lock_name) ? 'y' : 'n';
        if (write(ready[1], &taken, 1) != 1) _exit(2);
        if (!die_at_once) pause();
        _exit(0);
    }
    close(ready[1]);
    ready_read = ready[0];
    return child;
}

char wait_ready(int fd) {
    char answer = 0;
    if (read(fd, &answer, 1) != 1) answer = 0;
    close(fd);
    return answer;
}

TEST(FileLock, HeldByALivingProcessAndTakenOverFromADeadOne) {
    int ready = -1;
    const pid_t living = child_holding_lock(false, ready);
    ASSERT_GT(living, 0);
    ASSERT_EQ(wait_ready(ready), 'y');
    platform::file_lock mine;
    EXPECT_FALSE(mine.try_lock(lock_name));
    kill(living, SIGKILL);
    waitpid(living, nullptr, 0);

    // A holder that ended without letting go leaves its file behind; the lock is free all the same.
    const pid_t dead = child_holding_lock(true, ready);
    ASSERT_EQ(wait_ready(ready), 'y');
    waitpid(dead, nullptr, 0);
    ASSERT_TRUE(std::filesystem::exists(platform::native_path(lock_name)));
    EXPECT_TRUE(mine.try_lock(lock_name));
    mine.unlock();
    EXPECT_FALSE(std::filesystem::exists(platform::native_path(lock_name)));
}

}  // namespace
