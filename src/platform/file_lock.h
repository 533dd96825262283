#pragma once
// A lock that one process at a time holds on a file of the program's (on drive C, say). The
// system gives it up when its holder ends, however it ends, so a lock left behind by a process
// that died is free to take.
#include <string>
#include <string_view>

namespace platform {

class file_lock {
public:
    file_lock() = default;
    ~file_lock();  // gives the lock up (and deletes the file) if it is held
    file_lock(const file_lock&) = delete;
    file_lock& operator=(const file_lock&) = delete;

    // Takes the lock on the program file `name`, making the file if need be and writing our
    // process number into it for whoever looks. False when another holder has it, or when the
    // file cannot be made. Taking a lock already held by this object succeeds.
    bool try_lock(std::string_view name);
    // Deletes the file and gives the lock up; nothing when it is not held.
    void unlock();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace platform
