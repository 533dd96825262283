#include "app/kml_area.h"

#include <algorithm>

#include "services/files.h"
#include "services/text.h"

namespace app {
namespace {

constexpr std::string_view keyword = "coordinates";
constexpr services::file_number kml_file = 0;

bool is_kept(unsigned char byte) { return byte >= 0x20 && byte <= 0x7F; }

double smallest(double a, double b, double c, double d) { return std::min({a, b, c, d}); }
double largest(double a, double b, double c, double d) { return std::max({a, b, c, d}); }

}  // namespace

bool kml_text_collector::ends_with_keyword() const {
    return text_.size() >= keyword.size() &&
           std::string_view(text_).substr(text_.size() - keyword.size()) == keyword;
}

void kml_text_collector::add(unsigned char byte) {
    if (complete_ || !is_kept(byte)) return;
    text_.push_back(static_cast<char>(byte));
    if (!inside_element_) {
        if (ends_with_keyword()) {
            inside_element_ = true;
            text_.assign(keyword);
        } else if (text_.size() > keyword.size()) {
            // Only the last few characters can still become the start of the keyword.
            text_.erase(0, text_.size() - keyword.size());
        }
        return;
    }
    // The closing tag's name may only be found after the character that follows the opening
    // "coordinates" (normally its ">"), exactly where the cut by position looks for it.
    if (text_.size() >= 2 * keyword.size() + 1 && ends_with_keyword()) complete_ = true;
}

std::string coordinates_text(std::string_view kml_text) {
    using services::text_find;
    const int64_t length = services::text_length(kml_text);
    int64_t position = text_find(kml_text, keyword, 1);
    const std::string after_opening =
        services::text_right(kml_text, length - position - static_cast<int64_t>(keyword.size()));
    position = text_find(after_opening, keyword, 1);
    return services::text_left(after_opening, position - 3);
}

area area_from_coordinates(std::string_view coordinates) {
    const std::string fields_text = services::text_remove(coordinates, "0 ");
    double field[9] = {};
    for (int index = 1; index <= 8; ++index) {
        field[index] = services::text_to_real(services::text_field(fields_text, index, ","));
    }
    area bounds;
    bounds.lon_min = smallest(field[1], field[3], field[5], field[7]);
    bounds.lat_min = smallest(field[2], field[4], field[6], field[8]);
    bounds.lon_max = largest(field[1], field[3], field[5], field[7]);
    bounds.lat_max = largest(field[2], field[4], field[6], field[8]);
    return bounds;
}

bool read_kml_area(std::string_view file_name, area& bounds) {
    if (!services::open_for_reading(kml_file, file_name)) return false;
    kml_text_collector collector;
    for (int64_t read = 0; read < max_kml_bytes && !collector.complete() && !services::end_of_file(kml_file);
         ++read) {
        collector.add(static_cast<unsigned char>(services::read_byte(kml_file)));
    }
    services::close_file(kml_file);
    bounds = area_from_coordinates(coordinates_text(collector.text()));
    return true;
}

}  // namespace app
