// The prefetcher over WebKitGTK: link prefetches from a hidden page of the fetched addresses'
// own site. The page is a relative of the given web view, so it shares that view's engine
// process and network session; it shows an empty document whose address is the site's root,
// made without asking the server anything, and each fetch is a <link rel="prefetch"> added to
// it. The engine then requests the address and keeps the answer in the session's HTTP cache
// under the site's own partition, which is where the view's navigation to the same address
// looks. Nothing fetched is decoded or laid out, so a fetch costs the engine little more than
// the request itself.
//
// A server that marks its answers as not to be kept would be asked for every address twice,
// once here and once by the view: the first successful answer the cache may not give again
// without asking the server stops the prefetcher, and so does the first answer by which the
// server asks to be asked less.
#include "platform/prefetcher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <optional>

#include "platform/gtk/toolkit.h"
#include "platform/gtk/web_view_state.h"
#include "platform/web_address.h"

namespace platform {
namespace {

using steady = std::chrono::steady_clock;

// A fetch that neither ends nor fails (a server that holds the request) gives its place back
// after this long, so the fetches behind it are not held up for good.
constexpr std::chrono::seconds fetch_given_up_after{30};
constexpr guint overdue_check_ms = 1000;

// "scheme://host[:port]" of an address; empty when it has none.
std::string site_of(const std::string& address) {
    const std::size_t scheme_end = address.find("://");
    if (scheme_end == std::string::npos) return "";
    const std::size_t path = address.find_first_of("/?#", scheme_end + 3);
    return address.substr(0, path);
}

// The text as a single-quoted script string: quotes, backslashes, controls and all that is not
// ASCII written as escapes, so no address can end the string or the script.
std::string script_string(const std::string& text) {
    std::string quoted = "'";
    char escape[16];
    for (const gchar* at = text.c_str(); *at; at = g_utf8_next_char(at)) {
        const gunichar c = g_utf8_get_char(at);
        if (c >= 0x20 && c < 0x7f && c != '\'' && c != '\\') {
            quoted += static_cast<char>(c);
        } else if (c <= 0xffff) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            const gunichar v = c - 0x10000;
            std::snprintf(escape, sizeof escape, "\\u%04x\\u%04x", 0xd800 + (v >> 10), 0xdc00 + (v & 0x3ff));
            quoted += escape;
        }
    }
    return quoted + "'";
}

// The time an HTTP date header gives, in seconds since 1970; none when it is absent or cannot
// be read.
std::optional<gint64> header_time(SoupMessageHeaders* headers, const char* name) {
    const char* text = soup_message_headers_get_one(headers, name);
    GDateTime* time = text ? soup_date_time_new_from_http_string(text) : nullptr;
    if (!time) return std::nullopt;
    const gint64 seconds = g_date_time_to_unix(time);
    g_date_time_unref(time);
    return seconds;
}

// The cache gives an answer again only to a request that has the same values in the headers
// the answer varies on. A fetch ahead and the view's load of the same address differ in Accept,
// Referer and the Sec- headers; these are sent alike by both.
bool sent_alike_by_view_and_fetch(const char* header) {
    for (const char* alike : {"Accept-Encoding", "Accept-Language", "Cookie", "Origin", "User-Agent"})
        if (g_ascii_strcasecmp(header, alike) == 0) return true;
    return false;
}

// Whether the engine's HTTP cache may answer a later load of this address without asking the
// server again, by the answer's own headers: it must be allowed to store it, not be told to ask
// the server each time, not vary on what a fetch ahead sends otherwise, and be fresh for a
// while (its max-age, else Expires against the answer's Date, else the tenth of its age since
// Last-Modified that caches allow themselves).
bool reusable_without_asking(WebKitURIResponse* response) {
    SoupMessageHeaders* headers = response ? webkit_uri_response_get_http_headers(response) : nullptr;
    if (!headers) return true;  // not an HTTP answer: nothing to judge
    const char* pragma = soup_message_headers_get_list(headers, "Pragma");
    if (pragma && soup_header_contains(pragma, "no-cache")) return false;
    if (const char* vary = soup_message_headers_get_list(headers, "Vary")) {
        GSList* names = soup_header_parse_list(vary);
        bool alike = true;
        for (GSList* name = names; name; name = name->next)
            alike = alike && sent_alike_by_view_and_fetch(static_cast<const char*>(name->data));
        soup_header_free_list(names);
        if (!alike) return false;
    }
    if (const char* cache_control = soup_message_headers_get_list(headers, "Cache-Control")) {
        GHashTable* directives = soup_header_parse_param_list(cache_control);  // names without case
        const bool told_not_to = g_hash_table_contains(directives, "no-store") ||
                                 g_hash_table_contains(directives, "no-cache");
        const bool has_max_age = g_hash_table_contains(directives, "max-age");
        const char* max_age = static_cast<const char*>(g_hash_table_lookup(directives, "max-age"));
        const long seconds = max_age ? std::strtol(max_age, nullptr, 10) : 0;
        soup_header_free_param_list(directives);
        if (told_not_to) return false;
        if (has_max_age) return seconds > 0;
    }
    const gint64 date = header_time(headers, "Date").value_or(g_get_real_time() / G_USEC_PER_SEC);
    if (soup_message_headers_get_one(headers, "Expires")) {
        const std::optional<gint64> expires = header_time(headers, "Expires");  // unreadable: expired
        return expires && *expires > date;
    }
    const std::optional<gint64> modified = header_time(headers, "Last-Modified");
    return modified && (date - *modified) / 10 >= 1;
}

// Whether fetching ahead is still worth the server's while after this answer: not when the
// cache may not give it again, since the view would ask for it a second time, nor when the
// server asks to be asked less (429 Too Many Requests, 503 Service Unavailable). Other error
// pages say nothing of how the server marks its tiles, and no answer says nothing at all.
bool worth_fetching_on_after(WebKitURIResponse* response) {
    const guint status = response ? webkit_uri_response_get_status_code(response) : 0;
    if (status == 429 || status == 503) return false;
    if (status < 200 || status >= 300) return true;
    return reusable_without_asking(response);
}

}  // namespace

struct prefetcher::engine {
    // A fetch under way: its link's number on the page, when it began and, once the engine has
    // started it, the engine's resource.
    struct fetch_under_way {
        int link = 0;
        steady::time_point started;
        object_handle<WebKitWebResource> resource;
    };
    // The hidden page of one site, from which that site's addresses are fetched.
    struct site_page {
        engine* owner = nullptr;
        std::string site;
        object_handle<GtkWidget> view;
        bool ready = false;  // its empty document has loaded
        std::vector<int> links_ended;  // links to take off the page with the next script
    };

    WebKitWebView* related = nullptr;  // null once it has gone
    gulong related_gone = 0;
    int depth = 1;
    bool stopped = true;
    std::deque<std::string> waiting;
    std::map<std::string, fetch_under_way> fetches;  // under way, by address
    std::vector<std::unique_ptr<site_page>> pages;
    int next_link = 0;
    int finished = 0;
    bool not_worth_it = false;  // an answer said fetching ahead costs the server for nothing
    double fetch_ms = 0;  // running mean of the fetches' durations
    guint pump_source = 0;
    guint overdue_source = 0;

    void schedule_pump();
    void pump();
    site_page* page_for(const std::string& site);
    void resource_started(site_page& page, WebKitWebResource* resource, const std::string& uri);
    void ended(const std::string& address, bool worth_going_on = true);
    void end_overdue();
    void stop();
};

namespace {

using engine = prefetcher::engine;

// The fetch of this resource has ended, with an answer or without.
void end_fetch_of(WebKitWebResource* resource, gpointer data) {
    auto* self = static_cast<engine*>(data);
    for (const auto& [address, under_way] : self->fetches) {
        if (under_way.resource.get() != resource) continue;
        self->ended(address, worth_fetching_on_after(webkit_web_resource_get_response(resource)));
        return;
    }
}

void on_resource_ended(WebKitWebResource* resource, gpointer data) { end_fetch_of(resource, data); }

// A prefetch answered with an error page ends as failed, with the answer still readable.
void on_resource_failed(WebKitWebResource* resource, GError*, gpointer data) { end_fetch_of(resource, data); }

void on_resource_started(WebKitWebView*, WebKitWebResource* resource, WebKitURIRequest* request, gpointer data) {
    auto* page = static_cast<engine::site_page*>(data);
    const gchar* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
    page->owner->resource_started(*page, resource, uri ? uri : "");
}

void on_page_load_changed(WebKitWebView*, WebKitLoadEvent load, gpointer data) {
    auto* page = static_cast<engine::site_page*>(data);
    if (load != WEBKIT_LOAD_FINISHED || page->ready) return;
    page->ready = true;
    page->owner->schedule_pump();
}

// The page itself shows nothing and opens nothing.
gboolean on_page_load_failed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer) { return TRUE; }

void on_related_gone(GtkWidget*, gpointer data) {
    auto* self = static_cast<engine*>(data);
    self->related = nullptr;
    self->related_gone = 0;
    self->stop();
}

// The page's own settings: the related view's user agent, so servers see the program as they
// do from the panel, and link prefetching, which the engine leaves off by default.
WebKitSettings* page_settings(WebKitWebView* related) {
    WebKitSettings* settings = webkit_settings_new();
    webkit_settings_set_user_agent(settings, webkit_settings_get_user_agent(webkit_web_view_get_settings(related)));
    webkit_settings_set_enable_javascript(settings, TRUE);
    WebKitFeatureList* features = webkit_settings_get_all_features();
    for (gsize i = 0; i < webkit_feature_list_get_length(features); ++i) {
        WebKitFeature* feature = webkit_feature_list_get(features, i);
        if (std::strcmp(webkit_feature_get_identifier(feature), "LinkPrefetch") == 0)
            webkit_settings_set_feature_enabled(settings, feature, TRUE);
    }
    webkit_feature_list_unref(features);
    return settings;
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

prefetcher::engine::site_page* prefetcher::engine::page_for(const std::string& site) {
    for (const auto& page : pages)
        if (page->site == site) return page.get();
    if (!related) return nullptr;
    auto made = std::make_unique<site_page>();
    made->owner = this;
    made->site = site;
    WebKitSettings* settings = page_settings(related);
    made->view.reset(GTK_WIDGET(
        g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", related, "settings", settings, nullptr))));
    g_object_unref(settings);
    if (!made->view) return nullptr;
    g_signal_connect(made->view.get(), "load-changed", G_CALLBACK(on_page_load_changed), made.get());
    g_signal_connect(made->view.get(), "load-failed", G_CALLBACK(on_page_load_failed), made.get());
    g_signal_connect(made->view.get(), "resource-load-started", G_CALLBACK(on_resource_started), made.get());
    const std::string root = site + "/";
    webkit_web_view_load_html(WEBKIT_WEB_VIEW(made->view.get()), "<!DOCTYPE html><html><head></head></html>",
                              root.c_str());
    pages.push_back(std::move(made));
    return pages.back().get();
}

void prefetcher::engine::pump() {
    // Stopped here, outside the engine's signal that told it, since stopping closes the pages.
    if (not_worth_it && !stopped) stop();
    while (!stopped && !waiting.empty() && static_cast<int>(fetches.size()) < depth) {
        const std::string address = complete_web_address(waiting.front());
        const std::string site = site_of(address);
        if (site.empty() || fetches.count(address)) {  // nothing to fetch, or under way already
            waiting.pop_front();
            continue;
        }
        site_page* page = page_for(site);
        if (!page || !page->ready) return;  // a page's load, once it ends, pumps again
        waiting.pop_front();
        fetch_under_way& added = fetches[address];
        added.link = ++next_link;
        added.started = steady::now();
        // Links whose fetch has ended go with this script; a link taken off while its fetch
        // is under way could call the fetch off.
        std::string script = "{const head=document.head;";
        for (int ended_link : page->links_ended)
            script += "document.getElementById('f" + std::to_string(ended_link) + "')?.remove();";
        page->links_ended.clear();
        script += "const link=document.createElement('link');link.id='f" + std::to_string(added.link) +
                  "';link.rel='prefetch';link.href=" + script_string(address) + ";head.appendChild(link);}";
        webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(page->view.get()), script.c_str(), -1, nullptr, nullptr,
                                            nullptr, nullptr, nullptr);
    }
    if (!fetches.empty() && !overdue_source)
        overdue_source = g_timeout_add(
            overdue_check_ms,
            [](gpointer data) -> gboolean {
                auto* self = static_cast<engine*>(data);
                self->end_overdue();
                if (!self->fetches.empty()) return G_SOURCE_CONTINUE;
                self->overdue_source = 0;
                return G_SOURCE_REMOVE;
            },
            this);
}

void prefetcher::engine::resource_started(site_page& page, WebKitWebResource* resource, const std::string& uri) {
    if (site_of(uri) != page.site || uri == page.site + "/") return;  // the page's own document
    // The engine names the address as it parsed it, which may differ in its spelling from the
    // address given: the oldest fetch of this page not yet started stands for it then.
    auto match = fetches.find(uri);
    if (match == fetches.end() || match->second.resource) {
        match = fetches.end();
        for (auto each = fetches.begin(); each != fetches.end(); ++each) {
            if (each->second.resource || site_of(each->first) != page.site) continue;
            if (match == fetches.end() || each->second.link < match->second.link) match = each;
        }
    }
    if (match == fetches.end()) return;
    match->second.resource.reset(WEBKIT_WEB_RESOURCE(g_object_ref(resource)));
    g_signal_connect(resource, "finished", G_CALLBACK(on_resource_ended), this);
    g_signal_connect(resource, "failed", G_CALLBACK(on_resource_failed), this);
}

void prefetcher::engine::ended(const std::string& address, bool worth_going_on) {
    if (!worth_going_on) not_worth_it = true;
    const auto found = fetches.find(address);
    if (found == fetches.end()) return;
    const double took = std::chrono::duration<double, std::milli>(steady::now() - found->second.started).count();
    if (found->second.resource) g_signal_handlers_disconnect_by_data(found->second.resource.get(), this);
    for (const auto& page : pages)
        if (page->site == site_of(address)) page->links_ended.push_back(found->second.link);
    fetches.erase(found);
    ++finished;
    // A short memory: the link's round trip changes during a long run.
    fetch_ms = fetch_ms == 0 ? took : 0.8 * fetch_ms + 0.2 * took;
    // The next fetch starts outside the engine's own signal.
    schedule_pump();
}

void prefetcher::engine::end_overdue() {
    const steady::time_point now = steady::now();
    std::vector<std::string> overdue;
    for (const auto& [address, under_way] : fetches)
        if (now - under_way.started >= fetch_given_up_after) overdue.push_back(address);
    for (const std::string& address : overdue) ended(address);
}

void prefetcher::engine::stop() {
    stopped = true;
    waiting.clear();
    if (pump_source) g_source_remove(pump_source);
    pump_source = 0;
    if (overdue_source) g_source_remove(overdue_source);
    overdue_source = 0;
    for (const auto& [address, under_way] : fetches)
        if (under_way.resource) g_signal_handlers_disconnect_by_data(under_way.resource.get(), this);
    fetches.clear();
    // Closing a page calls off its fetches under way.
    for (const auto& page : pages) {
        g_signal_handlers_disconnect_by_data(page->view.get(), page.get());
        webkit_web_view_stop_loading(WEBKIT_WEB_VIEW(page->view.get()));
        gtk_widget_destroy(page->view.get());
    }
    pages.clear();
    if (related && related_gone) g_signal_handler_disconnect(related, related_gone);
    related_gone = 0;
    related = nullptr;
}

prefetcher::prefetcher(control* related, int depth) : engine_(std::make_unique<engine>()) {
    set_depth(depth);
    if (!related || related->kind != control_kind::web_view || !related->web) return;
    // A session that keeps nothing on disk does not keep what a link prefetch brings: every
    // tile would be asked of the server twice, for nothing.
    if (webkit_web_view_is_ephemeral(related->web->engine)) return;
    engine_->related = related->web->engine;
    engine_->related_gone = g_signal_connect(related->widget, "destroy", G_CALLBACK(on_related_gone), engine_.get());
    engine_->stopped = false;
}

prefetcher::~prefetcher() { engine_->stop(); }

void prefetcher::prepare(const std::string& address) {
    const std::string site = site_of(complete_web_address(address));
    if (!engine_->stopped && !site.empty()) engine_->page_for(site);
}

void prefetcher::fetch(const std::vector<std::string>& addresses) {
    if (engine_->stopped) return;
    engine_->waiting.insert(engine_->waiting.end(), addresses.begin(), addresses.end());
    engine_->pump();
}

void prefetcher::skip(const std::string& address) {
    const std::string complete = complete_web_address(address);
    auto& waiting = engine_->waiting;
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                 [&](const std::string& each) { return complete_web_address(each) == complete; }),
                  waiting.end());
}

void prefetcher::set_depth(int depth) {
    engine_->depth = std::clamp(depth, 1, max_depth);
    engine_->pump();
}

void prefetcher::stop() { engine_->stop(); }

bool prefetcher::stopped() const { return engine_->stopped; }
int prefetcher::depth() const { return engine_->depth; }
int prefetcher::under_way() const { return static_cast<int>(engine_->fetches.size()); }
int prefetcher::waiting() const { return static_cast<int>(engine_->waiting.size()); }
int prefetcher::finished() const { return engine_->finished; }

bool prefetcher::fetching(const std::string& address) const {
    return engine_->fetches.count(complete_web_address(address)) > 0;
}

bool prefetcher::wait_for_fetch(const std::string& address, int timeout_ms) const {
    return iterate_until([&] { return !fetching(address); }, timeout_ms);
}

double prefetcher::fetch_ms() const { return engine_->fetch_ms; }

}  // namespace platform
