#pragma once
// Hooks for tests, and nothing else: a stand-in for the person who answers message dialogs,
// and a way to the toolkit's own objects for tests that drive or inspect them directly. The
// shipped program never calls these; nothing on its command line or in its environment can.
#include <functional>

#include "platform/gui.h"

namespace platform {

struct dialog_request {
    void* dialog = nullptr;  // the toolkit's dialog
    window* owner = nullptr;
    dialog_spec spec;
};

// Called once the dialog is up, inside its modal loop; an answer other than none presses that
// button, none leaves the dialog to other input. An empty function removes the responder.
using dialog_responder = std::function<dialog_answer(const dialog_request&)>;
void set_dialog_responder(dialog_responder responder);

// The toolkit's object behind a handle (a GtkWidget here).
void* toolkit_object(const window* target);
void* toolkit_object(const control* target);

// How often the window's background has been painted (for checks of needless repaints).
int background_paint_count(const window* target);

}  // namespace platform
