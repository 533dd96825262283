#include "app/world_file.h"

#include <algorithm>
#include <cmath>

#include "services/text.h"

namespace app {

const std::string_view projection_line =
    "GEOGCS[\"Geographic Coordinate System\",DATUM[\"D_WGS84\",SPHEROID[\"WGS84\",6378137,298.257223560493]],"
    "PRIMEM[\"Greenwich\",0],UNIT[\"Degree\",0.017453292519943295]]";

const std::array<std::string_view, 3> auxiliary_file_lines = {
    "<PAMDataset>",
    "  <SRS dataAxisToSRSAxisMapping=\"2,1\">GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
    "298.257223563,AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],PRIMEM[\"Greenwich\",0,"
    "AUTHORITY[\"EPSG\",\"8901\"]],UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\",\"9122\"]],"
    "AXIS[\"Latitude\",NORTH],AXIS[\"Longitude\",EAST],AUTHORITY[\"EPSG\",\"4326\"]]</SRS>",
    "</PAMDataset>"};

std::string shifted_point_text(double v, std::string_view prefix) {
    std::string digits = services::real_to_text(v);
    const int64_t integer_digits = services::text_length(services::text_field(digits, 0, "."));
    digits = services::text_remove(digits, ".");
    if (integer_digits < 7) digits.insert(0, static_cast<std::size_t>(7 - integer_digits), '0');
    if (integer_digits <= 7) return std::string(prefix) + digits;
    // A pixel of one degree or more: the digits before the point take the prefix's "0", so
    // 14000000 (1.4 degrees) reads 1.40000000000000000 and never ten times too small.
    const std::string_view sign = prefix.substr(0, prefix.size() - 2);  // "" or "-"
    const auto whole = static_cast<std::size_t>(integer_digits - 7);
    return std::string(sign) + digits.substr(0, whole) + "." + digits.substr(whole);
}

std::array<std::string, 6> world_file_lines(const area& bounds, int width, int height) {
    const std::string rotation = "0.00000000000000000";
    const double pixel_width = std::fabs(bounds.lon_max - bounds.lon_min) * 10000000 / width;
    const double pixel_height = std::fabs(bounds.lat_max - bounds.lat_min) * 10000000 / height;
    const double left = std::min({bounds.lon_max, bounds.lon_min, 400.0});
    const double top = std::max({bounds.lat_max, bounds.lat_min, -400.0});
    return {shifted_point_text(pixel_width, "0."), rotation, rotation, shifted_point_text(pixel_height, "-0."),
            services::real_to_text(left), services::real_to_text(top)};
}

}  // namespace app
