#include "platform/message_pump.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <deque>

#include "platform/messages.h"
#include "platform/window.h"

namespace platform {
namespace {

thread_local std::deque<message> queue;

// Lets GTK turn what the display has sent into signals (and so into posted messages).
// Bounded, so that a widget that keeps itself busy cannot hold the caller here.
void run_waiting_gtk_work() {
    for (int i = 0; i < 256 && g_main_context_pending(nullptr); ++i) g_main_context_iteration(nullptr, FALSE);
}

gboolean mark_expired(gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
}

}  // namespace

void post_message(GtkWidget* window, unsigned code, intptr_t wparam, intptr_t lparam) {
    queue.push_back(message{window, code, wparam, lparam});
}

bool peek_message(message& out) {
    if (queue.empty()) run_waiting_gtk_work();
    if (queue.empty()) return false;
    out = queue.front();
    queue.pop_front();
    return true;
}

message get_message() {
    while (queue.empty()) g_main_context_iteration(nullptr, TRUE);
    message msg = queue.front();
    queue.pop_front();
    return msg;
}

bool wait_for_input(int timeout_ms) {
    if (!queue.empty()) return true;
    bool expired = false;
    const guint timer = g_timeout_add(static_cast<guint>(std::max(timeout_ms, 0)), mark_expired, &expired);
    while (queue.empty() && !expired) g_main_context_iteration(nullptr, TRUE);
    if (!expired) g_source_remove(timer);
    return !queue.empty();
}

void run_toolkit_for(int timeout_ms) {
    if (timeout_ms <= 0) return;
    bool expired = false;
    g_timeout_add(static_cast<guint>(timeout_ms), mark_expired, &expired);
    while (!expired) g_main_context_iteration(nullptr, TRUE);
}

intptr_t dispatch_message(const message& msg) {
    const window_procedure procedure = procedure_of(msg.window);
    if (!procedure) return 0;
    return procedure(msg.window, msg.code, msg.wparam, msg.lparam);
}

void dispatch_waiting_messages() {
    message msg;
    while (peek_message(msg)) dispatch_message(msg);
}

void forget_messages_of(GtkWidget* widget) {
    const auto about = [widget](const message& m) {
        if (m.window == widget) return true;
        const bool names_control = m.code == WM_COMMAND || m.code == WM_HSCROLL || m.code == WM_VSCROLL;
        return names_control && m.lparam == reinterpret_cast<intptr_t>(widget);
    };
    queue.erase(std::remove_if(queue.begin(), queue.end(), about), queue.end());
}

int queued_message_count() { return static_cast<int>(queue.size()); }

}  // namespace platform
