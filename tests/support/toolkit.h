#pragma once
// Tests act as the person at the desktop would, through the toolkit's own objects behind the
// platform's handles.
#include <gtk/gtk.h>

#include "platform/testing.h"

namespace test_support {

inline GtkWidget* widget(const platform::control* handle) {
    return static_cast<GtkWidget*>(platform::toolkit_object(handle));
}
inline GtkWidget* widget(const platform::window* handle) {
    return static_cast<GtkWidget*>(platform::toolkit_object(handle));
}

}  // namespace test_support
