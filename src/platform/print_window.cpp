#include "platform/print_window.h"

#include <gtk/gtk.h>

#include "platform/gtk/toolkit.h"
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

bool render_control(GtkWidget* control, const pixel_view& into) {
    if (!control || !GTK_IS_WIDGET(control) || !into.bits) return false;
    // Visible means shown, as opposed to hidden: a minimised window is visible though off the
    // screen, and a run left to work while it is minimised must keep capturing.
    if (!gtk_widget_is_visible(control)) return false;
    // The page of a web view is drawn by the engine in another process: only its snapshot
    // shows the page that has just finished loading.
    if (web_view* view = web_view::of(control)) return view->render(into);

    int width = 0, height = 0;
    client_size(control, width, height);
    if (width <= 0 || height <= 0 || !gtk_widget_get_realized(control)) return false;
    surface_handle surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    context_handle cr(cairo_create(surface.get()));
    gtk_widget_draw(control, cr.get());
    cr.reset();
    return paint_surface(surface.get(), into);
}

}  // namespace platform
