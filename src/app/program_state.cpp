#include "app/program_state.h"

namespace app {

program_variables program;

void clear_program_variables() { program = program_variables{}; }

}  // namespace app
