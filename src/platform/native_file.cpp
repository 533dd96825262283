#include "platform/native_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/paths.h"

namespace platform {

native_file::~native_file() {
    close();
}

native_file::native_file(native_file&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

native_file& native_file::operator=(native_file&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool native_file::open(const std::string& path, mode how) {
    close();
    if (path.empty()) return false;
    int flags = O_CLOEXEC;
    switch (how) {
        case mode::read:
            flags |= O_RDONLY;
            break;
        case mode::create:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
        case mode::update:
            flags |= O_RDWR | O_CREAT;
            break;
    }
    // Only regular files are read: a folder, a device such as /dev/zero or a pipe would give
    // nothing, never end, or hold the open itself until someone writes to it.
    if (how == mode::read) flags |= O_NONBLOCK;
    folder_change change(path);
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 && how == mode::read) {
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    fd_ = fd;
    if (fd_ >= 0 && how != mode::read) change.done(true);
    return fd_ >= 0;
}

void native_file::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::size_t native_file::read(void* destination, std::size_t count) {
    if (fd_ < 0) return 0;
    auto* out = static_cast<unsigned char*>(destination);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_, out + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t native_file::write(const void* source, std::size_t count) {
    if (fd_ < 0) return 0;
    const auto* in = static_cast<const unsigned char*>(source);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(fd_, in + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<std::size_t>(put);
    }
    return done;
}

bool native_file::seek_relative(int64_t offset) {
    if (fd_ < 0) return false;
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_CUR) != static_cast<off_t>(-1);
}

path_info look_up_path(const std::string& path) {
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0) return {};
    if (S_ISDIR(status.st_mode)) return {path_kind::folder, 0};
    return {S_ISREG(status.st_mode) ? path_kind::file : path_kind::other, static_cast<int64_t>(status.st_size)};
}

bool delete_file(const std::string& path) {
    if (path.empty()) return false;
    folder_change change(path);
    if (::unlink(path.c_str()) != 0) return false;
    change.done(false);
    return true;
}

bool make_folder(const std::string& path) {
    if (path.empty()) return false;
    folder_change change(path);
    if (::mkdir(path.c_str(), 0777) != 0) return false;
    change.done(true);
    return true;
}

bool delete_empty_folder(const std::string& path) {
    if (path.empty()) return false;
    folder_change change(path);
    if (::rmdir(path.c_str()) != 0) return false;
    change.done(false);
    return true;
}

file_handle create_stream(const std::string& path) {
    if (path.empty()) return nullptr;
    folder_change change(path);
    file_handle file(std::fopen(path.c_str(), "wb"));
    if (file) change.done(true);
    return file;
}

}  // namespace platform
