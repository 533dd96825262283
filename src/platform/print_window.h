#pragma once
// Having a window or control paint itself into a device context, synchronously (the program's
// way to capture what a control shows, web pages included).
#include "platform/device_context.h"

typedef struct _GtkWidget GtkWidget;

namespace platform {

enum print_flag : unsigned {
    PRF_CHECKVISIBLE = 0x01,  // a hidden window (or one inside a hidden window) paints nothing
    PRF_NONCLIENT = 0x02,
    PRF_CLIENT = 0x04,        // paint the client area (nothing is painted without it)
    PRF_ERASEBKGND = 0x08,
    PRF_CHILDREN = 0x10,
    PRF_OWNED = 0x20,
};

// Paints the client area of `window` into the bitmap selected in `dc`, its top-left pixel at
// the bitmap's top-left pixel, clipped to the bitmap. A web view paints the page it shows;
// other widgets draw themselves with their children. True when something was painted.
bool print_window(GtkWidget* window, device_context* dc, unsigned flags);

// The size of a window's or control's client area (its allocation once shown, else the size
// it asked for); 0 x 0 for none.
void client_size(GtkWidget* window, int& width, int& height);

}  // namespace platform
