#pragma once
// The program's state: what start-up chose and START read, and the capture run.
#include <cstdint>

#include "app/area.h"
#include "app/area_input.h"
#include "app/capture_run.h"
#include "app/tile_grid.h"

namespace app {

struct program_variables {
    start_parameters parameters;  // command-line parameters 0 to 4
    area bounds;                  // lat_min, lat_max, lon_min, lon_max
    int8_t zoom = 0;              // read from trackbar 8 at START
    int8_t compression = 0;       // read from trackbar 10 at START, 1 (smallest file) to 10
    tile_grid grid;               // the grid computed at START
    capture_run run;              // the run under way, or idle
};

extern program_variables program;

// Everything back to its start: zeros, an idle run with these settings.
void clear_program_variables(run_settings settings = {});

}  // namespace app
