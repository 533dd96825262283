#pragma once
// The program's only loop: each pass waits up to 100 ms for one event, gives a finished page
// its capture step, and only then dispatches the pass's event.

namespace app {

// Runs passes until the window-close event has been handled.
void run_main_loop();

// One pass; false once the window-close event has been handled and the loop must end.
bool main_loop_pass();

// The reaction to a control event of `gadget` with event type `type`.
void dispatch_control_event(int gadget, int type);

// START: read the window, check, confirm and set up the run (or refuse it).
void start_handler();

// On the window-close event or a termination signal: delete the temporary files of an
// unfinished run and the fixed diagnostic files.
void close_path();

}  // namespace app
