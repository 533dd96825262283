#pragma once
// The program's one window and its nineteen gadgets, addressed by number.
#include <string>

#include "app/area.h"

namespace app {

enum gadget_numbers : int {
    GADGET_BROWSER = 1,  // the panel through which tiles are loaded and captured
    GADGET_PREVIEW = 2,
    GADGET_START = 3,
    GADGET_LAT_MIN = 4,
    GADGET_LAT_MAX = 5,
    GADGET_LON_MIN = 6,
    GADGET_LON_MAX = 7,
    GADGET_ZOOM = 8,
    GADGET_ZOOM_LABEL = 9,
    GADGET_COMPRESSION = 10,
    GADGET_COMPRESSION_LABEL = 11,
    GADGET_PROGRESS = 12,
    GADGET_STATUS = 13,
    GADGET_LATITUDE_MARK = 14,
    GADGET_LONGITUDE_MARK = 15,
    GADGET_MIN_HEADING = 16,
    GADGET_MAX_HEADING = 17,
    GADGET_ADVERT_BOTTOM = 18,
    GADGET_ADVERT_RIGHT = 19,
};

constexpr int main_window_number = 0;
constexpr int main_window_width = 1024;
constexpr int main_window_height = 710;
constexpr int preview_image = 64999;

// The status line between runs: "Ready" and ten full stops.
extern const char ready_text[];

// The product's site, without a scheme: the LOMTRA_SAT_SITE setting.
std::string site_host();
// site_host() + "/" + page, e.g. the presentation page shown between runs.
std::string site_page(const std::string& page);

// Opens window 0 with every control, the fields showing `bounds`. False when the window cannot
// be opened.
bool open_main_window(const area& bounds);

}  // namespace app
