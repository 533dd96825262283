#pragma once
// Browser panels: gadgets that host the web browser in the current parent window.
//
// Text: setting it navigates (an address without a scheme gets "http://"; an empty one does
// nothing), reading it gives the current address. State: 1 back, 2 forward, 3 stop, 4 reload.
// The panel's handle (gadget_handle) is what the capture renders into the capture image.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gui.h"

namespace ui {

// Event types a panel reports (as EVENT_CONTROL with its gadget number). None is reported
// until the panel's first page, "about:blank", has completed during its creation.
enum browser_event_type : int {
    BROWSER_EVENT_TITLE = 1,
    BROWSER_EVENT_STATUS = 2,  // status text changed (the link under the mouse)
    BROWSER_EVENT_POPUP_BLOCKED = 3,
    BROWSER_EVENT_DOWNLOAD_BEGIN = 4,
    BROWSER_EVENT_PROGRESS = 5,
    BROWSER_EVENT_DOWNLOAD_END = 6,  // also after a failed download
    BROWSER_EVENT_CONTEXT_MENU_BLOCKED = 7,
    // The page asked for did not come (connection refused or reset, unknown host, an answer
    // cut short, content that cannot be shown); raised before that load's download-end event.
    // An HTTP error page is no failure. browser_panel_failure tells why.
    BROWSER_EVENT_LOAD_FAILED = 8,
};

enum browser_attribute : int {
    BROWSER_POPUP_BLOCKING = 1,
    BROWSER_CONTEXT_MENU_BLOCKING = 2,
    BROWSER_NAVIGATION_CALLBACK = 3,  // a browser_navigation_callback, 0 for none
    BROWSER_PROGRESS = 4,             // read only
    BROWSER_PROGRESS_MAXIMUM = 5,     // read only
    BROWSER_BUSY = 6,                 // read only: 1 while a page is loading
    BROWSER_SCROLL_X = 7,
    BROWSER_SCROLL_Y = 8,
};

enum browser_state : int { BROWSER_BACK = 1, BROWSER_FORWARD = 2, BROWSER_STOP = 3, BROWSER_RELOAD = 4 };

// Asked before every navigation with the panel's gadget number and the address; 0 refuses it.
using browser_navigation_callback = int (*)(int gadget, const char* address);

// Creates browser panel `gadget` at (x, y) of the current parent window, waits until its first
// page "about:blank" has completed (at most 10 seconds), then navigates to `address` unless it
// is empty. `flags` is kept for the day a second browser engine can be chosen; there is one.
// Returns the panel's handle, or null.
platform::control* browser_panel_create(int gadget, int x, int y, int width, int height, std::string_view address,
                                int flags = 0);

// Why the panel's last load failed, or the empty text when it brought its page, is still under
// way, or the gadget is no browser panel. A new navigation clears it.
std::string browser_panel_failure(int gadget);

}  // namespace ui
