// The page's scroll offsets, which live in the engine's web process: read by a script whose
// answer is awaited like a snapshot (state on the heap, bounded wait, cancellable).
#include <cstdio>

#include "platform/gtk/toolkit.h"
#include "web_view.h"

namespace platform {
namespace {

constexpr int script_timeout_ms = 1000;

struct script_request {
    GCancellable* cancellable = g_cancellable_new();
    std::string answer;
    bool answered = false;
    bool abandoned = false;
    ~script_request() { g_object_unref(cancellable); }
};

void on_script(GObject* source, GAsyncResult* result, gpointer data) {
    auto* request = static_cast<script_request*>(data);
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
    if (request->abandoned) {
        if (value) g_object_unref(value);
        delete request;
        return;
    }
    if (value) {
        gchar* text = jsc_value_to_string(value);
        request->answer = text ? text : "";
        g_free(text);
        g_object_unref(value);
    }
    request->answered = true;
}

}  // namespace

bool web_view::scroll_offset(int& x, int& y) {
    x = y = 0;
    if (!engine() || rendering_) return false;
    rendering_ = true;  // one wait on the engine at a time
    auto* request = new script_request;
    static const char script[] = "Math.round(window.scrollX) + ' ' + Math.round(window.scrollY)";
    webkit_web_view_evaluate_javascript(engine(), script, -1, nullptr, nullptr, request->cancellable, on_script,
                                        request);
    std::shared_ptr<bool> alive = alive_;
    iterate_until([request] { return request->answered; }, script_timeout_ms);
    if (*alive) rendering_ = false;
    if (!request->answered) {
        request->abandoned = true;
        g_cancellable_cancel(request->cancellable);
        return false;
    }
    const bool read = std::sscanf(request->answer.c_str(), "%d %d", &x, &y) == 2;
    delete request;
    return read;
}

void web_view::scroll_to(int x, int y) {
    if (!engine()) return;
    const std::string script = "window.scrollTo(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    webkit_web_view_evaluate_javascript(engine(), script.c_str(), -1, nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace platform
