#pragma once
// Moves a capture run forward: one capture step per finished tile page.
#include <cstdint>

namespace app {

// How long a tile page may take before it is asked for again, and how often it is asked for
// in all before the run gives up on it.
struct page_patience {
    int64_t timeout_ms = 30000;
    int attempts = 3;
};
extern page_patience tile_page_patience;

// Captures the page on display, stores it as the next tile file and requests the next tile,
// or, after the last tile, builds and writes the run's output and returns to idle.
void capture_step();

// Called on every pass while a run waits for its page: asks again for a tile page that has not
// come in time, and stops the run when it never comes.
void check_page_timeout();

}  // namespace app
