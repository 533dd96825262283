#include "app/tile_capture.h"

#include <cerrno>

#include "app/main_window.h"
#include "app/run_messages.h"
#include "imaging/drawing.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "imaging/regions.h"
#include "platform/gui.h"
#include "ui/gadgets.h"

namespace app {
namespace {

constexpr char full_capture_file[] = "c:\\Screenshot.jpg";
constexpr char cut_tile_file[] = "C:/essai.jpg";

std::string save_diagnostic(int image, const char* name) {
    errno = 0;
    if (imaging::save_image(image, name, imaging::jpeg_encoder, 0)) return "";
    return file_failure("The capture file", name, system_reason("the image could not be encoded"));
}

}  // namespace

capture_result render_tile_page(const std::function<void()>& meanwhile, const std::function<void()>& once_taken) {
    imaging::register_jpeg_encoder();
    // "c:\Screenshot.jpg" of the previous capture is rewritten in place by cut_tile, which
    // spares drive C a deletion and a new name for every tile.
    return render_panel(meanwhile, once_taken);
}

capture_result capture_tile() {
    const capture_result rendered = render_tile_page();
    if (rendered.outcome != capture_outcome::captured) return rendered;
    std::string failure = cut_tile();
    if (failure.empty()) return {capture_outcome::captured, ""};
    return {capture_outcome::failed, std::move(failure)};
}

capture_result render_panel(const std::function<void()>& meanwhile, const std::function<void()>& once_taken) {
    platform::control* panel = ui::gadget_handle(GADGET_BROWSER);
    int width = 0;
    int height = 0;
    platform::control_size(panel, width, height);
    // Until the page is painted into image 0, it holds the previous capture, which `meanwhile`
    // may still be keeping: the image is only made anew (after that work) when the panel's
    // size has changed.
    const platform::bitmap* held = imaging::image_bitmap(capture_image);
    const bool same_size = held && held->width == width && held->height == height && held->depth == 24;
    if (!same_size) {
        if (meanwhile) meanwhile();
        if (!imaging::create_image(capture_image, width, height, 24)) {
            if (once_taken) once_taken();
            return {capture_outcome::failed, "The page could not be captured: no memory for a picture of " +
                                                 std::to_string(width) + " x " + std::to_string(height) + " pixels."};
        }
    }
    // Synchronous: the panel has painted itself into the image before the pass ends. A hidden
    // panel paints nothing, and a page the engine did not hand over in time is not a tile.
    platform::pixel_view pixels;
    {
        const imaging::drawing_pass pass(capture_image);
        if (pass.pixels()) pixels = *pass.pixels();
    }
    const bool painted =
        platform::render_control(panel, pixels, same_size ? meanwhile : std::function<void()>{}, once_taken);
    if (painted) return {capture_outcome::captured, ""};
    return {capture_outcome::not_rendered, "the page could not be rendered"};
}

std::string cut_tile() {
    std::string failure = save_diagnostic(capture_image, full_capture_file);
    if (!failure.empty()) return failure;
    if (!imaging::copy_region(capture_image, tile_image, tile_left, tile_top, tile_size, tile_size))
        return "The tile could not be cut from the capture: not enough memory.";
    return save_diagnostic(tile_image, cut_tile_file);
}

}  // namespace app
