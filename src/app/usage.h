#pragma once
// What the program says about itself on the terminal: --help and --version.
#include <string>

namespace app {

// The command line, every setting with its default, the files written and the exit statuses.
std::string usage_text();
// "lomtra-sat" and the version, one line.
std::string version_text();

}  // namespace app
