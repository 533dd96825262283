#pragma once
// The hosted web browser: a WebKitGTK view placed as a child of one of our windows.
//
// Everything happens on the GTK main thread. The callbacks are called from inside the GTK
// main loop (while the caller iterates it), never from another thread; any of them may be
// left empty.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/device_context.h"

namespace platform {

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
    std::function<void(const std::string& text)> status_text;  // link under the mouse, or ""
    std::function<void(const std::string& title)> title;
    std::function<void()> popup_blocked;
    std::function<void()> context_menu_blocked;
    // Asked before each navigation (links, scripts, our own navigate()); false refuses it.
    std::function<bool(const std::string& address)> navigation;
    // The view's window is being destroyed; the view does nothing more from then on.
    std::function<void()> destroyed;
};

class web_view {
public:
    // Creates the view as a child of `container` at (x, y), width x height, and shows it. The
    // container is normally the GtkFixed of a window; any other container simply packs it.
    // With no container the view is made unplaced (and not shown), for the caller to place.
    // Returns null when no view can be made.
    static std::unique_ptr<web_view> create(GtkWidget* container, int x, int y, int width,
                                            int height);
    ~web_view();  // removes the view from its window
    web_view(const web_view&) = delete;
    web_view& operator=(const web_view&) = delete;

    web_view_callbacks& callbacks() { return callbacks_; }

    // Navigates; an address without a scheme is completed with "http://". An empty address
    // does nothing and returns false.
    bool navigate(const std::string& address);
    std::string address() const;  // current page, "" when there is none
    bool busy() const;            // a load is under way
    void back();
    void forward();
    void stop();
    void reload();

    void set_block_popups(bool on) { block_popups_ = on; }
    bool block_popups() const { return block_popups_; }
    void set_block_context_menu(bool on) { block_context_menu_ = on; }
    bool block_context_menu() const { return block_context_menu_; }

    // Iterates the GTK main loop until the current load has finished or `timeout_ms` passed;
    // true when it finished.
    bool wait_until_loaded(int timeout_ms);

    // Paints what the view shows into the bitmap selected in `dc`, the view's top-left pixel
    // at the bitmap's top-left pixel; what does not fit is cut off and the rest of the bitmap
    // is left alone. Synchronous: the GTK main loop is iterated until the engine hands over the
    // picture (at most about two seconds). A hidden view (or one in a hidden window) paints
    // nothing; a minimised window's view still paints its page. Returns true when something
    // was painted.
    bool render(device_context* dc);

    // The page's scroll offsets (waits up to a second for the engine); false when unknown.
    bool scroll_offset(int& x, int& y);
    void scroll_to(int x, int y);

    GtkWidget* widget() const { return widget_; }
    // The view whose widget this is, or null.
    static web_view* of(GtkWidget* widget);
    // The view's size on screen (its allocation), or the size asked for before it is shown.
    int width() const;
    int height() const;

private:
    web_view() = default;
    void connect_signals();
    WebKitWebView* engine() const;  // null once the widget has been destroyed

    GtkWidget* widget_ = nullptr;  // we hold a reference so the window's end cannot pull it away
    web_view_callbacks callbacks_;
    bool block_popups_ = false;
    bool block_context_menu_ = false;
    bool rendering_ = false;  // waiting for the engine (a snapshot or a script's answer)
    bool destroyed_ = false;
    bool load_pending_ = false;  // navigate() asked for a page whose load has not finished
    std::string status_text_;
    // Cleared by the destructor, so a wait that iterates the main loop can tell the view was
    // ended by one of its callbacks meanwhile.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    int requested_width_ = 0;
    int requested_height_ = 0;

    friend struct web_view_signals;
};

}  // namespace platform
