#include "app/program_state.h"

namespace app {

program_variables program;

void clear_program_variables(run_settings settings) {
    program.parameters = start_parameters{};
    program.bounds = area{};
    program.zoom = 0;
    program.compression = 0;
    program.grid = tile_grid{};
    program.run.reset(std::move(settings));
}

}  // namespace app
