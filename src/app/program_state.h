#pragma once
// The program's state: one set of program-wide variables, all zero at start.
#include <cstdint>

#include "app/area.h"
#include "app/area_input.h"
#include "app/tile_grid.h"

namespace app {

// Where the current page request of a run stands.
enum page_states : int32_t {
    PAGE_WAITING = 0,    // a page was requested (or nothing is going on)
    PAGE_FINISHED = 1,   // a download has ended; the capture is pending
    PAGE_CAPTURING = 2,  // inside the capture step
};

struct program_variables {
    start_parameters parameters;  // command-line parameters 0 to 4
    area bounds;                  // lat_min, lat_max, lon_min, lon_max
    int8_t zoom = 0;              // read from trackbar 8 at START
    int8_t compression = 0;       // read from trackbar 10 at START, 1 (smallest file) to 10
    tile_grid grid;               // the grid of the current run

    int32_t page_state = PAGE_WAITING;
    int32_t run_active = 0;
    int32_t capture_count = 0;  // captures saved in this run, and the number of the next tile file
    int32_t tile_x = 0;         // the next tile to request
    int32_t tile_y = 0;
    int32_t preview_row = 0;     // the preview's next cell, row 1 at the bottom
    int32_t preview_column = 0;  // column 0 at the left
    double preview_scale = 0.0;
};

extern program_variables program;

void clear_program_variables();

}  // namespace app
