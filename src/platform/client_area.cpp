#include "platform/client_area.h"

#include <gtk/gtk.h>

namespace {

struct LomtraClientArea {
    GtkFixed parent;
    int width;
    int height;
};

struct LomtraClientAreaClass {
    GtkFixedClass parent_class;
};

G_DEFINE_TYPE(LomtraClientArea, lomtra_client_area, GTK_TYPE_FIXED)

void preferred_width(GtkWidget* widget, gint* minimum, gint* natural) {
    *minimum = *natural = reinterpret_cast<LomtraClientArea*>(widget)->width;
}

void preferred_height(GtkWidget* widget, gint* minimum, gint* natural) {
    *minimum = *natural = reinterpret_cast<LomtraClientArea*>(widget)->height;
}

void lomtra_client_area_class_init(LomtraClientAreaClass* klass) {
    GtkWidgetClass* widget_class = GTK_WIDGET_CLASS(klass);
    widget_class->get_preferred_width = preferred_width;
    widget_class->get_preferred_height = preferred_height;
}

void lomtra_client_area_init(LomtraClientArea* self) {
    self->width = 0;
    self->height = 0;
}

}  // namespace

namespace platform {

GtkWidget* client_area_new(int width, int height) {
    auto* area = static_cast<LomtraClientArea*>(g_object_new(lomtra_client_area_get_type(), nullptr));
    area->width = width < 0 ? 0 : width;
    area->height = height < 0 ? 0 : height;
    return GTK_WIDGET(area);
}

}  // namespace platform
