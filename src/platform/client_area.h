#pragma once
// The client area of a window: a GtkFixed that asks for exactly its client size, whatever the
// controls inside would like, so a window's inner size is what the program asked for.

typedef struct _GtkWidget GtkWidget;

namespace platform {

GtkWidget* client_area_new(int width, int height);

}  // namespace platform
