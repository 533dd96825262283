#include "app/main_window.h"

#include "imaging/image_store.h"
#include "services/settings.h"
#include "services/text.h"
#include "ui/browser_panel.h"
#include "ui/standard_gadgets.h"
#include "ui/gadgets.h"
#include "ui/image_control.h"
#include "ui/windows.h"

namespace app {

const char ready_text[] = "Ready..........";

namespace {

constexpr char window_title[] = "Lomtra-Systems / Kestrom";
// Title bar, system menu and minimise box, centred on the screen: no sizing border and no
// maximise box, since the layout is fixed.
constexpr uint32_t main_window_flags =
    ui::WINDOW_TITLE_BAR | ui::WINDOW_CLOSE_BOX | ui::WINDOW_MINIMISE_BOX | ui::WINDOW_CENTRE_ON_SCREEN;

const int window_colour = ui::rgb(212, 208, 200);
const int field_colour = ui::rgb(212, 255, 200);

void create_bound_field(int gadget, int x, int y, double bound) {
    ui::string_field_create(gadget, x, y, 120, 20, services::real_to_text(bound, 6));
    ui::gadget_set_colour(gadget, ui::COLOUR_BACKGROUND, field_colour);
}

void create_label(int gadget, int x, int y, int width, const char* text) {
    ui::text_create(gadget, x, y, width, 20, text, ui::TEXT_CENTRE);
    ui::gadget_set_colour(gadget, ui::COLOUR_BACKGROUND, window_colour);
}

}  // namespace

std::string site_host() {
    return services::setting("LOMTRA_SAT_SITE");
}

std::string site_page(const std::string& page) { return site_host() + "/" + page; }

bool open_main_window(const area& bounds) {
    if (!ui::window_open(main_window_number, 0, 0, main_window_width, main_window_height, window_title,
                         main_window_flags)) {
        return false;
    }
    ui::window_set_colour(main_window_number, window_colour);

    ui::browser_panel_create(GADGET_BROWSER, 0, 0, 500, 400, site_page("presentation.html"), 0);

    imaging::create_image(preview_image, 250, 250);
    ui::image_control_create(GADGET_PREVIEW, 525, 5, 250, 250, reinterpret_cast<intptr_t>(imaging::image_bitmap(preview_image)));

    ui::button_create(GADGET_START, 525, 450, 250, 40, "START");

    create_bound_field(GADGET_LAT_MIN, 525, 300, bounds.lat_min);
    create_bound_field(GADGET_LAT_MAX, 650, 300, bounds.lat_max);
    create_bound_field(GADGET_LON_MIN, 525, 330, bounds.lon_min);
    create_bound_field(GADGET_LON_MAX, 650, 330, bounds.lon_max);

    ui::trackbar_create(GADGET_ZOOM, 525, 360, 250, 20, 1, 20, ui::TRACKBAR_TICKS);
    ui::gadget_set_state(GADGET_ZOOM, 5);
    create_label(GADGET_ZOOM_LABEL, 525, 380, 250, "Zoom");

    ui::trackbar_create(GADGET_COMPRESSION, 525, 400, 250, 20, 1, 10);
    ui::gadget_set_state(GADGET_COMPRESSION, 5);
    create_label(GADGET_COMPRESSION_LABEL, 525, 420, 250, "Compression 1:Max 10:Min");

    ui::progress_bar_create(GADGET_PROGRESS, 5, 450, 490, 20, 0, 100);

    create_label(GADGET_STATUS, 0, 430, 500, ready_text);
    create_label(GADGET_LATITUDE_MARK, 500, 305, 25, "Y");
    create_label(GADGET_LONGITUDE_MARK, 500, 335, 25, "X");
    create_label(GADGET_MIN_HEADING, 525, 280, 120, "Min");
    create_label(GADGET_MAX_HEADING, 650, 280, 120, "Max");

    ui::browser_panel_create(GADGET_ADVERT_BOTTOM, 0, 500, 770, 210, site_page("publicite2.html"), 0);
    ui::browser_panel_create(GADGET_ADVERT_RIGHT, 800, 0, 224, 700, site_page("publicite1.html"), 0);
    return true;
}

}  // namespace app
