// Painting a web view into a bitmap, synchronously for the caller.
//
// The engine draws in another process and hands the picture over asynchronously, so the
// snapshot is requested and the main loop iterated until it arrives. Drawing the widget
// directly was seen to give the previous page right after a load had finished.
#include "platform/gtk/toolkit.h"
#include "web_view.h"

namespace platform {
namespace {

constexpr int snapshot_timeout_ms = 2000;

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
// surface, at any device scale) and paints that into the pixels.
bool paint_snapshot(cairo_surface_t* snapshot, int width, int height, const pixel_view& into) {
    if (cairo_surface_get_type(snapshot) == CAIRO_SURFACE_TYPE_IMAGE) {
        double scale_x = 1, scale_y = 1;
        cairo_surface_get_device_scale(snapshot, &scale_x, &scale_y);
        width = static_cast<int>(cairo_image_surface_get_width(snapshot) / scale_x);
        height = static_cast<int>(cairo_image_surface_get_height(snapshot) / scale_y);
    }
    if (width <= 0 || height <= 0) return false;

    surface_handle flat(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    context_handle cr(cairo_create(flat.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), snapshot, 0, 0);
    cairo_paint(cr.get());
    cr.reset();
    return paint_surface(flat.get(), into);
}

}  // namespace

bool web_view::render(const pixel_view& into) {
    // Iterating the main loop below dispatches other events, which may ask for a render again.
    if (!into.bits || rendering_ || !engine()) return false;
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
    if (!iterate_until([request] { return request->answered; }, snapshot_timeout_ms)) {
        request->abandoned = true;  // the answer that comes after cancelling frees it
        g_cancellable_cancel(request->cancellable);
        if (*alive) rendering_ = false;
        return false;
    }
    const bool painted = *alive && request->surface &&
                         paint_snapshot(request->surface, view_width, view_height, into);
    delete request;
    if (*alive) rendering_ = false;
    return painted;
}

}  // namespace platform
