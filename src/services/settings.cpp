#include "services/settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>

#include "platform/native_file.h"
#include "platform/paths.h"

namespace services {
namespace {

bool has_blank(std::string_view value) {
    for (char c : value) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return true;
    }
    return false;
}

bool starts_with_web_scheme(std::string_view value) {
    for (std::string_view scheme : {"http://", "https://"}) {
        if (value.substr(0, scheme.size()) == scheme) return value.size() > scheme.size() && value[scheme.size()] != '/';
    }
    return false;
}

bool check_web_server(std::string_view value, std::string& why) {
    if (starts_with_web_scheme(value) && !has_blank(value)) return true;
    why = "not an http:// or https:// address with a host, such as http://127.0.0.1:18089";
    return false;
}

bool check_host(std::string_view value, std::string& why) {
    if (!has_blank(value)) return true;
    why = "a host name may not hold spaces or control characters";
    return false;
}

bool check_rate(std::string_view value, std::string& why) {
    double rate = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), rate, std::chars_format::fixed);
    if (error == std::errc() && end == value.data() + value.size() && std::isfinite(rate) && rate >= 0.001) return true;
    why = "not a number of tiles per second from 0.001 up, such as 2 or 0.5";
    return false;
}

bool check_prefetch(std::string_view value, std::string& why) {
    int depth = -1;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), depth);
    if (error == std::errc() && end == value.data() + value.size() && depth >= 0) return true;
    why = "not a whole number of tiles from 0 up (0 turns fetching ahead off)";
    return false;
}

bool check_absolute_folder(std::string_view value, std::string& why) {
    if (value.front() == '/') return true;
    why = "not an absolute folder path (one that begins with /)";
    return false;
}

// Adding a key is adding its line here; the usage text, the manual and the README list them.
const std::vector<setting_key> keys = {
    {"LOMTRA_SAT_TILE_URL", "", "the classic address on LOMTRA_SAT_TILE_SERVER", "tile address template with {x} {y} {-y} {z} {q}, http or https", nullptr},
    {"LOMTRA_SAT_TILE_SERVER", "http://127.0.0.1:18089", "http://127.0.0.1:18089", "scheme and host that serve the classic tile address", check_web_server},
    {"LOMTRA_SAT_SITE", "127.0.0.1:18089", "127.0.0.1:18089", "host (no scheme) of the three information pages", check_host},
    {"LOMTRA_SAT_MAX_RATE", "", "no limit", "most tile requests per second, such as 2 or 0.5", check_rate},
    {"LOMTRA_SAT_PREFETCH", "", "as the link needs, at most 8", "most tiles fetched ahead of the one on show; 0: none", check_prefetch},
    {"LOMTRA_SAT_DRIVE_C", "", "$XDG_DATA_HOME/lomtra-sat/drive_c", "folder that stands for drive C", check_absolute_folder},
};

struct file_settings {
    std::string path;
    std::map<std::string, std::string, std::less<>> values;
};

file_settings& from_file() {
    static file_settings settings;
    return settings;
}

const setting_key* find_key(std::string_view name) {
    for (const setting_key& key : keys) {
        if (name == key.name) return &key;
    }
    return nullptr;
}

bool acceptable(const setting_key& key, std::string_view value, std::string& why) {
    return !value.empty() && (!key.check || key.check(value, why));
}

// The environment's value of the key when it is set and good, else nothing.
const char* from_environment(const setting_key& key) {
    const char* value = std::getenv(key.name);
    std::string why;
    return (value && acceptable(key, value, why)) ? value : nullptr;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool read_whole(const std::string& path, std::string& text) {
    platform::native_file file;
    if (!file.open(path, platform::native_file::mode::read)) return false;
    char buffer[4096];
    while (const std::size_t got = file.read(buffer, sizeof buffer)) text.append(buffer, got);
    return true;
}

std::string quoted(std::string_view value) { return "\"" + std::string(value) + "\""; }

}  // namespace

const std::vector<setting_key>& setting_keys() { return keys; }

std::string setting(std::string_view name) {
    const setting_key* key = find_key(name);
    if (!key) return {};
    if (const char* value = from_environment(*key)) return value;
    const auto found = from_file().values.find(name);
    return found != from_file().values.end() ? found->second : key->default_value;
}

setting_origin origin_of_setting(std::string_view name) {
    const setting_key* key = find_key(name);
    if (!key) return setting_origin::built_in;
    if (from_environment(*key)) return setting_origin::environment;
    return from_file().values.count(name) ? setting_origin::file : setting_origin::built_in;
}

std::string setting_origin_text(std::string_view name) {
    switch (origin_of_setting(name)) {
        case setting_origin::environment: return "the environment";
        case setting_origin::file: return "the settings file " + from_file().path;
        case setting_origin::built_in: break;
    }
    return "the built-in default";
}

std::string settings_file_path() { return platform::user_config_folder() + "/lomtra-sat/lomtra-sat.conf"; }

std::vector<std::string> load_settings(const std::string& path) {
    file_settings& settings = from_file();
    settings = file_settings{path, {}};
    std::vector<std::string> warnings;
    std::string text;
    if (!path.empty() && read_whole(path, text)) {
        std::size_t line_start = 0;
        for (int line_number = 1; line_start < text.size(); ++line_number) {
            std::size_t line_end = text.find('\n', line_start);
            if (line_end == std::string::npos) line_end = text.size();
            const std::string_view line = trim(std::string_view(text).substr(line_start, line_end - line_start));
            line_start = line_end + 1;
            if (line.empty() || line.front() == '#') continue;
            const std::string where = path + ":" + std::to_string(line_number) + ": ";
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos) {
                warnings.push_back(where + quoted(line) + " is not a KEY=VALUE line; it is ignored");
                continue;
            }
            const std::string_view name = trim(line.substr(0, equals));
            const std::string_view value = trim(line.substr(equals + 1));
            const setting_key* key = find_key(name);
            if (!key) {
                warnings.push_back(where + "unknown setting " + std::string(name) + "; it is ignored");
                continue;
            }
            std::string why;
            if (value.empty()) {
                settings.values.erase(key->name);  // an empty value asks for the default
            } else if (acceptable(*key, value, why)) {
                settings.values[key->name] = std::string(value);
            } else {
                warnings.push_back(where + key->name + " = " + quoted(value) + " is ignored: " + why);
            }
        }
    }
    for (const setting_key& key : keys) {
        const char* value = std::getenv(key.name);
        std::string why;
        if (value && *value && !acceptable(key, value, why)) {
            warnings.push_back(std::string("environment: ") + key.name + " = " + quoted(value) + " is ignored: " + why);
        }
    }
    return warnings;
}

}  // namespace services
