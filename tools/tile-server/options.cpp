#include "options.h"

#include <cerrno>
#include <cstdlib>

namespace tileserver {
namespace {

bool to_int(const std::string& text, int low, int high, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

std::string help_text() {
    return "Usage: lomtra-tileserver [OPTION]...\n"
           "Serves map tiles and the Lomtra-SAT information pages over HTTP.\n"
           "\n"
           "Tile addresses: /kh/v=109&src=app&x=X&s=&y=Y&z=Z&s=Gal, /Z/X/Y.jpg, /Z/X/Y.png,\n"
           "  /tms/Z/X/Y.jpg (rows counted from the south) and /q/QUADKEY.jpg (or .png)\n"
           "Pages: /presentation.html /publicite1.html /publicite2.html\n"
           "\n"
           "  --bind ADDR        listen on ADDR (default 127.0.0.1)\n"
           "  --port N           listen on port N (default 18089; 0 picks a free port)\n"
           "  --demo             the Earth from a world picture, any zoom (the default)\n"
           "  --earth FILE       world picture for --demo (default " +
           std::string(default_earth_picture) +
           ")\n"
           "  --pattern          synthetic tiles: red = x mod 256, green = y mod 256 of the\n"
           "                     world pixel, blue from tile and zoom, white lines every 256 px\n"
           "  --tiles DIR        tiles from DIR/{z}/{x}/{y}.jpg or .png\n"
           "  --quality Q        JPEG quality 1..100 of generated tiles (default 95)\n"
           "  --no-cache         tiles may not be kept (no-store) instead of for a day\n"
           "\n"
           "Faults (tile requests only):\n"
           "  --delay MS         wait MS milliseconds before each answer\n"
           "  --random-delay MS  wait a further random 0..MS milliseconds\n"
           "  --status CODE      answer every tile with HTTP status CODE\n"
           "  --hang             never answer a tile request\n"
           "  --truncate         send only the first half of each tile\n"
           "  --cut-short        announce the whole tile, send half of it, then hang up\n"
           "  --html             send an HTML page instead of each image\n"
           "  --log FILE         append one line per request served (- for standard output)\n"
           "  --help             show this help and exit\n";
}

parse_result parse_options(const std::vector<std::string>& words, server_options& options,
                           std::string& message) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= words.size()) {
                message = word + " needs a value";
                return false;
            }
            out = words[++i];
            return true;
        };
        auto number = [&](int low, int high, int& out) {
            std::string text;
            if (!value(text)) return false;
            if (!to_int(text, low, high, out)) {
                message = word + ": '" + text + "' is not a number from " + std::to_string(low) +
                          " to " + std::to_string(high);
                return false;
            }
            return true;
        };
        bool ok = true;
        if (word == "--help" || word == "-h") return parse_result::help;
        else if (word == "--bind") ok = value(options.bind);
        else if (word == "--port") ok = number(0, 65535, options.port);
        else if (word == "--demo") options.source = source_kind::earth;
        else if (word == "--earth") ok = value(options.earth_picture);
        else if (word == "--pattern") options.source = source_kind::pattern;
        else if (word == "--tiles") {
            ok = value(options.tiles_folder);
            options.source = source_kind::folder;
        }
        else if (word == "--quality") ok = number(1, 100, options.quality);
        else if (word == "--delay") ok = number(0, 3600000, options.delay_ms);
        else if (word == "--random-delay") ok = number(0, 3600000, options.random_delay_ms);
        else if (word == "--status") ok = number(100, 599, options.status);
        else if (word == "--hang") options.hang = true;
        else if (word == "--truncate") options.truncate = true;
        else if (word == "--cut-short") options.cut_short = true;
        else if (word == "--html") options.html_instead = true;
        else if (word == "--no-cache") options.no_cache = true;
        else if (word == "--log") ok = value(options.log_path);
        else {
            message = "unknown option '" + word + "' (see --help)";
            return parse_result::error;
        }
        if (!ok) return parse_result::error;
    }
    return parse_result::run;
}

}  // namespace tileserver
