#pragma once
// The program from start to end: services up, parameters, area, window, main loop, shutdown.

namespace app {

// Runs the whole program with the process's arguments; the exit code is 0.
int run_program(int argc, const char* const* argv);

}  // namespace app
