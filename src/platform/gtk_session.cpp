#include "platform/gtk_session.h"

#include <gtk/gtk.h>

#include <cstdlib>

#include "platform/classic_look.h"

namespace platform {

bool ensure_gtk() {
    static int state = 0;  // 0 not tried, 1 running, -1 no display
    if (state == 0) {
        // Client coordinates are device pixels: captures cut tiles at fixed pixel offsets.
        setenv("GDK_SCALE", "1", 1);
        setenv("GDK_DPI_SCALE", "1", 1);
        state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        if (state == 1) install_classic_look();
    }
    return state == 1;
}

}  // namespace platform
