#include "app/usage.h"

#include <algorithm>
#include <cstring>

#include "services/settings.h"

namespace app {

std::string usage_text() {
    std::string text =
        "Usage: lomtra-sat [KML-file | nofile] [lat_min lat_max lon_min lon_max]\n"
        "       lomtra-sat --help | --version\n"
        "Turns a latitude/longitude rectangle into one georeferenced JPEG image, loading the\n"
        "256 x 256 Web-Mercator tiles that cover it one by one. The area starts from the four\n"
        "numbers, else from the first four corners of the KML file's first coordinates element,\n"
        "else a default; press START in the window to capture it.\n"
        "\n"
        "Settings: environment variables, or KEY=VALUE lines in\n"
        "  " +
        services::settings_file_path() +
        "\n"
        "(the environment wins over the file):\n";
    std::size_t width = 0;
    for (const services::setting_key& key : services::setting_keys()) width = std::max(width, std::strlen(key.name));
    for (const services::setting_key& key : services::setting_keys()) {
        text += "  " + std::string(key.name) + std::string(width + 2 - std::strlen(key.name), ' ') + key.meaning + "\n";
        text += std::string(width + 4, ' ') + "default: " + key.shown_default + "\n";
    }
    text +=
        "\n"
        "Files: C:/Lomtra-SAT/YYYY-MM-DD-HHMMSS.jpg with its world file (.jgw) and projection\n"
        "file (.prj), in the folder that stands for drive C; temporary tiles at its root while\n"
        "a run goes on. The browser engine's cache, while the program runs:\n"
        "$XDG_CACHE_HOME/lomtra-sat/web-<process number> (~/.cache/... by default).\n"
        "\n"
        "Exit status: 0 when the window was closed, 2 when a setting keeps the program from\n"
        "starting (a bad LOMTRA_SAT_TILE_URL), 1 when an image could not be encoded.\n";
    return text;
}

std::string version_text() { return std::string("lomtra-sat ") + LOMTRA_SAT_VERSION + "\n"; }

}  // namespace app
