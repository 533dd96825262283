#pragma once
// The result of a run: the mosaic JPEG named after the date and time in "C:/Lomtra-SAT", its
// world file, its projection file and its GDAL auxiliary file; then the run's remaining temporary files go and the
// mosaic is handed to the desktop's image viewer.
#include <string>
#include <string_view>

namespace app {

constexpr char output_folder[] = "C:/Lomtra-SAT";

// Writes the four output files of the mosaic image. On success returns the empty text; when a
// file cannot be written, removes whatever of the output it had written and returns the name
// of the file that failed. The temporary files are removed in both cases; the mosaic is opened
// only on success.
std::string write_output();

// How the finished mosaic is handed to the desktop (services::launch_file); tests replace it so
// that no image viewer opens while they run.
extern int (*open_finished_mosaic)(std::string_view path);

// The date and time part of the output names, each from its own reading of the clock.
std::string output_name();

}  // namespace app
