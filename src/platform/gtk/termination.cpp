// Termination signals through the GLib main loop, so that they reach the GUI thread.
#include "platform/termination.h"

#include <glib-unix.h>
#include <signal.h>

#include "platform/gtk/backend.h"

namespace platform {
namespace {

int received = 0;

gboolean on_signal(gpointer number) {
    if (received == 0) received = GPOINTER_TO_INT(number);
    dismiss_message_dialogs();
    return G_SOURCE_CONTINUE;
}

}  // namespace

void catch_termination_signals() {
    static bool caught = false;
    if (caught) return;
    caught = true;
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) g_unix_signal_add(number, on_signal, GINT_TO_POINTER(number));
}

int termination_signal() { return received; }

}  // namespace platform
