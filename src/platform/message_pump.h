#pragma once
// The GUI thread's message queue and pump.
//
// GTK signal handlers of our windows and controls turn what happens into messages posted to
// this queue; the window layer above retrieves them one at a time and dispatches each to the
// window procedure of its window. GTK's own main loop is only ever iterated from here (or from
// a modal dialog's loop), never by gtk_main, so the application keeps control of its loop.
// Everything here belongs to the GUI thread; posting from another thread is not supported.
#include <cstdint>

typedef struct _GtkWidget GtkWidget;

namespace platform {

struct message {
    GtkWidget* window = nullptr;  // the top-level window the message is for
    unsigned code = 0;
    intptr_t wparam = 0;
    intptr_t lparam = 0;
};

// Appends a message for a top-level window (made by create_window) to the queue.
void post_message(GtkWidget* window, unsigned code, intptr_t wparam, intptr_t lparam);

// Takes the next message without blocking: lets GTK handle what is waiting first.
bool peek_message(message& out);

// Takes the next message, waiting as long as it takes.
message get_message();

// Waits until a message is waiting or timeout_ms have passed; true when one is waiting.
bool wait_for_input(int timeout_ms);

// Lets GTK work for timeout_ms (painting, pages loading) without taking any message: what
// is posted meanwhile waits in the queue for the next peek or get.
void run_toolkit_for(int timeout_ms);

// Hands a message to the procedure of its window; 0 when the window is gone.
intptr_t dispatch_message(const message& msg);

// Retrieves and dispatches every waiting message (for loops that run outside the
// application's own wait, such as a control waiting for its first page).
void dispatch_waiting_messages();

// Drops the queued messages of a window, or about a control (WM_COMMAND and scroll
// notifications naming it), that is being destroyed.
void forget_messages_of(GtkWidget* widget);

// Number of messages waiting (without running GTK).
int queued_message_count();

}  // namespace platform
