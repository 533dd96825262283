#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/paths.h"

namespace platform {

file_lock::~file_lock() { unlock(); }

bool file_lock::try_lock(std::string_view name) {
    if (held()) return true;
    const std::string path = native_path(name);
    if (path.empty()) return false;
    // The holder deletes the file before it lets go, so a lock taken on a file that has just
    // been deleted is worth nothing: try again on the file that the name now gives.
    for (int attempt = 0; attempt < 8; ++attempt) {
        folder_change change(path);
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        int locked = -1;
        do {
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            ::close(fd);
            return false;
        }
        struct stat opened {}, named {};
        if (::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
            opened.st_ino == named.st_ino) {
            const std::string holder = std::to_string(::getpid()) + "\n";
            if (::ftruncate(fd, 0) == 0 && ::write(fd, holder.data(), holder.size()) < 0) {
                // The number is only for people who look; the lock holds without it.
            }
            fd_ = fd;
            path_ = path;
            change.done(true);
            return true;
        }
        ::close(fd);
    }
    return false;
}

void file_lock::unlock() {
    if (!held()) return;
    folder_change change(path_);
    if (::unlink(path_.c_str()) == 0) change.done(false);
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

}  // namespace platform
