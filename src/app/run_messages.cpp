#include "app/run_messages.h"

#include <cerrno>
#include <cstring>

#include "services/settings.h"
#include "services/text.h"

namespace app {
namespace {

using services::integer_to_text;

std::string tile_text(const tile_position& tile, int zoom) {
    return "x = " + integer_to_text(tile.x) + ", y = " + integer_to_text(tile.y) + ", zoom = " +
           integer_to_text(zoom);
}

}  // namespace

std::string seconds_text(int64_t ms) { return integer_to_text((ms + 999) / 1000) + " s"; }

std::string tile_failure_text(const tile_failure& failure) {
    std::string text = "The tile " + tile_text(failure.tile, failure.zoom) + " did not arrive after " +
                       integer_to_text(failure.attempts) + (failure.attempts == 1 ? " request" : " requests") +
                       " over " + seconds_text(failure.waited_ms) + ": " + failure.reason + ".";
    text += "\nAddress: " + failure.address;
    // Nothing has come from that address at all: most likely the tile source is not the one
    // meant, so the box says where it is chosen.
    if (failure.first_tile) {
        text += "\nNo tile of this run has arrived yet. The tile source is chosen by LOMTRA_SAT_TILE_URL (now " +
                services::setting_origin_text("LOMTRA_SAT_TILE_URL") + "), in the environment or in the settings file " +
                services::settings_file_path() + ".";
    }
    text += "\n\nTry again? Yes asks for the tile again; No stops the run and deletes its temporary files.";
    return text;
}

std::string retry_status(const tile_failure& failure, int64_t wait_ms) {
    return "Tile " + tile_text(failure.tile, failure.zoom) + " did not arrive (" + failure.reason +
           "): attempt " + integer_to_text(failure.attempts + 1) + " in " + seconds_text(wait_ms);
}

std::string awaited_tile_status(const tile_position& tile, int zoom, int attempt) {
    return "Waiting for tile " + tile_text(tile, zoom) + ": attempt " + integer_to_text(attempt);
}

std::string system_reason(const std::string& otherwise) {
    const int error = errno;
    return error == 0 ? otherwise : std::string(std::strerror(error));
}

std::string file_failure(const std::string& what, const std::string& name, const std::string& reason) {
    return what + " \"" + name + "\" could not be written: " + reason + ".";
}

std::string size_text(int64_t bytes) {
    constexpr int64_t megabyte = 1024 * 1024;
    if (bytes >= 10 * megabyte) return integer_to_text((bytes + megabyte - 1) / megabyte) + " MB";
    return integer_to_text((bytes + 1023) / 1024) + " KB";
}

}  // namespace app
