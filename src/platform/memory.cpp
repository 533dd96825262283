#include "platform/memory.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace platform {
namespace {

// A "Name:   1234 kB" line of a /proc file, in bytes; -1 when the file or line is missing.
int64_t proc_value(const char* file, const std::string& name) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, name.size() + 1, name + ":") != 0) continue;
        try {
            return std::stoll(line.substr(name.size() + 1)) * 1024;
        } catch (...) {
            return -1;
        }
    }
    return -1;
}

// What a limit leaves when `used` of it is taken; -1 for no limit.
int64_t left_under(int resource, int64_t used) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || used < 0) return -1;
    return std::max<int64_t>(static_cast<int64_t>(limit.rlim_cur) - used, 0);
}

}  // namespace

int64_t available_memory() {
    int64_t available = -1;
    for (const int64_t bound : {proc_value("/proc/meminfo", "MemAvailable"),
                                left_under(RLIMIT_AS, proc_value("/proc/self/status", "VmSize")),
                                left_under(RLIMIT_DATA, proc_value("/proc/self/status", "VmData"))}) {
        if (bound >= 0) available = available < 0 ? bound : std::min(available, bound);
    }
    return available;
}

}  // namespace platform
