#pragma once
// The rectangle of the Earth a run covers, in decimal degrees of WGS84 latitude and longitude.

namespace app {

struct area {
    double lat_min = 0.0;  // south bound
    double lat_max = 0.0;  // north bound
    double lon_min = 0.0;  // west bound
    double lon_max = 0.0;  // east bound
};

// The area shown when the command line names neither a KML file nor four numbers.
constexpr area default_area{-60.0, 75.0, -169.0, 169.0};

}  // namespace app
