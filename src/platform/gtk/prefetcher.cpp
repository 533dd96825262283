// The prefetcher over WebKitGTK: hidden web views made as relatives of a web view, so they
// share its engine process, its settings (the program's user agent) and its network session
// with the HTTP cache; each loads one address at a time.
#include "platform/prefetcher.h"

#include <algorithm>
#include <chrono>
#include <deque>

#include "platform/gtk/toolkit.h"
#include "platform/gtk/web_view_state.h"
#include "platform/web_address.h"

namespace platform {

struct prefetcher::engine {
    struct fetcher {
        engine* owner = nullptr;
        object_handle<GtkWidget> view;  // hidden: in no window
        bool busy = false;
        std::string address;  // of the current load
        int navigations = 0;  // of the current load: the first is the fetch itself
        std::chrono::steady_clock::time_point started;
    };

    WebKitWebView* related = nullptr;  // null once it has gone
    gulong related_gone = 0;
    int depth = 1;
    bool stopped = true;
    std::deque<std::string> waiting;
    std::vector<std::unique_ptr<fetcher>> fetchers;
    int under_way = 0;
    int finished = 0;
    double fetch_ms = 0;  // running mean of the fetches' durations
    guint pump_source = 0;

    void schedule_pump();
    void pump();
    fetcher* free_fetcher();
    void stop();
};

namespace {

using engine = prefetcher::engine;

void on_load_changed(WebKitWebView*, WebKitLoadEvent load, gpointer data) {
    auto* self = static_cast<engine::fetcher*>(data);
    if (load != WEBKIT_LOAD_FINISHED || !self->busy) return;
    self->busy = false;
    --self->owner->under_way;
    ++self->owner->finished;
    const double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - self->started).count();
    // A short memory: the link's round trip changes during a long run.
    double& mean = self->owner->fetch_ms;
    mean = mean == 0 ? took : 0.8 * mean + 0.2 * took;
    // The next load starts outside the engine's own signal.
    self->owner->schedule_pump();
}

// No error page: a failed fetch just ends.
gboolean on_load_failed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer) { return TRUE; }

// Only the address asked for, and only an image's bytes: a redirection elsewhere is not
// followed, and a page is not opened, so nothing it refers to is requested.
gboolean on_decide_policy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                          gpointer data) {
    auto* self = static_cast<engine::fetcher*>(data);
    bool allowed = false;
    if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
        allowed = ++self->navigations == 1;
    } else if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        WebKitURIResponse* response =
            webkit_response_policy_decision_get_response(WEBKIT_RESPONSE_POLICY_DECISION(decision));
        const gchar* type_text = response ? webkit_uri_response_get_mime_type(response) : nullptr;
        allowed = type_text && g_str_has_prefix(type_text, "image/") &&
                  webkit_response_policy_decision_is_mime_type_supported(WEBKIT_RESPONSE_POLICY_DECISION(decision));
    }
    if (allowed) return FALSE;  // the engine's own decision: load it
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

void on_related_gone(GtkWidget*, gpointer data) {
    auto* self = static_cast<engine*>(data);
    self->related = nullptr;
    self->related_gone = 0;
    self->stop();
}

}  // namespace

void prefetcher::engine::schedule_pump() {
    if (pump_source || stopped) return;
    pump_source = g_idle_add(
        [](gpointer data) -> gboolean {
            auto* self = static_cast<engine*>(data);
            self->pump_source = 0;
            self->pump();
            return G_SOURCE_REMOVE;
        },
        this);
}

prefetcher::engine::fetcher* prefetcher::engine::free_fetcher() {
    for (const auto& candidate : fetchers) {
        if (!candidate->busy) return candidate.get();
    }
    if (static_cast<int>(fetchers.size()) >= max_depth || !related) return nullptr;
    auto made = std::make_unique<fetcher>();
    made->owner = this;
    made->view.reset(GTK_WIDGET(g_object_ref_sink(webkit_web_view_new_with_related_view(related))));
    if (!made->view) return nullptr;
    g_signal_connect(made->view.get(), "load-changed", G_CALLBACK(on_load_changed), made.get());
    g_signal_connect(made->view.get(), "load-failed", G_CALLBACK(on_load_failed), made.get());
    g_signal_connect(made->view.get(), "decide-policy", G_CALLBACK(on_decide_policy), made.get());
    fetchers.push_back(std::move(made));
    return fetchers.back().get();
}

void prefetcher::engine::pump() {
    while (!stopped && !waiting.empty() && under_way < depth) {
        fetcher* free = free_fetcher();
        if (!free) return;
        const std::string address = complete_web_address(waiting.front());
        waiting.pop_front();
        if (address.empty()) continue;
        free->busy = true;
        free->address = address;
        free->navigations = 0;
        free->started = std::chrono::steady_clock::now();
        ++under_way;
        webkit_web_view_load_uri(WEBKIT_WEB_VIEW(free->view.get()), address.c_str());
    }
}

void prefetcher::engine::stop() {
    stopped = true;
    waiting.clear();
    if (pump_source) g_source_remove(pump_source);
    pump_source = 0;
    for (const auto& each : fetchers) {
        g_signal_handlers_disconnect_by_data(each->view.get(), each.get());
        if (each->busy) webkit_web_view_stop_loading(WEBKIT_WEB_VIEW(each->view.get()));
        gtk_widget_destroy(each->view.get());
    }
    fetchers.clear();
    under_way = 0;
    if (related && related_gone) g_signal_handler_disconnect(related, related_gone);
    related_gone = 0;
    related = nullptr;
}

prefetcher::prefetcher(control* related, int depth) : engine_(std::make_unique<engine>()) {
    set_depth(depth);
    if (!related || related->kind != control_kind::web_view || !related->web) return;
    engine_->related = related->web->engine;
    engine_->related_gone = g_signal_connect(related->widget, "destroy", G_CALLBACK(on_related_gone), engine_.get());
    engine_->stopped = false;
}

prefetcher::~prefetcher() { engine_->stop(); }

void prefetcher::fetch(const std::vector<std::string>& addresses) {
    if (engine_->stopped) return;
    engine_->waiting.insert(engine_->waiting.end(), addresses.begin(), addresses.end());
    engine_->pump();
}

void prefetcher::set_depth(int depth) {
    engine_->depth = std::clamp(depth, 1, max_depth);
    engine_->pump();
}

void prefetcher::stop() { engine_->stop(); }

bool prefetcher::stopped() const { return engine_->stopped; }
int prefetcher::depth() const { return engine_->depth; }
int prefetcher::under_way() const { return engine_->under_way; }
int prefetcher::waiting() const { return static_cast<int>(engine_->waiting.size()); }
int prefetcher::finished() const { return engine_->finished; }

bool prefetcher::fetching(const std::string& address) const {
    const std::string complete = complete_web_address(address);
    return std::any_of(engine_->fetchers.begin(), engine_->fetchers.end(),
                       [&](const auto& each) { return each->busy && each->address == complete; });
}

bool prefetcher::wait_for_fetch(const std::string& address, int timeout_ms) const {
    return iterate_until([&] { return !fetching(address); }, timeout_ms);
}

double prefetcher::fetch_ms() const { return engine_->fetch_ms; }

}  // namespace platform
