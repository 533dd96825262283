#include "app/area_input.h"

#include "app/kml_area.h"
#include "services/command_line.h"
#include "services/text.h"

namespace app {
namespace {

bool names_no_file(const std::string& parameter) {
    return services::text_equal(parameter, "") || services::text_equal(parameter, "nofile");
}

}  // namespace

start_parameters read_start_parameters() {
    start_parameters parameters;
    for (int index = 0; index < static_cast<int>(parameters.size()); ++index) {
        parameters[static_cast<std::size_t>(index)] = services::program_parameter(index);
    }
    return parameters;
}

area choose_area(const start_parameters& parameters, const inform_function& inform) {
    area bounds;  // a bound that no rule sets stays 0
    if (!names_no_file(parameters[0]) && !read_kml_area(parameters[0], bounds)) {
        if (inform) inform("Information", "Impossible d'ouvrir le fichier!");
    }
    const bool four_numbers = !parameters[1].empty() && !parameters[2].empty() && !parameters[3].empty() &&
                              !parameters[4].empty();
    if (four_numbers) {
        bounds.lat_min = services::text_to_real(parameters[1]);
        bounds.lat_max = services::text_to_real(parameters[2]);
        bounds.lon_min = services::text_to_real(parameters[3]);
        bounds.lon_max = services::text_to_real(parameters[4]);
    } else if (names_no_file(parameters[0])) {
        bounds = default_area;
    }
    return bounds;
}

}  // namespace app
