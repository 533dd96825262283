#pragma once
// Where the engine keeps its session's data for this process: $XDG_CACHE_HOME/lomtra-sat/
// web-<pid> (else ~/.cache/...), private to the user, removed when the process ends.
#include <string>

namespace platform {

// The folder, made on the first call; empty when it could not be made.
std::string web_data_folder();

}  // namespace platform
