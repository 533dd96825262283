#pragma once
// The initial area, chosen at start from the command line: a KML file or "nofile" as
// parameter 0, then lat_min, lat_max, lon_min and lon_max as parameters 1 to 4.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "app/area.h"

namespace app {

// Shows a message with a title and one OK button (a message box in the program).
using inform_function = std::function<void(std::string_view title, std::string_view text)>;

// Command-line parameters 0 to 4; a missing one is the empty text.
using start_parameters = std::array<std::string, 5>;

// Reads parameters 0, 1, 2, 3 and 4, in that order.
start_parameters read_start_parameters();

// The area the window's fields start with. Four numbers win over the KML file; without them a
// KML file gives its bounds, "nofile" or nothing gives the default area, and a file that
// cannot be opened is reported through `inform` and leaves all four bounds at zero.
area choose_area(const start_parameters& parameters, const inform_function& inform);

}  // namespace app
