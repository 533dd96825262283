#include "temp_dir.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <vector>

namespace test_support {

temp_dir::temp_dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lomtra-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buffer.data();
}

temp_dir::~temp_dir() {
    // The browser engine's helper processes may still write into a folder of ours (their
    // cache) while it is being removed: try again until it is gone, for a second at most.
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        if (!std::filesystem::exists(path_, ignored)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string temp_dir::file(const std::string& name) const { return path_ + "/" + name; }

bool write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string drive_c_root() {
    const char* root = std::getenv("LOMTRA_SAT_DRIVE_C");
    return root ? root : "";
}

std::string viewer_log() {
    const char* log = std::getenv("LOMTRA_TEST_VIEWER_LOG");
    return log ? log : "";
}

}  // namespace test_support
