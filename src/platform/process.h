#pragma once
// Starting other programs without a shell and without waiting for them.
#include <string>
#include <vector>

namespace platform {

// True when `path` is a program: a regular file we may execute that begins as one (an ELF
// binary or a "#!" script). A document is never one, whatever its mode bits.
bool is_program(const std::string& path);

// Starts the program at `path` (no search along $PATH, no arguments, the current folder,
// nothing inherited but the environment). The child is reaped in the background once it
// ends. False when the file cannot be started as a program.
bool start_program(const std::string& path);

// Opens the existing file at `path` with the desktop's default application: GIO's handler
// for its type, else xdg-open. The path is handed over as one argument, never as shell text.
// Whatever is started has /dev/null as its standard input, output and error.
bool open_with_default_application(const std::string& path);

// The words this process was started with, the program's name first.
std::vector<std::string> process_arguments();

}  // namespace platform
