#include "app/output_files.h"

#include <cerrno>
#include <string_view>

#include "app/run_messages.h"
#include "app/world_file.h"
#include "imaging/image_files.h"
#include "platform/native_file.h"
#include "platform/paths.h"
#include "services/dates.h"
#include "services/files.h"
#include "services/text.h"

namespace app {
namespace {

constexpr services::file_number world_file_number = 12;
constexpr services::file_number projection_file_number = 13;
constexpr services::file_number auxiliary_file_number = 14;

// Writes the lines through a numbered file and checks that every byte reached the disk: the
// buffered writes themselves cannot tell (a full disk shows only when the buffer is flushed).
template <typename Lines>
bool write_text_file(services::file_number number, const std::string& name, const Lines& lines) {
    errno = 0;
    if (!services::create_file(number, name)) return false;
    int64_t expected = 0;
    for (const auto& line : lines) {
        services::write_line(number, line);
        expected += static_cast<int64_t>(std::string_view(line).size()) + 2;
    }
    services::close_file(number);
    if (services::file_size(name) == expected) return true;
    if (errno == 0) errno = ENOSPC;  // the bytes went nowhere: the disk is full
    return false;
}

bool output_exists(const std::string& base) {
    for (const char* extension : output_extensions)
        if (services::file_size(base + extension) != -1) return true;
    return false;
}

}  // namespace

std::string output_name(const std::function<int64_t()>& clock) {
    const std::string date_part = services::date_to_text("%yyyy-%mm-%dd-", clock());
    const std::string time_part = services::date_to_text("%hh%ii%ss", clock());
    return date_part + time_part;
}

std::string free_output_base(const std::string& folder, const std::string& name) {
    std::string base = folder + "/" + name;
    for (int64_t suffix = 2; output_exists(base); ++suffix)
        base = folder + "/" + name + "-" + services::integer_to_text(suffix);
    return base;
}

std::string mosaic_file_failure(const std::string& image_name) {
    // The system's reason when it gave one (the codec can only guess at a full disk), else the
    // codec's own words.
    const std::string codec_reason = imaging::last_image_file_error();
    return file_failure("The mosaic", image_name,
                        system_reason(codec_reason.empty() ? "the image could not be encoded" : codec_reason));
}

output_outcome write_output(const area& bounds, int width, int height, const std::function<int64_t()>& clock,
                            const mosaic_writer& write_mosaic) {
    if (width < 1 || height < 1) return {"", "There is no mosaic to save."};

    const bool folder_made = services::make_directory(output_folder) != 0;
    if (services::file_size(output_folder) != -2) {
        return {"", "The output folder \"" + std::string(output_folder) +
                        "\" could not be made (a file of that name may be in the way)."};
    }
    const std::string base = free_output_base(output_folder, output_name(clock));
    const std::string image_name = base + ".jpg";
    const std::string world_name = base + ".jgw";
    const std::string projection_name = base + ".prj";
    const std::string auxiliary_name = image_name + ".aux.xml";

    std::string failed = write_mosaic(image_name);
    if (failed.empty() && !write_text_file(world_file_number, world_name, world_file_lines(bounds, width, height)))
        failed = file_failure("The world file", world_name, system_reason("it could not be created"));
    if (failed.empty() &&
        !write_text_file(projection_file_number, projection_name, std::array<std::string_view, 1>{projection_line}))
        failed = file_failure("The projection file", projection_name, system_reason("it could not be created"));
    if (failed.empty() && !write_text_file(auxiliary_file_number, auxiliary_name, auxiliary_file_lines))
        failed = file_failure("The GDAL auxiliary file", auxiliary_name, system_reason("it could not be created"));
    if (failed.empty()) return {image_name, ""};
    // A half-written result would look like a finished one in the folder: none of it stays.
    for (const char* extension : output_extensions) services::remove_file(base + extension);
    // Nor does a folder made for it alone.
    if (folder_made) platform::delete_empty_folder(platform::native_path(output_folder));
    return {"", failed};
}

}  // namespace app
