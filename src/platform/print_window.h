#pragma once
// Having a control paint itself into pixels, synchronously (the program's way to capture what
// a control shows, web pages included).
#include "platform/bitmap.h"

typedef struct _GtkWidget GtkWidget;

namespace platform {

// Paints the control into the pixels, its top-left pixel at their top-left pixel, clipped. A
// web view paints the page it shows; other widgets draw themselves with their children. A
// hidden control (or one inside a hidden window) paints nothing; a minimised window is not
// hidden. True when something was painted.
bool render_control(GtkWidget* control, const pixel_view& into);

// The size of a window's or control's client area (its allocation once shown, else the size
// it asked for); 0 x 0 for none.
void client_size(GtkWidget* window, int& width, int& height);

}  // namespace platform
