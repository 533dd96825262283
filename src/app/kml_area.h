#pragma once
// The area of a KML file: the first four corners of its first `coordinates` element.
//
// There is no XML parsing. The file's printable ASCII bytes are run together, the text between
// the first "coordinates" and the next one is cut out, every "0 " is removed (the zero altitude
// and the space before the next tuple), and the first eight comma-separated fields are read as
// longitude, latitude, longitude, latitude, ...
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/area.h"

namespace app {

// Reads the KML file `file_name` through file number 0 and sets all four bounds from it.
// Returns false, leaving `bounds` untouched, when the file cannot be opened (a folder, a device
// or a pipe cannot: only regular files are read). At most max_kml_bytes are read: a first
// element that has not ended by then reads as one that never ends.
bool read_kml_area(std::string_view file_name, area& bounds);
constexpr std::int64_t max_kml_bytes = std::int64_t{32} << 20;

// Keeps the bytes of a KML file that matter: those from 0x20 to 0x7F, in order, up to the
// end of the first coordinates element (nothing after it can change the area). Text before the
// first "coordinates" is dropped as it arrives, so memory stays small whatever the file holds.
class kml_text_collector {
public:
    void add(unsigned char byte);
    // True once the end of the first coordinates element has been seen.
    bool complete() const { return complete_; }
    // The kept text (from the first "coordinates" on), ready for coordinates_text().
    const std::string& text() const { return text_; }

private:
    bool ends_with_keyword() const;

    std::string text_;
    bool inside_element_ = false;
    bool complete_ = false;
};

// The text of the first coordinates element, cut out of the kept KML text by position.
std::string coordinates_text(std::string_view kml_text);

// The bounds given by the first four tuples of a coordinates element's text.
area area_from_coordinates(std::string_view coordinates);

}  // namespace app
