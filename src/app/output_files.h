#pragma once
// The result of a run: the mosaic JPEG named after the date and time in "C:/Lomtra-SAT", its
// world file, its projection file and its GDAL auxiliary file. A name already taken by an
// earlier result gets "-2", "-3", ... before the extensions, so no result ever replaces another.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/area.h"

namespace app {

constexpr char output_folder[] = "C:/Lomtra-SAT";

// Every file of one result, the mosaic first: a name is free only when it is free for all.
constexpr std::array<const char*, 4> output_extensions = {".jpg", ".jgw", ".prj", ".jpg.aux.xml"};

struct output_outcome {
    std::string image;    // the mosaic JPEG written, on success
    std::string failure;  // what could not be written and why, on failure
};

// Writes the mosaic JPEG under the name it is given ("C:/Lomtra-SAT/... .jpg"): returns the empty
// text, or what failed and why.
using mosaic_writer = std::function<std::string(const std::string& image_name)>;

// Writes the four output files of a mosaic of width x height pixels of `bounds` (as read at
// START), named after `clock`: the mosaic by `write_mosaic`, then the texts beside it. On
// failure removes whatever of the result had been written and says what failed; nothing is
// opened either way.
output_outcome write_output(const area& bounds, int width, int height, const std::function<int64_t()>& clock,
                            const mosaic_writer& write_mosaic);

// What a failed write of the mosaic JPEG `image_name` says: the system's reason when it gave
// one (errno, cleared before the write), else the codec's.
std::string mosaic_file_failure(const std::string& image_name);

// The date and time part of the output names, each from its own reading of the clock.
std::string output_name(const std::function<int64_t()>& clock);

// folder + "/" + name, with "-2", "-3", ... added when a file of that name with any of the
// output extensions exists already.
std::string free_output_base(const std::string& folder, const std::string& name);

}  // namespace app
