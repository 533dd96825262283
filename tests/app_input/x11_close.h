#pragma once
// Asks a top-level X window to close, as a window manager's close box does (WM_DELETE_WINDOW).
// Kept apart from the tests because Xlib's macros collide with GoogleTest's names.
bool request_close(unsigned long window);
