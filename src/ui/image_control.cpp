// Image control: shows an image of the image store unscaled at its top-left corner and takes
// the image's size. It keeps only the image's handle, so setting the same handle again after
// drawing into the image shows the new pixels.
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdlib>

#include "imaging/image_store.h"
#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "ui/controls.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/gadgets_internal.h"
#include "ui/image_control.h"

namespace ui {
namespace {

struct image_data : gadget_data {
    platform::bitmap* image = nullptr;
    cairo_surface_t* alpha_copy = nullptr;  // premultiplied copy of a 32-bit image
    bool left_held = false;
    double down_x = 0, down_y = 0;
    int drag_distance = 4;
    bool after_right_double_click = false;

    ~image_data() override { release_alpha(); }
    void release_alpha() {
        if (alpha_copy) cairo_surface_destroy(alpha_copy);
        alpha_copy = nullptr;
    }
};

image_data& data_of(gadget_record& record) { return static_cast<image_data&>(*record.data); }

// The handle may outlive its image (the number reused); only an image still in the store is
// drawn, so a stale handle shows nothing instead of reading freed memory.
bool still_stored(const platform::bitmap* image) {
    if (!image) return false;
    const std::size_t capacity = imaging::image_store_capacity();
    for (std::size_t number = 0; number < capacity; ++number) {
        const imaging::image_record* record = imaging::find_image(static_cast<imaging::image_number>(number));
        if (record && record->bitmap == image) return true;
    }
    return false;
}

// The image's pixels as a cairo surface: opaque for 24 bits, premultiplied alpha for 32.
cairo_surface_t* surface_of(const platform::bitmap& image, bool with_alpha) {
    cairo_surface_t* surface =
        cairo_image_surface_create(with_alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, image.width, image.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return surface;
    cairo_surface_flush(surface);
    unsigned char* target = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int bytes = image.bytes_per_pixel();
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* source = image.row_from_top(y);
        auto* out = reinterpret_cast<uint32_t*>(target + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x, source += bytes) {
            uint32_t blue = source[0], green = source[1], red = source[2];
            uint32_t alpha = 255;
            if (with_alpha) {
                alpha = source[3];
                blue = blue * alpha / 255;
                green = green * alpha / 255;
                red = red * alpha / 255;
            }
            out[x] = (alpha << 24) | (red << 16) | (green << 8) | blue;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

gboolean on_draw(GtkWidget* widget, cairo_t* cr, gpointer) {
    gadget_record* record = gadget_record_of(gadget_number_of(widget));
    if (!record) return FALSE;
    image_data& data = data_of(*record);
    if (!still_stored(data.image)) return FALSE;
    if (data.alpha_copy) {
        cairo_set_source_surface(cr, data.alpha_copy, 0, 0);
        cairo_paint(cr);
        return FALSE;
    }
    cairo_surface_t* surface = surface_of(*data.image, false);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(surface);
    return FALSE;
}

gboolean on_button_press(GtkWidget* widget, GdkEventButton* event, gpointer) {
    gadget_record* record = gadget_record_of(gadget_number_of(widget));
    if (!record) return FALSE;
    image_data& data = data_of(*record);
    if (event->button == 1 && event->type == GDK_BUTTON_PRESS) {
        data.left_held = true;
        data.down_x = event->x;
        data.down_y = event->y;
    } else if (event->button == 1 && event->type == GDK_2BUTTON_PRESS) {
        data.left_held = false;  // the second press of a double click is no click of its own
        post_control_event(widget, IMAGE_EVENT_LEFT_DOUBLE_CLICK);
    } else if (event->button == 3 && event->type == GDK_2BUTTON_PRESS) {
        data.after_right_double_click = true;
        post_control_event(widget, IMAGE_EVENT_RIGHT_DOUBLE_CLICK);
    }
    return TRUE;
}

gboolean on_button_release(GtkWidget* widget, GdkEventButton* event, gpointer) {
    gadget_record* record = gadget_record_of(gadget_number_of(widget));
    if (!record) return FALSE;
    image_data& data = data_of(*record);
    if (event->button == 1) {
        // A press and release without a drag is a click, reported as the static control's
        // click notification.
        if (data.left_held) detail::post_command(widget, platform::STN_CLICKED);
        data.left_held = false;
    } else if (event->button == 3) {
        if (!data.after_right_double_click) post_control_event(widget, IMAGE_EVENT_RIGHT_CLICK);
        data.after_right_double_click = false;
    }
    return TRUE;
}

gboolean on_motion(GtkWidget* widget, GdkEventMotion* event, gpointer) {
    gadget_record* record = gadget_record_of(gadget_number_of(widget));
    if (!record) return FALSE;
    image_data& data = data_of(*record);
    if (!data.left_held) return FALSE;
    if (std::abs(event->x - data.down_x) > data.drag_distance || std::abs(event->y - data.down_y) > data.drag_distance) {
        data.left_held = false;
        post_control_event(widget, EVENT_TYPE_DRAG_STARTED);
    }
    return TRUE;
}

intptr_t get_state(gadget_record& record) { return reinterpret_cast<intptr_t>(data_of(record).image); }

void set_state(gadget_record& record, intptr_t value) {
    image_data& data = data_of(record);
    auto* image = reinterpret_cast<platform::bitmap*>(value);
    data.image = image;
    data.release_alpha();
    if (!still_stored(image)) {
        gtk_widget_queue_draw(record.handle);
        return;
    }
    if (image->depth == 32) data.alpha_copy = surface_of(*image, true);
    platform::resize_child(record.handle, image->width, image->height);
    // A picture with alpha shows what lies under it, so the window's background is repainted too.
    if (data.alpha_copy) gtk_widget_queue_draw(gtk_widget_get_parent(record.handle));
    gtk_widget_queue_draw(record.handle);
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.name = "image control";
    kind.get_state = get_state;
    kind.set_state = set_state;
    return kind;
}

const gadget_kind image_kind = make_kind();

}  // namespace

GtkWidget* image_control_create(int gadget, int x, int y, int width, int height, intptr_t image) {
    if (!can_create_gadget(gadget)) return nullptr;
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
    gadget_record* record = register_gadget(gadget, area, image_kind, {x, y, width, height}, false);
    if (!record) return nullptr;
    auto data = std::make_unique<image_data>();
    gint threshold = 4;
    g_object_get(gtk_widget_get_settings(area), "gtk-dnd-drag-threshold", &threshold, nullptr);
    data->drag_distance = threshold;
    record->data = std::move(data);
    g_signal_connect(area, "draw", G_CALLBACK(on_draw), nullptr);
    g_signal_connect(area, "button-press-event", G_CALLBACK(on_button_press), nullptr);
    g_signal_connect(area, "button-release-event", G_CALLBACK(on_button_release), nullptr);
    g_signal_connect(area, "motion-notify-event", G_CALLBACK(on_motion), nullptr);
    if (image) set_state(*record, image);
    return area;
}

}  // namespace ui
