#include "platform/paths.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <unordered_map>
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
    static std::string& folder = *new std::string;
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

// The entry of `folder` whose name equals `component` without regard to case, found by
// reading the whole folder; among several spellings the first in byte order is taken so the
// choice never flickers.
std::string scan_for_component(const std::string& folder, const std::string& component) {
    owned<DIR, closedir> dir(opendir(folder.c_str()));
    if (!dir) return component;
    std::string best;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (!same_without_case(name, component)) continue;
        if (best.empty() || name < best) best = std::string(name);
    }
    return best.empty() ? component : best;
}

std::string folded(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) c = ascii_lower(c);
    return lower;
}

bool same_time(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// True when a change made to the folder from `now` on cannot carry the change time `changed`
// again. Folder times come from a clock that advances in ticks of a few milliseconds, so a
// change in the tick of the last one leaves the time as it was; a time without nanoseconds
// comes from a file system that keeps whole seconds (or two of them).
bool later_changes_show(const timespec& changed, const timespec& now) {
    if (changed.tv_nsec == 0) return now.tv_sec > changed.tv_sec + 2;
    return now.tv_sec > changed.tv_sec || (now.tv_sec == changed.tv_sec && now.tv_nsec > changed.tv_nsec);
}

// The names of each drive-C folder looked into, so that naming a new file there does not read
// the whole folder each time. The names are right as long as the folder's change time is the
// one seen when they were read; the program's own changes (folder_change) keep them right and
// take the new time, and any other change moves the time and has the folder read again.
//
// What stays unseen: a change by another program in the instant between the program's own
// check of a folder and its own change there (or, on a file system whose clock moves in coarse
// ticks, in the rest of that tick), until the folder changes again in another way.
class folder_names {
public:
    // The folder's entry matching `component` without regard to case (see scan_for_component).
    std::string match(const std::string& folder, const std::string& component) {
        std::lock_guard<std::mutex> lock(mutex_);
        listing* names = current(folder);
        if (!names) return scan_for_component(folder, component);
        const auto found = names->by_folded.find(folded(component));
        if (found == names->by_folded.end()) return component;
        // The spelling kept may have gone in the instant since the folder was read.
        const std::string best = found->second.first;
        if (exists(folder + best)) return best;
        folders_.erase(folder);
        return scan_for_component(folder, component);
    }

    // Whether the names kept for `folder` are right at this moment (false when none are kept).
    bool up_to_date(const std::string& folder) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = folders_.find(folder);
        struct stat info {};
        return found != folders_.end() && ::stat(folder.c_str(), &info) == 0 && unchanged(found->second, info);
    }

    // After the program's own change of `name` in `folder`: it exists now or not. Names that
    // were right before the change stay right with it; others are dropped, to be read again.
    void changed(const std::string& folder, const std::string& name, bool exists_now, bool were_up_to_date) {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = folders_.find(folder);
        if (found == folders_.end()) return;
        struct stat info {};
        if (!were_up_to_date || ::stat(folder.c_str(), &info) != 0) {
            folders_.erase(found);
            return;
        }
        listing& names = found->second;
        names.changed = info.st_mtim;
        const auto spellings = names.by_folded.find(folded(name));
        if (spellings == names.by_folded.end()) {
            if (exists_now) names.by_folded.emplace(folded(name), spelling{name, 1});
        } else if (spellings->second.first == name && spellings->second.count == 1) {
            if (!exists_now) names.by_folded.erase(spellings);
        } else {
            folders_.erase(found);  // several spellings of one name: rare enough to read again
        }
    }

private:
    struct spelling {
        std::string first;  // in byte order, the one a look-up takes
        int count = 0;      // how many spellings of the name the folder holds
    };
    struct listing {
        dev_t device = 0;
        ino_t inode = 0;
        timespec changed{};
        bool settled = false;  // a change after the folder was read shows in its change time
        std::unordered_map<std::string, spelling> by_folded;  // by the name in lower case
    };

    static bool unchanged(const listing& names, const struct stat& info) {
        return names.settled && names.device == info.st_dev && names.inode == info.st_ino &&
               same_time(names.changed, info.st_mtim);
    }

    // The names of `folder`, read again when its change time moved or might hide a change;
    // null when the folder cannot be read.
    listing* current(const std::string& folder) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            folders_.erase(folder);
            return nullptr;
        }
        const auto found = folders_.find(folder);
        if (found != folders_.end() && unchanged(found->second, info)) return &found->second;
        timespec now{};
        clock_gettime(CLOCK_REALTIME_COARSE, &now);
        owned<DIR, closedir> dir(opendir(folder.c_str()));
        if (!dir) {
            folders_.erase(folder);
            return nullptr;
        }
        listing names;
        names.device = info.st_dev;
        names.inode = info.st_ino;
        names.changed = info.st_mtim;
        names.settled = later_changes_show(info.st_mtim, now);
        while (const dirent* entry = readdir(dir.get())) {
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..") continue;
            spelling& known = names.by_folded[folded(name)];
            if (known.count++ == 0 || name < known.first) known.first = std::string(name);
        }
        return &(folders_[folder] = std::move(names));
    }

    std::mutex mutex_;
    std::map<std::string, listing> folders_;
};

// Never destroyed, like the drive's location below: objects of the program that go at exit
// (the run and its drive-C lock) still look names up while static objects are destroyed.
folder_names& drive_c_names() {
    static folder_names& names = *new folder_names;
    return names;
}

// The entry of `folder` that `component` names: the exact name when it exists, else another
// spelling of it, from the folder's names kept between look-ups.
std::string match_component(const std::string& folder, const std::string& component) {
    if (exists(folder + component)) return component;
    return drive_c_names().match(folder, component);
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

folder_change::folder_change(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash + 1 == path.size()) return;
    folder_ = path.substr(0, slash + 1);
    name_ = path.substr(slash + 1);
    names_were_right_ = drive_c_names().up_to_date(folder_);
}

void folder_change::done(bool exists_now) {
    if (!name_.empty()) drive_c_names().changed(folder_, name_, exists_now, names_were_right_);
}

}  // namespace platform
