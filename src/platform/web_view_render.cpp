// Painting a web view into a bitmap, synchronously for the caller.
//
// The engine draws in another process and hands the picture over asynchronously, so the
// snapshot is requested and the main loop iterated until it arrives. Drawing the widget
// directly was seen to give the previous page right after a load had finished.
#include <cairo.h>

#include "web_view.h"

namespace platform {
namespace {

constexpr guint snapshot_timeout_ms = 2000;

// Lives on the heap: when the wait gives up, the engine's late answer still has somewhere to
// land, and frees it.
struct snapshot_request {
    GCancellable* cancellable = g_cancellable_new();
    cairo_surface_t* surface = nullptr;
    bool answered = false;
    bool abandoned = false;

    ~snapshot_request() {
        if (surface) cairo_surface_destroy(surface);
        g_object_unref(cancellable);
    }
};

void on_snapshot(GObject* source, GAsyncResult* result, gpointer data) {
    auto* request = static_cast<snapshot_request*>(data);
    GError* error = nullptr;
    cairo_surface_t* surface =
        webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, &error);
    if (error) g_error_free(error);
    if (request->abandoned) {
        if (surface) cairo_surface_destroy(surface);
        delete request;
        return;
    }
    request->surface = surface;
    request->answered = true;
}

// Flattens the snapshot onto an opaque surface (the engine may hand over any kind of cairo
// surface, at any device scale) and paints that into the context's bitmap.
bool paint_snapshot(cairo_surface_t* snapshot, int width, int height, device_context* dc) {
    if (cairo_surface_get_type(snapshot) == CAIRO_SURFACE_TYPE_IMAGE) {
        double scale_x = 1, scale_y = 1;
        cairo_surface_get_device_scale(snapshot, &scale_x, &scale_y);
        width = static_cast<int>(cairo_image_surface_get_width(snapshot) / scale_x);
        height = static_cast<int>(cairo_image_surface_get_height(snapshot) / scale_y);
    }
    if (width <= 0 || height <= 0) return false;

    cairo_surface_t* flat = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(flat);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, snapshot, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(flat);
    const bool painted = paint_bgrx(dc, 0, 0, cairo_image_surface_get_data(flat),
                                    static_cast<std::size_t>(cairo_image_surface_get_stride(flat)),
                                    width, height);
    cairo_surface_destroy(flat);
    return painted;
}

}  // namespace

bool web_view::render(device_context* dc) {
    // Iterating the main loop below dispatches other events, which may ask for a render again.
    if (!selected_pixels(dc).bits || rendering_ || !engine()) return false;
    // A hidden view paints nothing; one that is merely off the screen (its window minimised)
    // still has its page drawn by the engine, and paints it.
    if (!gtk_widget_is_visible(widget_)) return false;
    const int view_width = width(), view_height = height();
    rendering_ = true;

    auto* request = new snapshot_request;
    webkit_web_view_get_snapshot(engine(), WEBKIT_SNAPSHOT_REGION_VISIBLE,
                                 WEBKIT_SNAPSHOT_OPTIONS_NONE, request->cancellable, on_snapshot,
                                 request);
    std::shared_ptr<bool> alive = alive_;
    bool timed_out = false;
    const guint timer = g_timeout_add(snapshot_timeout_ms, [](gpointer flag) -> gboolean {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
    }, &timed_out);
    while (!request->answered && !timed_out) g_main_context_iteration(nullptr, TRUE);
    if (!timed_out) g_source_remove(timer);

    if (!request->answered) {
        request->abandoned = true;  // the answer that comes after cancelling frees it
        g_cancellable_cancel(request->cancellable);
        if (*alive) rendering_ = false;
        return false;
    }
    const bool painted = *alive && request->surface &&
                         paint_snapshot(request->surface, view_width, view_height, dc);
    delete request;
    if (*alive) rendering_ = false;
    return painted;
}

}  // namespace platform
