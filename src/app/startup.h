#pragma once
// The program from start to end: services up, parameters, area, window, main loop, shutdown.

namespace app {

// Runs the whole program with the process's arguments; the exit code is 0.
int run_program(int argc, const char* const* argv);

// The steps of run_program, for callers that drive the main loop themselves:
// services, parameters, area and window; false when the window could not be opened.
bool start_program(int argc, const char* const* argv);
// The end routines: windows, files and images are released.
void shut_down();

}  // namespace app
