#pragma once
// The program's single pull-style event loop.
//
// event_wait takes what happened to the program's windows and gadgets from the platform and
// turns what matters into events. Window-level happenings are queued (a FIFO that collapses a
// repeat of its last entry); a gadget's event is kept in a single pending slot until the wait
// returns it. Everything here belongs to the GUI thread.
#include <chrono>

#include "platform/gui.h"

namespace ui {

enum event_code : int {
    EVENT_NONE = 0,
    EVENT_MOVE = 3,
    EVENT_SIZE = 5,
    EVENT_REPAINT = 15,
    EVENT_CLOSE = 16,
    EVENT_KEY_DOWN = 0x100,  // happenings that raise no event come back as these codes
    EVENT_KEY_UP = 0x101,
    EVENT_MOUSE_MOVE = 0x200,
    EVENT_LEFT_BUTTON_DOWN = 0x201,
    EVENT_LEFT_BUTTON_UP = 0x202,
    EVENT_RIGHT_BUTTON_DOWN = 0x204,
    EVENT_RIGHT_BUTTON_UP = 0x205,
    EVENT_CONTROL = 13100,
    EVENT_ACTIVATE = 13104,
    EVENT_MINIMISE = 13107,
    EVENT_MAXIMISE = 13108,
    EVENT_RESTORE = 13109,
};

// Waits up to timeout_ms (-1 without limit, 0 to poll) for one event and returns its code: 0
// when nothing came, an event code, or the code of a happening that raised no event.
int event_wait(int timeout_ms);
int event_poll();

// Gadget, type and window of the event the last event_wait returned (a return of 0 changes
// none of them). The type is -1 for events without one.
int event_gadget();
int event_type();
int event_window();

// Suspends the thread for ms milliseconds (nothing is handled meanwhile).
void pause(int ms);
// Suspends the thread until `until` (at once when it has passed).
void pause_until(std::chrono::steady_clock::time_point until);

// From this call on, SIGTERM, SIGINT and SIGHUP no longer end the process where it stands: the
// first one is kept for the program's loop (termination_signal), and a message box that is up
// is answered as refused, so the loop gets to its close path.
void catch_termination_signals();
// The number of the termination signal that came, or 0.
int termination_signal();
// Handles everything that is waiting, outside event_wait (for loops such as a browser panel
// waiting for its first page): window happenings are queued, and the last gadget event stays
// pending for a later wait.
void handle_waiting_events();

// Waits ms milliseconds while the windows go on painting and pages go on loading; the events
// that arise meanwhile stay queued, in order, for the next event_wait.
void wait_keeping_events(int ms);

// Reports an event of a gadget: it reaches the application through a later event_wait, after
// the events already waiting, as EVENT_CONTROL with the gadget's number and this type. Safe to
// call while the toolkit works. False when the handle is no gadget of a numbered window.
bool post_control_event(platform::control* gadget, int type);

}  // namespace ui
