#include "app/tile_capture.h"

#include "app/main_window.h"
#include "imaging/drawing.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "imaging/regions.h"
#include "services/files.h"
#include "platform/gui.h"
#include "ui/gadgets.h"

namespace app {

int capture_tile() {
    imaging::register_jpeg_encoder();
    services::remove_file("c:\\Screenshot.jpg");
    render_panel();
    cut_tile();
    return 0;
}

void render_panel() {
    platform::control* panel = ui::gadget_handle(GADGET_BROWSER);
    int width = 0;
    int height = 0;
    platform::control_size(panel, width, height);
    imaging::create_image(capture_image, width, height, 24);
    // Synchronous: the panel has painted itself into the image before the pass ends. A hidden
    // panel paints nothing and the capture stays black.
    const imaging::drawing_pass pass(capture_image);
    if (pass.pixels()) platform::render_control(panel, *pass.pixels());
}

void cut_tile() {
    imaging::save_image(capture_image, "c:\\Screenshot.jpg", imaging::jpeg_encoder, 0);
    imaging::copy_region(capture_image, tile_image, tile_left, tile_top, tile_size, tile_size);
    imaging::save_image(tile_image, "C:/essai.jpg", imaging::jpeg_encoder, 0);
}

}  // namespace app
