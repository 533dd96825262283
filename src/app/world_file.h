#pragma once
// The texts written beside a mosaic so that GIS software places it: the world file (pixel size
// and the top-left pixel's centre in degrees), the projection file (WGS84 geographic degrees)
// and the auxiliary file that tells GDAL the same.
#include <array>
#include <string>
#include <string_view>

#include "app/area.h"

namespace app {

// The single line of the projection file (156 characters).
extern const std::string_view projection_line;

// The lines of the GDAL auxiliary file beside the mosaic ("<name>.jpg.aux.xml"): the WGS 84
// coordinate system (EPSG:4326) with the image's x axis on longitude. GDAL, and QGIS through it,
// read the coordinate system of a JPEG from there (a .prj beside a JPEG they ignore) and take
// the pixel size and corner from the world file, as the file gives none.
extern const std::array<std::string_view, 3> auxiliary_file_lines;

// "0." or "-0." followed by the digits of v / 10000000, built from the text of v (10 decimals)
// rather than by dividing, so that 17 digits follow the point. From v = 10000000 (a pixel of
// one degree) on, the whole degrees stand before the point instead of the "0".
std::string shifted_point_text(double v, std::string_view prefix);

// The six lines of the world file of a width x height mosaic of `bounds`.
std::array<std::string, 6> world_file_lines(const area& bounds, int width, int height);

}  // namespace app
