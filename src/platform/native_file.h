#pragma once
// Files of this machine by native path: an open file, closed when the object goes away, and
// the few operations on names that the program's file services need.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/handles.h"

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

// What a native path names (symbolic links followed).
enum class path_kind { missing, file, folder, other };
struct path_info {
    path_kind kind = path_kind::missing;
    int64_t size = 0;  // bytes, for a file
};
path_info look_up_path(const std::string& path);

// Deletes a file (not a folder); false when it cannot.
bool delete_file(const std::string& path);
// Makes one folder whose parent exists; false when it cannot, or when it exists already.
bool make_folder(const std::string& path);
// Deletes a folder that holds nothing; false when it cannot.
bool delete_empty_folder(const std::string& path);
// A stream that writes the file from its start, made or emptied; null (errno set) when it
// cannot be opened.
file_handle create_stream(const std::string& path);

}  // namespace platform
