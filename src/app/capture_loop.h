#pragma once
// Moves a capture run forward: one capture step per finished tile page.

namespace app {

// Captures the page on display, stores it as the next tile file and requests the next tile,
// or, after the last tile, builds and writes the run's output and returns to idle.
void capture_step();

}  // namespace app
