#pragma once
// The words of the program's command line, and handing a file to the desktop to open.
#include <string>
#include <string_view>
#include <vector>

namespace services {

// Cuts a command line into words: runs of spaces (0x20 only) separate words; a word that
// begins with a double quote runs to the next double quote (or the end) without the quotes.
// The first word is the program name.
std::vector<std::string> split_command_line(std::string_view line);

// Makes argv (the program name first) the words that program_parameter reads, exactly as
// given: quotes, spaces and all. The words were cut by whoever started the program, so they
// are never joined and cut again. Resets the position of the next word to word 0.
void set_command_words(int argc, const char* const* argv);

// Makes `line` the process command line that program_parameter reads, and resets the position
// of the next word to word 0.
void set_command_line(std::string_view line);

// Word `index` after the program name (0-based), or with -1 the word after the one returned
// last. A word beyond the last gives the empty text and leaves the position unchanged.
std::string program_parameter(int index);

// Starts `path` when it is a program (platform::is_program), else opens it with the desktop's
// default application. Never goes through a shell, never waits, and never hands over our
// standard output or error. Non-zero when something started.
int launch_file(std::string_view path);

}  // namespace services
