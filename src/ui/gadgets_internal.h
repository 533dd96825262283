#pragma once
// Helpers shared by the control kinds and the window procedure (inside the ui subsystem).
#include <cstdint>

typedef struct _GtkWidget GtkWidget;

namespace platform {
struct message;
}

namespace ui {
struct gadget_record;
}

namespace ui::detail {

// Offers a message about `control` to its kind; true when the kind handled it.
bool notify_gadget(GtkWidget* control, const platform::message& msg, intptr_t& result);

// Sends a control's notification to its window the way a native control would: WM_COMMAND
// with the gadget number and the notification code, or a scroll message, naming the control.
void post_command(GtkWidget* control, int notification);
void post_scroll(GtkWidget* control, bool vertical);

// Colours of text-like controls (string fields and texts): which 1 the text colour, 2 the
// background through the shared brush list; `fill` is the background used when only the text
// colour is set. Repaints the control.
void set_text_colours(gadget_record& record, int which, int colour, int fill);
int get_text_colours(const gadget_record& record, int which);

}  // namespace ui::detail
