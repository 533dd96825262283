#include "platform/process.h"

#include <fcntl.h>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/gtk/toolkit.h"

extern char** environ;

namespace platform {

namespace {

struct spawn_attributes {
    posix_spawnattr_t value{};
    spawn_attributes() {
        posix_spawnattr_init(&value);
        // The child starts with no blocked signals, in a process group of its own, so a
        // Ctrl+C meant for us does not close the user's viewer.
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&value, &none);
        posix_spawnattr_setpgroup(&value, 0);
        posix_spawnattr_setflags(&value, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    }
    ~spawn_attributes() { posix_spawnattr_destroy(&value); }
    spawn_attributes(const spawn_attributes&) = delete;
    spawn_attributes& operator=(const spawn_attributes&) = delete;
};

// Waits for that one child on a thread of its own, so no zombie stays behind and nobody
// else's SIGCHLD handling or waitpid calls are disturbed.
void reap_in_background(pid_t child) {
    try {
        std::thread([child] {
            int status = 0;
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Without a thread the child stays a zombie until we exit; it still runs.
    }
}

// The started program reads nothing from us and writes nowhere we read: its standard input,
// output and error are /dev/null, so it never holds our terminal or the pipe of whoever started
// us (a test runner waits for that pipe to close).
struct quiet_standard_files {
    posix_spawn_file_actions_t value{};
    quiet_standard_files() {
        posix_spawn_file_actions_init(&value);
        posix_spawn_file_actions_addopen(&value, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&value, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&value, 2, "/dev/null", O_WRONLY, 0);
    }
    ~quiet_standard_files() { posix_spawn_file_actions_destroy(&value); }
    quiet_standard_files(const quiet_standard_files&) = delete;
    quiet_standard_files& operator=(const quiet_standard_files&) = delete;
};

bool spawn(const std::string& program, const std::vector<std::string>& arguments, bool search_path) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    spawn_attributes attributes;
    quiet_standard_files files;
    pid_t child = 0;
    const int error =
        search_path ? posix_spawnp(&child, program.c_str(), &files.value, &attributes.value, argv.data(), environ)
                    : posix_spawn(&child, program.c_str(), &files.value, &attributes.value, argv.data(), environ);
    if (error != 0) return false;
    reap_in_background(child);
    return true;
}

struct descriptor {
    int fd = -1;
    explicit descriptor(int opened) : fd(opened) {}
    ~descriptor() {
        if (fd >= 0) close(fd);
    }
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;
};

// The desktop's default application for the file's type, started with /dev/null as its
// standard files (see quiet_standard_files).
bool open_with_gio(const std::string& absolute_path) {
    const object_handle<GFile> file(g_file_new_for_path(absolute_path.c_str()));
    const object_handle<GAppInfo> application(g_file_query_default_handler(file.get(), nullptr, nullptr));
    if (!application || !G_IS_DESKTOP_APP_INFO(application.get())) return false;
    const glib_text uri(g_file_get_uri(file.get()));
    GList uris{uri.get(), nullptr, nullptr};
    const descriptor nothing_in(open("/dev/null", O_RDONLY | O_CLOEXEC));
    const descriptor nothing_out(open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (nothing_in.fd < 0 || nothing_out.fd < 0) return false;
    GError* error = nullptr;
    const gboolean started = g_desktop_app_info_launch_uris_as_manager_with_fds(
        G_DESKTOP_APP_INFO(application.get()), &uris, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
        nullptr, nothing_in.fd, nothing_out.fd, nothing_out.fd, &error);
    g_clear_error(&error);
    return started != FALSE;
}

}  // namespace

bool is_program(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (access(path.c_str(), X_OK) != 0) return false;
    char start[4] = {};
    const descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0 || read(file.fd, start, sizeof start) < 2) return false;
    return std::memcmp(start, "\x7f" "ELF", 4) == 0 || (start[0] == '#' && start[1] == '!');
}

bool start_program(const std::string& path) {
    if (path.empty()) return false;
    return spawn(path, {path}, false);
}

bool open_with_default_application(const std::string& path) {
    if (path.empty() || access(path.c_str(), F_OK) != 0) return false;
    std::string absolute = path;
    if (absolute.front() != '/') {
        const glib_text here(g_get_current_dir());
        absolute = std::string(here.get()) + "/" + path;
    }
    if (open_with_gio(absolute)) return true;
    return spawn("xdg-open", {"xdg-open", absolute}, true);
}

std::vector<std::string> process_arguments() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    std::string word;
    while (std::getline(in, word, '\0')) arguments.push_back(word);
    return arguments;
}

}  // namespace platform
