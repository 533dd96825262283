#pragma once
// Command-line options of lomtra-tileserver.
#include <string>
#include <vector>

namespace tileserver {

// The port that the program's default tile-server address names.
constexpr int default_port = 18089;
constexpr const char* default_earth_picture = "/usr/share/xplanet/images/earth.jpg";

enum class source_kind { earth, pattern, folder };

struct server_options {
    std::string bind = "127.0.0.1";
    int port = default_port;  // 0 picks a free port
    source_kind source = source_kind::earth;
    std::string tiles_folder;
    std::string earth_picture = default_earth_picture;
    int quality = 95;

    // Faults, for tests; they apply to tile requests only, never to the pages.
    int delay_ms = 0;         // fixed wait before answering
    int random_delay_ms = 0;  // plus a uniform random wait of 0..this
    int status = 0;           // answer every tile with this HTTP status (0: normal answers)
    bool hang = false;        // never answer (until the server stops)
    bool truncate = false;    // send only the first half of each tile's bytes
    bool cut_short = false;   // announce the whole tile, send half of it, then hang up
    bool html_instead = false;  // an HTML page instead of the image
    std::string log_path;     // one line per request served ("-" for standard output)
    bool no_cache = false;    // tiles say "no-store" instead of a cache lifetime
};

enum class parse_result { run, help, error };

// Reads argv[1..]; on error, `message` says what was wrong.
parse_result parse_options(const std::vector<std::string>& words, server_options& options,
                           std::string& message);

std::string help_text();

}  // namespace tileserver
