// Naming files on drive C as a capture run does: each tile gets a new name ("C:/n.jpg"), looked
// up without regard to case and then made by the program, in a folder that already holds 140,
// 5000 or 16000 files. Also the look-up of a name that exists as written.
//   build/bench/bench_files
//
// Reference: reading the whole folder once, which is what looking up a new name cost when
// every look-up searched the folder for other spellings of the name.
#include <dirent.h>
#include <strings.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/handles.h"
#include "platform/native_file.h"
#include "platform/paths.h"

namespace {

using clock_type = std::chrono::steady_clock;

double us_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::micro>(clock_type::now() - start).count();
}

// One read of the whole folder, comparing each name without regard to case.
std::size_t read_folder(const std::string& folder, const std::string& wanted) {
    platform::owned<DIR, closedir> dir(opendir(folder.c_str()));
    std::size_t matches = 0;
    while (const dirent* entry = dir ? readdir(dir.get()) : nullptr) {
        matches += strcasecmp(entry->d_name, wanted.c_str()) == 0 ? 1 : 0;
    }
    return matches;
}

struct figures {
    double first_us = 0;          // the first look-up in the folder, which reads it
    double new_name_us = 0;       // look-up of a name not yet there, after the first
    double existing_name_us = 0;  // look-up of a name there as written
    double folder_read_us = 0;    // the reference
};

figures measure(const std::string& root, int files) {
    constexpr int lookups = 400;
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    for (int i = 0; i < files; ++i) std::ofstream(root + "/" + std::to_string(i) + ".jpg") << 'x';
    // The folder was just filled by another program: let the file system's clock move on.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));

    figures result;
    std::size_t found = 0;
    for (int i = 0; i < lookups; ++i) {
        const auto start = clock_type::now();
        const std::string path = platform::native_path("C:/" + std::to_string(files + i) + ".JPG");
        (i == 0 ? result.first_us : result.new_name_us) += us_since(start);
        platform::native_file made;  // the program makes the file, as it saves a tile
        found += made.open(path, platform::native_file::mode::create) ? 1 : 0;
    }
    for (int i = 0; i < lookups; ++i) {
        const auto start = clock_type::now();
        found += platform::native_path("C:/" + std::to_string(i % files) + ".jpg").size() > 0 ? 1 : 0;
        result.existing_name_us += us_since(start);
    }
    for (int i = 0; i < lookups / 10; ++i) {
        const auto start = clock_type::now();
        found += read_folder(root, std::to_string(files + lookups + i) + ".JPG");
        result.folder_read_us += us_since(start);
    }
    if (found < 2 * lookups) std::fprintf(stderr, "bench_files: files were not made\n");
    result.new_name_us /= lookups - 1;
    result.existing_name_us /= lookups;
    result.folder_read_us /= lookups / 10;
    return result;
}

}  // namespace

int main() {
    char folder_template[] = "/tmp/bench_files.XXXXXX";
    if (!mkdtemp(folder_template)) return 1;
    const std::string folder = folder_template;
    const std::string root = folder + "/drive_c";
    platform::set_drive_c_folder(root);

    std::printf("naming files on drive C (microseconds a look-up)\n");
    std::printf("  %8s %12s %12s %12s %14s %8s\n", "files", "first name", "new name", "existing", "folder read",
                "ratio");
    for (const int files : {140, 5000, 16000}) {
        const figures result = measure(root, files);
        std::printf("  %8d %12.2f %12.2f %12.2f %14.2f %8.1f\n", files, result.first_us, result.new_name_us,
                    result.existing_name_us, result.folder_read_us, result.folder_read_us / result.new_name_us);
    }
    std::printf("  first name: the folder's first look-up reads it; ratio: a folder read / a new name's look-up\n");
    std::filesystem::remove_all(folder);
    return 0;
}
