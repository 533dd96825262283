#include "platform/paths.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/handles.h"

namespace platform {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string home_folder() {
    std::string home = environment("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid())) {
        if (entry->pw_dir) return entry->pw_dir;
    }
    return {};
}

std::string& chosen_drive_c() {
    static std::string folder;
    return folder;
}

std::string drive_c_location() {
    std::string root = chosen_drive_c();
    if (root.empty()) root = environment("LOMTRA_SAT_DRIVE_C");  // programs without settings
    if (!root.empty()) return root;
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    const std::string data_home = environment("XDG_DATA_HOME");
    if (!data_home.empty() && data_home.front() == '/') return data_home + "/lomtra-sat/drive_c";
    const std::string home = home_folder();
    if (home.empty()) return {};
    return home + "/.local/share/lomtra-sat/drive_c";
}

bool is_separator(char c) {
    return c == '/' || c == '\\';
}

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_without_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

bool exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// The entry of `folder` whose name equals `component` without regard to case. An exact match
// wins; among several others the first in byte order is taken so the choice never flickers.
std::string match_component(const std::string& folder, const std::string& component) {
    const std::string exact = folder + component;
    if (exists(exact)) return component;
    owned<DIR, closedir> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return component;
    std::string best;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (!same_without_case(name, component)) continue;
        if (best.empty() || name < best) best = std::string(name);
    }
    return best.empty() ? component : best;
}

std::vector<std::string> split_components(std::string_view rest) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && is_separator(rest[i])) ++i;
        std::size_t end = i;
        while (end < rest.size() && !is_separator(rest[end])) ++end;
        if (end > i) parts.emplace_back(rest.substr(i, end - i));
        i = end;
    }
    return parts;
}

// Joins the drive-C root `base` (ending in "/") with the components, each matched against what
// exists. ".." never climbs above the root.
std::string resolve(std::string base, std::string_view rest) {
    std::vector<std::string> kept;
    for (const std::string& part : split_components(rest)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string path = std::move(base);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        kept[i] = match_component(path, kept[i]);
        path += kept[i];
        if (i + 1 < kept.size()) path += '/';
    }
    return path;
}

}  // namespace

std::string drive_c_root() {
    const std::string root = drive_c_location();
    if (root.empty()) return {};
    std::error_code error;
    std::filesystem::create_directories(root, error);
    if (!std::filesystem::is_directory(root, error)) return {};
    return root;
}

void set_drive_c_folder(std::string folder) { chosen_drive_c() = std::move(folder); }

std::string user_config_folder() {
    const std::string config_home = environment("XDG_CONFIG_HOME");
    if (!config_home.empty() && config_home.front() == '/') return config_home;
    return home_folder() + "/.config";
}

bool drive_exists(char letter) {
    return letter == 'C' || letter == 'c';
}

std::string native_path(std::string_view name) {
    // Texts hold no NULs; whatever follows one was never part of the name.
    name = name.substr(0, name.find('\0'));
    if (name.empty()) return {};
    const bool has_drive = name.size() >= 2 && name[1] == ':' &&
                           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    if (has_drive) {
        if (!drive_exists(name[0])) return {};
        std::string root = drive_c_root();
        if (root.empty()) return {};
        if (root.back() != '/') root += '/';
        std::string path = resolve(root, name.substr(2));
        if (path.size() > 1 && path.back() == '/') path.pop_back();  // the root itself
        return path;
    }
    return std::string(name);
}

}  // namespace platform
