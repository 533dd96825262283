#pragma once
// The program's settings: the LOMTRA_SAT_* keys, each read from the environment or from the
// settings file ($XDG_CONFIG_HOME/lomtra-sat/lomtra-sat.conf, one KEY=VALUE a line). The
// environment wins over the file, the file over the built-in default. A bad value, wherever it
// comes from, is ignored as a whole: the next source (or the default) stands.
#include <string>
#include <string_view>
#include <vector>

namespace services {

// Checks a value; on refusal `why` says what is wrong with it (completing "... is ignored: ").
using setting_check = bool (*)(std::string_view value, std::string& why);

struct setting_key {
    const char* name;           // "LOMTRA_SAT_..."
    const char* default_value;  // what setting() gives when the key is set nowhere ("" for none)
    const char* shown_default;  // the default as the usage text and the manual word it
    const char* meaning;        // one line for the usage text
    setting_check check;        // null: any text is taken (the caller checks it)
};

// Every key the program knows, in the order the usage text lists them.
const std::vector<setting_key>& setting_keys();

enum class setting_origin { built_in, environment, file };

// The value of a known key: the environment's when it is set (not empty) and good, else the
// settings file's, else the default. An unknown key gives the empty text.
std::string setting(std::string_view name);
setting_origin origin_of_setting(std::string_view name);

// Where the key's value comes from, for messages: "the environment", "the settings file PATH"
// or "the built-in default".
std::string setting_origin_text(std::string_view name);

// $XDG_CONFIG_HOME/lomtra-sat/lomtra-sat.conf, else ~/.config/lomtra-sat/lomtra-sat.conf.
std::string settings_file_path();

// Reads the settings file at `path`, replacing what an earlier call read; a missing file is no
// error. Returns one warning per line that is not KEY=VALUE, unknown key and bad value (in the
// file or in the environment), each naming the key and where it was found.
std::vector<std::string> load_settings(const std::string& path);

}  // namespace services
