#pragma once
// The hosted web browser, a control of its own kind: it loads pages by address, tells through
// callbacks what its engine does, and paints the page it shows into pixels (render_control).
//
// The callbacks are called from inside the toolkit (while wait_event or a wait below lets it
// work), never from another thread; any of them may be left empty.
#include <functional>
#include <string>

#include "platform/gui.h"

namespace platform {

// Where a tile page (the server's answer for a tile address: an image document holding the
// tile alone) shows the tile's top-left pixel in the view: the fixed place a capture cuts from.
constexpr int tile_page_left = 10;
constexpr int tile_page_top = 15;

struct web_view_callbacks {
    std::function<void()> load_started;
    std::function<void(double fraction)> progress;  // estimated, 0.0 to 1.0
    // Every load ends with this, a failed one (refused connection, unknown host) included.
    std::function<void()> load_finished;
    // A load that did not bring its page: the connection failed, the answer was cut short, or
    // it could not be shown. Comes before that load's load_finished; the view keeps showing
    // what it showed. A load cancelled by the next navigation (or by stop) is not reported.
    // An HTTP error status is not a failure: its page is shown like any other.
    std::function<void(const std::string& reason)> load_failed;
    std::function<void(const std::string& text)> status_text;  // link under the pointer, or ""
    std::function<void(const std::string& title)> title;
    std::function<void()> popup_blocked;
    std::function<void()> context_menu_blocked;
    // Asked before each navigation (links, scripts, navigate()); false refuses it.
    std::function<bool(const std::string& address)> navigation;
};

// A new web view in the window at `place`, showing nothing yet; null when none can be made.
control* create_web_view(window* parent, const rect& place, bool tab_stop, control_callbacks common);
void set_web_view_callbacks(control* view, web_view_callbacks callbacks);

// Navigates; an address without a scheme is completed with "http://". An empty address does
// nothing and returns false.
bool navigate(control* view, const std::string& address);
std::string page_address(const control* view);  // "" when there is none
bool is_loading(const control* view);            // from navigate() until the load has ended
enum class web_command { back, forward, stop, reload };
void run_web_command(control* view, web_command command);
void block_popups(control* view, bool on);
void block_context_menu(control* view, bool on);
// Lets the toolkit work until the current load has finished or timeout_ms passed; true when
// it finished.
bool wait_until_loaded(control* view, int timeout_ms);
// The page's scroll offsets (waits up to a second for the engine); false when unknown.
bool scroll_offset(control* view, int& x, int& y);
void scroll_to(control* view, int x, int y);

}  // namespace platform
