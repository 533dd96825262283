#pragma once
// An open file of this machine, closed when the object goes away.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class native_file {
public:
    enum class mode {
        read,    // existing regular file (no folder, device or pipe), read only
        create,  // read and write; created, or emptied when it exists
        update,  // read and write; created when missing, kept when it exists
    };

    native_file() = default;
    ~native_file();
    native_file(native_file&& other) noexcept;
    native_file& operator=(native_file&& other) noexcept;
    native_file(const native_file&) = delete;
    native_file& operator=(const native_file&) = delete;

    // Opens a native path; false (and nothing open) on failure.
    bool open(const std::string& path, mode how);
    void close();
    bool is_open() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }

    // Bytes transferred; 0 at the end of the file or on failure.
    std::size_t read(void* destination, std::size_t count);
    std::size_t write(const void* source, std::size_t count);
    // Moves the file position by `offset` from the current position; false on failure.
    bool seek_relative(int64_t offset);

private:
    int fd_ = -1;
};

}  // namespace platform
