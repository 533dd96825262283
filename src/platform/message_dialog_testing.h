#pragma once
// Test hook: lets a test answer message boxes without a person at the keyboard. The shipped
// program never installs a responder, and nothing on its command line or in its environment
// can; only test code that calls this function can.
#include <functional>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace platform {

struct message_dialog_request {
    GtkWidget* dialog = nullptr;
    GtkWidget* owner = nullptr;
    std::string title;
    std::string text;
    unsigned flags = 0;
};

// Called once the box is up, inside its modal loop; a non-zero result presses the button with
// that identifier, 0 leaves the box to other input. An empty function removes the responder.
using message_dialog_responder = std::function<int(const message_dialog_request&)>;
void set_message_dialog_responder(message_dialog_responder responder);

}  // namespace platform
