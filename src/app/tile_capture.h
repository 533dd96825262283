#pragma once
// Turns the page that browser panel 1 shows right now into the 256 x 256 tile image.
#include <functional>
#include <string>

namespace app {

constexpr int capture_image = 0;  // the panel's whole client area
constexpr int tile_image = 1;     // the tile cut out of it
constexpr int tile_left = 10;     // where a tile page shows its image inside the panel
constexpr int tile_top = 15;
constexpr int tile_size = 256;

enum class capture_outcome {
    captured,      // image 1 holds the tile
    not_rendered,  // the panel did not paint its page (the engine did not hand it over): try again
    failed,        // memory or a diagnostic file failed: the run cannot go on
};

struct capture_result {
    capture_outcome outcome = capture_outcome::failed;
    std::string failure;  // what went wrong and why, unless captured
};

// Renders the panel into image 0 and cuts image 1 at (10, 15); writes the two diagnostic
// files "c:\Screenshot.jpg" and "C:/essai.jpg" on the way.
capture_result capture_tile();

// The first half alone, as a run does it so that the next tile can be asked for in between:
// the panel rendered into image 0. `meanwhile` runs while the engine draws the page, before
// image 0 changes: the previous capture is still there for it to keep. `once_taken` runs as
// soon as the picture is fixed: the panel may be sent to the next tile from then on. Both run
// once, whether or not the panel is rendered.
capture_result render_tile_page(const std::function<void()>& meanwhile = {},
                                const std::function<void()>& once_taken = {});

// The two halves of a capture, apart so that their costs can be measured apart.
// Renders the panel's client area into image 0 (`meanwhile` and `once_taken` as above).
capture_result render_panel(const std::function<void()>& meanwhile = {},
                            const std::function<void()>& once_taken = {});
// Writes image 0 to "c:\Screenshot.jpg", cuts the tile into image 1 and writes "C:/essai.jpg";
// the failure, or the empty text.
std::string cut_tile();

}  // namespace app
