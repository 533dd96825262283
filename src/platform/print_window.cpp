#include "platform/print_window.h"

#include <gtk/gtk.h>

#include "platform/web_view.h"

namespace platform {

void client_size(GtkWidget* window, int& width, int& height) {
    width = height = 0;
    if (!window || !GTK_IS_WIDGET(window)) return;
    if (web_view* view = web_view::of(window)) {
        width = view->width();
        height = view->height();
        return;
    }
    if (gtk_widget_get_realized(window)) {
        width = gtk_widget_get_allocated_width(window);
        height = gtk_widget_get_allocated_height(window);
    } else {
        gtk_widget_get_size_request(window, &width, &height);
        width = width < 0 ? 0 : width;
        height = height < 0 ? 0 : height;
    }
}

bool print_window(GtkWidget* window, device_context* dc, unsigned flags) {
    if (!window || !GTK_IS_WIDGET(window) || !(flags & PRF_CLIENT) || !selected_pixels(dc).bits)
        return false;
    // Visible means shown, as opposed to hidden: a minimised window is visible though off the
    // screen, and a run left to work while it is minimised must keep capturing.
    if ((flags & PRF_CHECKVISIBLE) && !gtk_widget_is_visible(window)) return false;
    // The page of a web view is drawn by the engine in another process: only its snapshot
    // shows the page that has just finished loading.
    if (web_view* view = web_view::of(window)) return view->render(dc);

    int width = 0, height = 0;
    client_size(window, width, height);
    if (width <= 0 || height <= 0 || !gtk_widget_get_realized(window)) return false;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(window, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const bool painted = paint_bgrx(dc, 0, 0, cairo_image_surface_get_data(surface),
                                    static_cast<std::size_t>(cairo_image_surface_get_stride(surface)),
                                    width, height);
    cairo_surface_destroy(surface);
    return painted;
}

}  // namespace platform
