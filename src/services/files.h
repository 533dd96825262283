#pragma once
// Numbered sequential files with a 4096-byte buffer, and name-based file operations.
//
// Names may use drive C ("C:/x", "c:\x"), either folder separator, and are matched without
// regard to case (see platform/paths.h).
#include <cstdint>
#include <string>
#include <string_view>

namespace services {

// A file number, or -1 for "give me a new number" (the result is then the new number).
using file_number = intptr_t;
constexpr file_number auto_file_number = -1;

// Each returns non-zero on success (the new number for the auto number), 0 on failure.
intptr_t open_for_reading(file_number number, std::string_view name);
intptr_t create_file(file_number number, std::string_view name);
intptr_t open_for_update(file_number number, std::string_view name);

void close_file(file_number number);
void close_all_files();

// Next byte 0..255; 0 at the end of the file or when the number holds no open file.
int read_byte(file_number number);
// Non-zero when no byte is left; 0 otherwise and when the number holds no open file.
int end_of_file(file_number number);
// Writes the text and CR LF; bytes accepted (length + 2), 0 when no file is open.
int64_t write_line(file_number number, std::string_view text);

// Size in bytes; -1 no such file (or empty name); -2 a directory or a drive.
int64_t file_size(std::string_view name);
int remove_file(std::string_view name);
int make_directory(std::string_view name);

}  // namespace services
