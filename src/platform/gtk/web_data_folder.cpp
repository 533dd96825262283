// The engine's private folder: its HTTP cache and whatever else a session keeps, for this
// process alone, removed when the process ends. Folders left by a process that did not end
// in its own way (a crash, SIGKILL) are removed by the next one that starts.
//
// The engine's network helper (a child process) writes its cache on a queue of its own, and
// outlives the static objects of this process by a moment: were the folder removed while it
// runs, a write still under way would make the folder again. It is ended first.
#include "platform/gtk/web_data_folder.h"

#include <glib.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// A process's short name and state, from /proc/<pid>/stat ("pid (name) state parent ...");
// false once it has gone. The name may hold spaces and parentheses: it ends at the last ')'.
bool process_status(const std::string& pid, std::string& name, char& state, long& parent) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    name = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 1));
    return static_cast<bool>(rest >> state >> parent);
}

// The engine's network helpers that this process started.
std::vector<std::string> network_helpers() {
    std::vector<std::string> found;
    const long self = getpid();
    std::error_code error;
    for (fs::directory_iterator entry("/proc", error), end; !error && entry != end; entry.increment(error)) {
        const std::string pid = entry->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string name;
        char state = 0;
        long parent = 0;
        if (process_status(pid, name, state, parent) && parent == self && name.rfind("WebKitNetwork", 0) == 0)
            found.push_back(pid);
    }
    return found;
}

// Ends the network helpers and waits, a second at most, until none of them runs any more.
void end_network_helpers() {
    const std::vector<std::string> helpers = network_helpers();
    for (const std::string& pid : helpers) kill(static_cast<pid_t>(std::stol(pid)), SIGKILL);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (const std::string& pid : helpers) {
        std::string name;
        char state = 0;
        long parent = 0;
        // Ended: gone, or a zombie its parent has not yet collected.
        while (process_status(pid, name, state, parent) && state != 'Z' && std::chrono::steady_clock::now() < give_up)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
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
        if (path.empty()) return;
        end_network_helpers();
        std::error_code ignored;
        fs::remove_all(path, ignored);
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
