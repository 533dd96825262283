#pragma once
// Requests from outside to end the program: SIGTERM (a logout, kill), SIGINT (Ctrl+C) and
// SIGHUP (the terminal went away).

namespace platform {

// From now on such a signal no longer ends the process where it stands: the first one is kept
// for the program to end in its own way (its loop asks termination_signal), and a message box
// that is up is answered as refused. Delivered through the GTK main loop, on the GUI thread.
void catch_termination_signals();

// The number of the first termination signal that came, or 0.
int termination_signal();

}  // namespace platform
