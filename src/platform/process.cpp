#include "platform/process.h"

#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

bool spawn(const std::string& program, const std::vector<std::string>& arguments, bool search_path) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    spawn_attributes attributes;
    pid_t child = 0;
    const int error =
        search_path ? posix_spawnp(&child, program.c_str(), nullptr, &attributes.value, argv.data(), environ)
                    : posix_spawn(&child, program.c_str(), nullptr, &attributes.value, argv.data(), environ);
    if (error != 0) return false;
    reap_in_background(child);
    return true;
}

bool open_with_gio(const std::string& absolute_path) {
    GError* error = nullptr;
    glib_text uri(g_filename_to_uri(absolute_path.c_str(), nullptr, &error));
    if (!uri) {
        g_clear_error(&error);
        return false;
    }
    const gboolean opened = g_app_info_launch_default_for_uri(uri.get(), nullptr, &error);
    g_clear_error(&error);
    return opened != FALSE;
}

}  // namespace

bool start_program(const std::string& path) {
    if (path.empty()) return false;
    return spawn(path, {path}, false);
}

bool open_with_default_application(const std::string& path) {
    if (path.empty() || access(path.c_str(), F_OK) != 0) return false;
    std::string absolute = path;
    if (absolute.front() != '/') {
        glib_text here(g_get_current_dir());
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
