#include "app/output_files.h"

#include <array>
#include <vector>

#include "app/preview_and_mosaic.h"
#include "app/program_state.h"
#include "app/world_file.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "services/command_line.h"
#include "services/dates.h"
#include "services/files.h"

namespace app {

int (*open_finished_mosaic)(std::string_view path) = services::launch_file;

namespace {

constexpr services::file_number world_file_number = 12;
constexpr services::file_number projection_file_number = 13;
constexpr services::file_number auxiliary_file_number = 14;

// Writes the lines through a numbered file and checks that every byte reached the disk: the
// buffered writes themselves cannot tell (a full disk shows only when the buffer is flushed).
template <typename Lines>
bool write_text_file(services::file_number number, const std::string& name, const Lines& lines) {
    if (!services::create_file(number, name)) return false;
    int64_t expected = 0;
    for (const auto& line : lines) {
        services::write_line(number, line);
        expected += static_cast<int64_t>(std::string_view(line).size()) + 2;
    }
    services::close_file(number);
    return services::file_size(name) == expected;
}

void remove_temporary_files() {
    services::remove_file("C:/0.jpg");
    services::remove_file("C:/screenshot.jpg");
    services::remove_file("C:/shot.jpg");
    services::remove_file("C:/essai.jpg");
}

}  // namespace

std::string output_name() {
    const std::string date_part = services::date_to_text("%yyyy-%mm-%dd-", services::date_now());
    const std::string time_part = services::date_to_text("%hh%ii%ss", services::date_now());
    return date_part + time_part;
}

std::string write_output() {
    const std::string base = std::string(output_folder) + "/" + output_name();
    const std::string image_name = base + ".jpg";
    const std::string world_name = base + ".jgw";
    const std::string projection_name = base + ".prj";
    const std::string auxiliary_name = image_name + ".aux.xml";

    services::make_directory(output_folder);
    std::string failed;
    if (services::file_size(output_folder) != -2) {
        failed = output_folder;
    } else if (!imaging::save_image(mosaic_image, image_name, imaging::jpeg_encoder, program.compression)) {
        failed = image_name;
    } else if (!write_text_file(world_file_number, world_name,
                                world_file_lines(program.bounds, imaging::image_width(mosaic_image),
                                                 imaging::image_height(mosaic_image)))) {
        failed = world_name;
    } else if (!write_text_file(projection_file_number, projection_name,
                                std::array<std::string_view, 1>{projection_line})) {
        failed = projection_name;
    } else if (!write_text_file(auxiliary_file_number, auxiliary_name, auxiliary_file_lines)) {
        failed = auxiliary_name;
    }
    remove_temporary_files();
    if (!failed.empty()) {
        // A half-written result would look like a finished one in the folder: none of it stays.
        for (const std::string& name : {image_name, world_name, projection_name, auxiliary_name}) {
            services::remove_file(name);
        }
        return failed;
    }
    open_finished_mosaic(image_name);
    return "";
}

}  // namespace app
