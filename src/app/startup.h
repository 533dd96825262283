#pragma once
// The program from start to end: services up, parameters, area, window, main loop, shutdown.

#include "app/run_settings.h"

namespace app {

// The exit status when a setting keeps the program from starting.
constexpr int exit_bad_setting = 2;

// Runs the whole program with the process's arguments. The exit code is 0; 1 when no display
// can be opened (said on standard error); 128 + the signal when SIGTERM, SIGINT or SIGHUP
// ended it (through the close path, so no temporary file stays). "--help" or "--version" as
// the only word print the usage or the version instead.
int run_program(int argc, const char* const* argv, run_settings settings = {});

// Reads the settings file and puts the settings in force; what it ignores (unknown keys, bad
// values) is named on the terminal. False, after saying why on the terminal and in a box, when
// the tile address template they give cannot be used.
bool apply_settings();

// The steps of run_program, for callers that drive the main loop themselves:
// services, parameters, area and window; false when the window could not be opened.
bool start_program(int argc, const char* const* argv, run_settings settings = {});
// The end routines: windows, files and images are released.
void shut_down();

}  // namespace app
