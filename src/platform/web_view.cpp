#include "web_view.h"

#include <webkit2/webkit2.h>

#include "gtk_session.h"
#include "tile_page_style.h"
#include "web_address.h"

namespace platform {
namespace {
const char* const view_key = "lomtra-web-view";

// Every view of the process shares one engine context that keeps pages and tiles in memory
// only: the program keeps nothing between runs, so it leaves no disk cache behind either.
WebKitWebContext* memory_only_context() {
    static WebKitWebContext* const context = webkit_web_context_new_ephemeral();
    return context;
}
}  // namespace

// The engine's signals, turned into the view's callbacks. A callback is copied before it is
// called, so one that ends the view does not pull the function out from under itself.
struct web_view_signals {
    static void load_changed(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
        auto* self = static_cast<web_view*>(data);
        if (event == WEBKIT_LOAD_STARTED) {
            auto callback = self->callbacks_.load_started;
            if (callback) callback();
        } else if (event == WEBKIT_LOAD_FINISHED) {
            self->load_pending_ = false;
            auto callback = self->callbacks_.load_finished;
            if (callback) callback();
        }
    }

    // Keeps the engine's error page away: the view goes on showing what it showed, and the
    // load still ends with load-changed FINISHED, so the program moves on. Whoever asked for
    // the page learns that it did not come, unless it was called off by a newer request.
    static gboolean load_failed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, gpointer data) {
        if (error && g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) return TRUE;
        auto callback = static_cast<web_view*>(data)->callbacks_.load_failed;
        if (callback) callback(error && error->message ? error->message : "the page could not be loaded");
        return TRUE;
    }

    static void progress(GObject* view, GParamSpec*, gpointer data) {
        auto callback = static_cast<web_view*>(data)->callbacks_.progress;
        if (callback) callback(webkit_web_view_get_estimated_load_progress(WEBKIT_WEB_VIEW(view)));
    }

    static void title(GObject* view, GParamSpec*, gpointer data) {
        auto callback = static_cast<web_view*>(data)->callbacks_.title;
        const gchar* text = webkit_web_view_get_title(WEBKIT_WEB_VIEW(view));
        if (callback) callback(text ? text : "");
    }

    static void mouse_target(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer data) {
        auto* self = static_cast<web_view*>(data);
        const gchar* link =
            webkit_hit_test_result_context_is_link(hit) ? webkit_hit_test_result_get_link_uri(hit) : nullptr;
        std::string text = link ? link : "";
        if (text == self->status_text_) return;  // the engine repeats itself on every move
        self->status_text_ = text;
        auto callback = self->callbacks_.status_text;
        if (callback) callback(text);
    }

    static GtkWidget* create(WebKitWebView*, WebKitNavigationAction*, gpointer data) {
        auto* self = static_cast<web_view*>(data);
        if (self->block_popups_) {
            auto callback = self->callbacks_.popup_blocked;
            if (callback) callback();
        }
        return nullptr;  // no second window either way: the program has nowhere to put it
    }

    static gboolean context_menu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                 WebKitHitTestResult*, gpointer data) {
        auto* self = static_cast<web_view*>(data);
        if (!self->block_context_menu_) return FALSE;
        auto callback = self->callbacks_.context_menu_blocked;
        if (callback) callback();
        return TRUE;
    }

    static gboolean decide_policy(WebKitWebView*, WebKitPolicyDecision* decision,
                                  WebKitPolicyDecisionType type, gpointer data) {
        auto* self = static_cast<web_view*>(data);
        if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
            type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
            return FALSE;
        auto callback = self->callbacks_.navigation;
        if (!callback) return FALSE;
        WebKitNavigationAction* action =
            webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
        WebKitURIRequest* request = webkit_navigation_action_get_request(action);
        const gchar* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
        if (callback(uri ? uri : "")) return FALSE;
        webkit_policy_decision_ignore(decision);
        if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) self->load_pending_ = false;
        return TRUE;
    }

    static void destroyed(GtkWidget*, gpointer data) {
        auto* self = static_cast<web_view*>(data);
        self->destroyed_ = true;
        auto callback = self->callbacks_.destroyed;
        if (callback) callback();
    }
};

std::unique_ptr<web_view> web_view::create(GtkWidget* container, int x, int y, int width,
                                           int height) {
    if (!ensure_gtk() || (container && !GTK_IS_CONTAINER(container))) return nullptr;
    std::unique_ptr<web_view> view(new web_view);
    WebKitUserContentManager* content = webkit_user_content_manager_new();
    add_tile_page_style(content);
    view->widget_ = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", memory_only_context(),
                                            "user-content-manager", content, nullptr));
    g_object_unref(content);  // the view keeps its own reference
    if (!view->widget_) return nullptr;
    g_object_ref_sink(view->widget_);
    // Scripted popups must reach the "create" signal, where blocking and reporting happen.
    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view->widget_));
    webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
    // Tile servers see who asks: the program and its version after the engine's own words.
    webkit_settings_set_user_agent_with_application_details(settings, "Lomtra-SAT", LOMTRA_SAT_VERSION);

    view->requested_width_ = width;
    view->requested_height_ = height;
    gtk_widget_set_size_request(view->widget_, width, height);
    g_object_set_data(G_OBJECT(view->widget_), view_key, view.get());
    view->connect_signals();
    if (!container) return view;
    if (GTK_IS_FIXED(container))
        gtk_fixed_put(GTK_FIXED(container), view->widget_, x, y);
    else
        gtk_container_add(GTK_CONTAINER(container), view->widget_);
    gtk_widget_show(view->widget_);
    return view;
}

void web_view::connect_signals() {
    g_signal_connect(widget_, "load-changed", G_CALLBACK(web_view_signals::load_changed), this);
    g_signal_connect(widget_, "load-failed", G_CALLBACK(web_view_signals::load_failed), this);
    g_signal_connect(widget_, "notify::estimated-load-progress",
                     G_CALLBACK(web_view_signals::progress), this);
    g_signal_connect(widget_, "notify::title", G_CALLBACK(web_view_signals::title), this);
    g_signal_connect(widget_, "mouse-target-changed", G_CALLBACK(web_view_signals::mouse_target),
                     this);
    g_signal_connect(widget_, "create", G_CALLBACK(web_view_signals::create), this);
    g_signal_connect(widget_, "context-menu", G_CALLBACK(web_view_signals::context_menu), this);
    g_signal_connect(widget_, "decide-policy", G_CALLBACK(web_view_signals::decide_policy), this);
    g_signal_connect(widget_, "destroy", G_CALLBACK(web_view_signals::destroyed), this);
}

web_view::~web_view() {
    *alive_ = false;
    if (!widget_) return;
    g_signal_handlers_disconnect_by_data(widget_, this);
    g_object_set_data(G_OBJECT(widget_), view_key, nullptr);
    if (!destroyed_) gtk_widget_destroy(widget_);
    g_object_unref(widget_);
}

web_view* web_view::of(GtkWidget* widget) {
    return widget ? static_cast<web_view*>(g_object_get_data(G_OBJECT(widget), view_key)) : nullptr;
}

WebKitWebView* web_view::engine() const {
    return destroyed_ ? nullptr : WEBKIT_WEB_VIEW(widget_);
}

bool web_view::navigate(const std::string& address) {
    const std::string complete = complete_web_address(address);
    if (complete.empty() || !engine()) return false;
    load_pending_ = true;
    webkit_web_view_load_uri(engine(), complete.c_str());
    return true;
}

std::string web_view::address() const {
    const gchar* uri = engine() ? webkit_web_view_get_uri(engine()) : nullptr;
    return uri ? uri : "";
}

bool web_view::busy() const { return engine() && webkit_web_view_is_loading(engine()); }

void web_view::back() {
    if (engine() && webkit_web_view_can_go_back(engine())) webkit_web_view_go_back(engine());
}

void web_view::forward() {
    if (engine() && webkit_web_view_can_go_forward(engine())) webkit_web_view_go_forward(engine());
}

void web_view::stop() {
    if (engine()) webkit_web_view_stop_loading(engine());
}

void web_view::reload() {
    if (engine()) webkit_web_view_reload(engine());
}

bool web_view::wait_until_loaded(int timeout_ms) {
    if (!engine()) return false;
    std::shared_ptr<bool> alive = alive_;
    bool timed_out = false;
    const guint timer = g_timeout_add(static_cast<guint>(timeout_ms), [](gpointer flag) -> gboolean {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
    }, &timed_out);
    while (*alive && !destroyed_ && (load_pending_ || busy()) && !timed_out)
        g_main_context_iteration(nullptr, TRUE);
    if (!timed_out) g_source_remove(timer);
    return *alive && !destroyed_ && !load_pending_ && !busy();
}

int web_view::width() const {
    if (!engine() || !gtk_widget_get_realized(widget_)) return requested_width_;
    return gtk_widget_get_allocated_width(widget_);
}

int web_view::height() const {
    if (!engine() || !gtk_widget_get_realized(widget_)) return requested_height_;
    return gtk_widget_get_allocated_height(widget_);
}

}  // namespace platform
