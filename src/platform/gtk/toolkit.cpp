#include "platform/gtk/toolkit.h"

#include <algorithm>
#include <cstring>

namespace platform {

bool iterate_until(const std::function<bool()>& done, int timeout_ms) {
    if (done()) return true;
    if (timeout_ms == 0) return false;
    bool expired = false;
    guint timer = 0;
    if (timeout_ms > 0)
        timer = g_timeout_add(static_cast<guint>(timeout_ms), [](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        }, &expired);
    bool held = false;
    while (!(held = done()) && !expired) g_main_context_iteration(nullptr, TRUE);
    if (timer && !expired) g_source_remove(timer);
    return held;
}

bool paint_surface(cairo_surface_t* surface, const pixel_view& into) {
    if (!into.bits || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return false;
    cairo_surface_flush(surface);
    const unsigned char* pixels = cairo_image_surface_get_data(surface);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface));
    const int width = std::min(cairo_image_surface_get_width(surface), into.width);
    const int height = std::min(cairo_image_surface_get_height(surface), into.height);
    if (!pixels) return false;
    const int bytes = into.bytes_per_pixel();
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = pixels + static_cast<std::size_t>(y) * stride;
        std::uint8_t* out = into.row_from_top(y);
        if (bytes == 4) {
            std::memcpy(out, in, static_cast<std::size_t>(width) * 4);
            continue;
        }
        for (int x = 0; x < width; ++x, out += 3, in += 4) std::memcpy(out, in, 3);
    }
    return true;
}

}  // namespace platform
