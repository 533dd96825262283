// The web view control over WebKitGTK: the engine's signals turned into the view's callbacks,
// navigation, and the waits for what the engine does in its own process (a load, a snapshot
// of the page, a script's answer), each bounded and safe against the view ending meanwhile.
#include <cstdio>

#include "platform/gtk/toolkit.h"
#include "platform/gtk/web_data_folder.h"
#include "platform/gtk/web_view_state.h"
#include "platform/web_address.h"

namespace platform {
namespace {

constexpr int snapshot_timeout_ms = 2000;
constexpr int script_timeout_ms = 1000;

web_view_state& state_of(gpointer data) { return *static_cast<control*>(data)->web; }

// A callback is copied before it is called, so one that ends the view does not pull the
// function out from under itself.
template <class Callback, class... Arguments>
void call(const Callback& callback, Arguments&&... arguments) {
    const Callback copy = callback;
    if (copy) copy(std::forward<Arguments>(arguments)...);
}

void on_load_changed(WebKitWebView*, WebKitLoadEvent load, gpointer data) {
    web_view_state& state = state_of(data);
    if (load == WEBKIT_LOAD_STARTED) {
        call(state.callbacks.load_started);
    } else if (load == WEBKIT_LOAD_FINISHED) {
        state.load_pending = false;
        call(state.callbacks.load_finished);
    }
}

// Keeps the engine's error page away: the view goes on showing what it showed, and the load
// still ends with load-changed FINISHED, so the program moves on. Whoever asked for the page
// learns that it did not come, unless a newer request called it off.
gboolean on_load_failed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, gpointer data) {
    if (error && g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) return TRUE;
    call(state_of(data).callbacks.load_failed,
         std::string(error && error->message ? error->message : "the page could not be loaded"));
    return TRUE;
}

void on_progress(GObject* engine, GParamSpec*, gpointer data) {
    call(state_of(data).callbacks.progress, webkit_web_view_get_estimated_load_progress(WEBKIT_WEB_VIEW(engine)));
}

void on_title(GObject* engine, GParamSpec*, gpointer data) {
    const gchar* text = webkit_web_view_get_title(WEBKIT_WEB_VIEW(engine));
    call(state_of(data).callbacks.title, std::string(text ? text : ""));
}

void on_mouse_target(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer data) {
    web_view_state& state = state_of(data);
    const gchar* link = webkit_hit_test_result_context_is_link(hit) ? webkit_hit_test_result_get_link_uri(hit) : nullptr;
    const std::string text = link ? link : "";
    if (text == state.status_text) return;  // the engine repeats itself on every move
    state.status_text = text;
    call(state.callbacks.status_text, text);
}

GtkWidget* on_create(WebKitWebView*, WebKitNavigationAction*, gpointer data) {
    web_view_state& state = state_of(data);
    if (state.block_popups) call(state.callbacks.popup_blocked);
    return nullptr;  // no second window either way: the program has nowhere to put it
}

gboolean on_context_menu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*, gpointer data) {
    web_view_state& state = state_of(data);
    if (!state.block_context_menu) return FALSE;
    call(state.callbacks.context_menu_blocked);
    return TRUE;
}

gboolean on_decide_policy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                          gpointer data) {
    web_view_state& state = state_of(data);
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
        return FALSE;
    const auto navigation = state.callbacks.navigation;
    if (!navigation) return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const gchar* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    if (navigation(uri ? uri : "")) return FALSE;
    webkit_policy_decision_ignore(decision);
    if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) state.load_pending = false;
    return TRUE;
}

// A question to the engine whose answer comes later. It lives on the heap: when the wait gives
// up, the late answer still has somewhere to land, and frees it.
struct engine_request {
    object_handle<GCancellable> cancellable{g_cancellable_new()};
    surface_handle snapshot;
    std::string answer;
    bool answered = false;
    bool abandoned = false;
};

// Waits for the answer; false (and the request left to its late answer) when none came.
bool await(engine_request* request, int timeout_ms) {
    if (iterate_until([request] { return request->answered; }, timeout_ms)) return true;
    request->abandoned = true;
    g_cancellable_cancel(request->cancellable.get());
    return false;
}

void on_snapshot(GObject* engine, GAsyncResult* result, gpointer data) {
    auto* request = static_cast<engine_request*>(data);
    request->snapshot.reset(webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(engine), result, nullptr));
    request->answered = true;
    if (request->abandoned) delete request;
}

void on_script(GObject* engine, GAsyncResult* result, gpointer data) {
    auto* request = static_cast<engine_request*>(data);
    const object_handle<JSCValue> value(webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(engine), result, nullptr));
    const glib_text text(value ? jsc_value_to_string(value.get()) : nullptr);
    if (text) request->answer = text.get();
    request->answered = true;
    if (request->abandoned) delete request;
}

// Paints the snapshot into the pixels. The engine may hand over any kind of cairo surface, at
// any device scale: such a one is flattened onto an opaque surface first. The usual one, 32-bit
// pixels at scale 1, is read as it is, since flattening it would copy the same colour bytes.
bool paint_snapshot(cairo_surface_t* snapshot, int width, int height, const pixel_view& into) {
    if (cairo_surface_get_type(snapshot) == CAIRO_SURFACE_TYPE_IMAGE) {
        double scale_x = 1, scale_y = 1;
        cairo_surface_get_device_scale(snapshot, &scale_x, &scale_y);
        width = static_cast<int>(cairo_image_surface_get_width(snapshot) / scale_x);
        height = static_cast<int>(cairo_image_surface_get_height(snapshot) / scale_y);
        const cairo_format_t format = cairo_image_surface_get_format(snapshot);
        if (width > 0 && height > 0 && scale_x == 1 && scale_y == 1 &&
            (format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24))
            return paint_surface(snapshot, into);
    }
    if (width <= 0 || height <= 0) return false;
    const surface_handle flat(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    context_handle cr(cairo_create(flat.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), snapshot, 0, 0);
    cairo_paint(cr.get());
    cr.reset();
    return paint_surface(flat.get(), into);
}

}  // namespace

WebKitWebContext* shared_web_context() {
    static WebKitWebContext* const context = [] {
        // A session that keeps its HTTP cache on disk is what lets a tile fetched ahead answer
        // the panel's own load of it; without a folder for it, the session lives in memory and
        // nothing is fetched ahead (see prefetcher).
        const std::string folder = web_data_folder();
        if (folder.empty()) return webkit_web_context_new_ephemeral();
        const object_handle<WebKitWebsiteDataManager> data(
            webkit_website_data_manager_new("base-data-directory", folder.c_str(), "base-cache-directory",
                                            folder.c_str(), nullptr));
        WebKitWebContext* made = webkit_web_context_new_with_website_data_manager(data.get());
        // The smaller of the engine's caches: the tiles of a run are each loaded once and only
        // need to last from their fetch ahead to the panel's load, so a run of thousands of
        // tiles need not fill the disk with them while it lasts.
        webkit_web_context_set_cache_model(made, WEBKIT_CACHE_MODEL_DOCUMENT_BROWSER);
        return made;
    }();
    return context;
}

control* create_web_view(window* parent, const rect& place, bool tab_stop, control_callbacks common) {
    if (!parent || !open_display()) return nullptr;
    WebKitUserContentManager* content = webkit_user_content_manager_new();
    add_tile_page_style(content);
    GtkWidget* widget = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", shared_web_context(),
                                                "user-content-manager", content, nullptr));
    g_object_unref(content);  // the view keeps its own reference
    if (!widget) return nullptr;
    // Scripted popups must reach the "create" signal, where blocking and reporting happen.
    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(widget));
    webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
    // Tile servers see who asks: the program and its version after the engine's own words.
    webkit_settings_set_user_agent_with_application_details(settings, "Lomtra-SAT", LOMTRA_SAT_VERSION);

    control_spec spec;
    spec.kind = control_kind::web_view;
    spec.place = place;
    spec.tab_stop = tab_stop;
    control* self = adopt_widget(parent, widget, spec, std::move(common));
    if (!self) return nullptr;
    self->web = std::make_shared<web_view_state>();
    self->web->engine = WEBKIT_WEB_VIEW(widget);
    g_signal_connect(widget, "load-changed", G_CALLBACK(on_load_changed), self);
    g_signal_connect(widget, "load-failed", G_CALLBACK(on_load_failed), self);
    g_signal_connect(widget, "notify::estimated-load-progress", G_CALLBACK(on_progress), self);
    g_signal_connect(widget, "notify::title", G_CALLBACK(on_title), self);
    g_signal_connect(widget, "mouse-target-changed", G_CALLBACK(on_mouse_target), self);
    g_signal_connect(widget, "create", G_CALLBACK(on_create), self);
    g_signal_connect(widget, "context-menu", G_CALLBACK(on_context_menu), self);
    g_signal_connect(widget, "decide-policy", G_CALLBACK(on_decide_policy), self);
    return self;
}

void set_web_view_callbacks(control* view, web_view_callbacks callbacks) { view->web->callbacks = std::move(callbacks); }

bool navigate(control* view, const std::string& address) {
    const std::string complete = complete_web_address(address);
    if (complete.empty()) return false;
    view->web->load_pending = true;
    webkit_web_view_load_uri(view->web->engine, complete.c_str());
    return true;
}

std::string page_address(const control* view) {
    const gchar* uri = webkit_web_view_get_uri(view->web->engine);
    return uri ? uri : "";
}

bool is_loading(const control* view) { return webkit_web_view_is_loading(view->web->engine); }

void run_web_command(control* view, web_command command) {
    WebKitWebView* engine = view->web->engine;
    switch (command) {
        case web_command::back:
            if (webkit_web_view_can_go_back(engine)) webkit_web_view_go_back(engine);
            break;
        case web_command::forward:
            if (webkit_web_view_can_go_forward(engine)) webkit_web_view_go_forward(engine);
            break;
        case web_command::stop: webkit_web_view_stop_loading(engine); break;
        case web_command::reload: webkit_web_view_reload(engine); break;
    }
}

void block_popups(control* view, bool on) { view->web->block_popups = on; }

void block_context_menu(control* view, bool on) { view->web->block_context_menu = on; }

bool wait_until_loaded(control* view, int timeout_ms) {
    const std::weak_ptr<web_view_state> alive = view->web;
    const auto loaded = [&alive] {
        const std::shared_ptr<web_view_state> state = alive.lock();
        return !state || (!state->load_pending && !webkit_web_view_is_loading(state->engine));
    };
    return iterate_until(loaded, timeout_ms) && !alive.expired();
}

bool render_web_view(control& view, const pixel_view& into, const std::function<void()>& meanwhile,
                     const std::function<void()>& once_taken) {
    // Letting the toolkit work below dispatches other events, which may ask for a render again.
    if (view.web->waiting) {
        if (once_taken) once_taken();
        if (meanwhile) meanwhile();
        return false;
    }
    int width = 0, height = 0;
    control_size(&view, width, height);
    const std::weak_ptr<web_view_state> alive = view.web;
    view.web->waiting = true;
    auto* request = new engine_request;
    webkit_web_view_get_snapshot(view.web->engine, WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE,
                                 request->cancellable.get(), on_snapshot, request);
    // The web process takes its messages in the order they were sent, and paints the snapshot
    // as it takes that one: whatever the view is asked to do from here on comes after it.
    if (once_taken) once_taken();
    // The engine draws in its own process: the caller's work overlaps it.
    if (meanwhile) meanwhile();
    const bool answered = await(request, snapshot_timeout_ms);
    if (const auto state = alive.lock()) state->waiting = false;
    if (!answered) return false;
    const bool painted = !alive.expired() && request->snapshot && paint_snapshot(request->snapshot.get(), width, height, into);
    delete request;
    return painted;
}

bool scroll_offset(control* view, int& x, int& y) {
    x = y = 0;
    if (view->web->waiting) return false;
    const std::weak_ptr<web_view_state> alive = view->web;
    view->web->waiting = true;  // one wait on the engine at a time
    auto* request = new engine_request;
    static const char script[] = "Math.round(window.scrollX) + ' ' + Math.round(window.scrollY)";
    webkit_web_view_evaluate_javascript(view->web->engine, script, -1, nullptr, nullptr, request->cancellable.get(),
                                        on_script, request);
    const bool answered = await(request, script_timeout_ms);
    if (const auto state = alive.lock()) state->waiting = false;
    if (!answered) return false;
    const bool read = std::sscanf(request->answer.c_str(), "%d %d", &x, &y) == 2;
    delete request;
    return read;
}

void scroll_to(control* view, int x, int y) {
    const std::string script = "window.scrollTo(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    webkit_web_view_evaluate_javascript(view->web->engine, script.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
                                        nullptr);
}

}  // namespace platform
