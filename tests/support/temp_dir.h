#pragma once
// A folder that exists for the lifetime of the object and is removed with everything in it.
#include <string>

namespace test_support {

class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Writes bytes to a file, replacing it; returns false when the file cannot be written.
bool write_file(const std::string& path, const std::string& bytes);
// Reads a whole file; an unreadable file reads as empty.
std::string read_file(const std::string& path);

// The drive-C root that the test process was given (a fresh temporary folder per process).
std::string drive_c_root();

// The file in which the test desktop's image viewer notes every file it is asked to open, one
// path a line.
std::string viewer_log();

}  // namespace test_support
