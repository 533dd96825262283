// The engine's private folder: its HTTP cache and whatever else a session keeps, for this
// process alone, removed when the process ends. Folders left by a process that did not end
// in its own way (a crash, SIGKILL) are removed by the next one that starts.
#include "platform/gtk/web_data_folder.h"

#include <glib.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr char folder_prefix[] = "web-";

// The process a folder named "web-<pid>" belongs to still runs (or is another user's).
bool owner_alive(const std::string& name) {
    if (name.rfind(folder_prefix, 0) != 0) return true;  // not one of ours: leave it
    char* end = nullptr;
    const char* digits = name.c_str() + sizeof folder_prefix - 1;
    const long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '\0' || pid <= 0) return true;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void remove_abandoned(const fs::path& parent) {
    std::error_code error;
    for (fs::directory_iterator entry(parent, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code ignored;
        if (!owner_alive(name)) fs::remove_all(entry->path(), ignored);
    }
}

// Made on first use, removed with the process's static objects (a normal end: the window
// closed, a termination signal taken through the close path).
struct folder_of_this_process {
    std::string path;
    folder_of_this_process() {
        const fs::path parent = fs::path(g_get_user_cache_dir()) / "lomtra-sat";
        std::error_code error;
        fs::create_directories(parent, error);
        if (error) return;
        remove_abandoned(parent);
        const fs::path mine = parent / (folder_prefix + std::to_string(getpid()));
        fs::remove_all(mine, error);  // a folder of a process that once had this number
        if (!fs::create_directory(mine, error) || error) return;
        fs::permissions(mine, fs::perms::owner_all, error);
        if (!error) path = mine.string();
    }
    ~folder_of_this_process() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
    folder_of_this_process(const folder_of_this_process&) = delete;
    folder_of_this_process& operator=(const folder_of_this_process&) = delete;
};

}  // namespace

std::string web_data_folder() {
    static const folder_of_this_process folder;
    return folder.path;
}

}  // namespace platform
