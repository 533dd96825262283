#pragma once
// What a run tells the user when something goes wrong, in one place: the "Error" boxes and the
// status line while a tile is awaited again.
#include <cstdint>
#include <string>

#include "app/tile_grid.h"

namespace app {

// A tile that has not come, as the box that asks whether to go on describes it.
struct tile_failure {
    tile_position tile;
    int zoom = 0;
    int attempts = 0;          // requests of the tile so far
    int64_t waited_ms = 0;     // since its first request (or the user's last Yes)
    std::string reason;        // why the last request failed
    std::string address;       // where it was asked for
    bool first_tile = false;   // no tile of the run has come yet
};

// The text of the Yes/No box titled "Error": the tile, the reason, the address, the question.
std::string tile_failure_text(const tile_failure& failure);

// The status line while a failed tile waits for its next request, and while it is asked for.
std::string retry_status(const tile_failure& failure, int64_t wait_ms);
std::string awaited_tile_status(const tile_position& tile, int zoom, int attempt);

// A duration in whole seconds, rounded up: "30 s".
std::string seconds_text(int64_t ms);

// The reason the system gives for the last failed call (errno), or `otherwise` when it gave
// none. Callers clear errno before the call they report on.
std::string system_reason(const std::string& otherwise);

// "the tile file "C:/5.jpg" could not be written: No space left on device"
std::string file_failure(const std::string& what, const std::string& name, const std::string& reason);

// A number of bytes in the unit a person reads best here: "812 MB", "3 KB".
std::string size_text(int64_t bytes);

}  // namespace app
