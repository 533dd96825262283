#pragma once
// The program's single pull-style event loop.
//
// event_wait retrieves and dispatches the GUI thread's messages itself; the window procedure of
// numbered windows turns the messages that matter into events. Window-level happenings are
// queued (a FIFO that collapses a repeat of its last entry); a control event is kept in a single
// pending slot until the wait returns it. Everything here belongs to the GUI thread.
#include <cstdint>

typedef struct _GtkWidget GtkWidget;

namespace ui {

enum event_code : int {
    EVENT_NONE = 0,
    EVENT_MOVE = 3,
    EVENT_SIZE = 5,
    EVENT_REPAINT = 15,
    EVENT_CLOSE = 16,
    EVENT_CONTROL = 13100,
    EVENT_MENU = 13101,
    EVENT_TRAY = 13102,
    EVENT_ACTIVATE = 13104,
    EVENT_MINIMIZE = 13107,
    EVENT_MAXIMIZE = 13108,
    EVENT_RESTORE = 13109,
    EVENT_TIMER = 13110,
};

// Waits up to timeout_ms (-1 without limit, 0 to poll) for one event and returns its code: 0
// when nothing came, an event code, or the raw code of a message that raised no event.
int event_wait(int timeout_ms);
int event_poll();

// Gadget, type and window of the event the last event_wait returned (a return of 0 changes
// none of them). The type is -1 for events without one.
int event_gadget();
int event_type();
int event_window();
// wparam and lparam of the last raw message returned.
intptr_t event_wparam();
intptr_t event_lparam();

// Suspends the thread for ms milliseconds (no messages are handled meanwhile).
void pause(int ms);

// From this call on, SIGTERM, SIGINT and SIGHUP no longer end the process where it stands: the
// first one is kept for the program's loop (termination_signal), and a message box that is up
// is answered as refused, so the loop gets to its close path.
void catch_termination_signals();
// The number of the termination signal that came, or 0.
int termination_signal();

// Waits ms milliseconds while the windows go on painting and pages go on loading; the events
// that arise meanwhile stay queued, in order, for the next event_wait.
void wait_keeping_events(int ms);

// Reports an event of a control: it reaches the application through a later event_wait, after
// the events already waiting, as EVENT_CONTROL with the control's gadget number and this type.
// Safe to call from a GTK signal handler. False when the control is not in a numbered window.
bool post_control_event(GtkWidget* control, int type);

}  // namespace ui
