// Browser panel: the web view as a gadget, its notifications turned into control events.
#include "ui/browser_panel.h"

#include <gtk/gtk.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include "platform/message_pump.h"
#include "platform/web_view.h"
#include "ui/browser_progress.h"
#include "ui/events.h"
#include "ui/gadgets.h"

namespace ui {
namespace {

constexpr int first_page_timeout_ms = 10000;
constexpr int progress_scale = 100;  // the engine's fraction 0..1 as progress 0..100

struct browser_panel_data : gadget_data {
    std::unique_ptr<platform::web_view> view;
    browser_progress progress;
    bool events_enabled = false;
    browser_navigation_callback navigation = nullptr;
    std::string failure;  // why the last load did not bring its page
};

browser_panel_data& data_of(gadget_record& record) { return static_cast<browser_panel_data&>(*record.data); }

// Looks the panel up again for every notification: the gadget may have been replaced meanwhile.
browser_panel_data* live_panel(GtkWidget* widget) {
    gadget_record* record = gadget_record_of(gadget_number_of(widget));
    if (!record || record->handle != widget || !record->data) return nullptr;
    return static_cast<browser_panel_data*>(record->data.get());
}

void report(GtkWidget* widget, int type) {
    browser_panel_data* panel = live_panel(widget);
    if (panel && panel->events_enabled) post_control_event(widget, type);
}

void connect(GtkWidget* widget, platform::web_view& view) {
    platform::web_view_callbacks& on = view.callbacks();
    on.load_started = [widget] {
        browser_panel_data* panel = live_panel(widget);
        if (!panel) return;
        panel->failure.clear();
        if (!panel->events_enabled) return;
        progress_download_begin(panel->progress);
        post_control_event(widget, BROWSER_EVENT_DOWNLOAD_BEGIN);
    };
    on.progress = [widget](double fraction) {
        browser_panel_data* panel = live_panel(widget);
        if (!panel || !panel->events_enabled) return;
        const int progress = static_cast<int>(std::lround(fraction * progress_scale));
        if (progress_change(panel->progress, progress, progress_scale))
            post_control_event(widget, BROWSER_EVENT_PROGRESS);
    };
    on.load_finished = [widget] {
        browser_panel_data* panel = live_panel(widget);
        if (!panel) return;
        // The first completed page is the creation's "about:blank": it only opens the panel
        // for events.
        if (!panel->events_enabled) {
            panel->events_enabled = true;
            return;
        }
        progress_download_complete(panel->progress);
        post_control_event(widget, BROWSER_EVENT_DOWNLOAD_END);
    };
    on.load_failed = [widget](const std::string& reason) {
        browser_panel_data* panel = live_panel(widget);
        if (!panel) return;
        panel->failure = reason.empty() ? "the page could not be loaded" : reason;
        report(widget, BROWSER_EVENT_LOAD_FAILED);
    };
    on.status_text = [widget](const std::string&) { report(widget, BROWSER_EVENT_STATUS); };
    on.title = [widget](const std::string&) { report(widget, BROWSER_EVENT_TITLE); };
    on.popup_blocked = [widget] { report(widget, BROWSER_EVENT_POPUP_BLOCKED); };
    on.context_menu_blocked = [widget] { report(widget, BROWSER_EVENT_CONTEXT_MENU_BLOCKED); };
    on.navigation = [widget](const std::string& address) {
        browser_panel_data* panel = live_panel(widget);
        if (!panel || !panel->events_enabled || !panel->navigation) return true;
        return panel->navigation(gadget_number_of(widget), address.c_str()) != 0;
    };
}

void release(gadget_record& record) { record.data.reset(); }

std::string get_text(gadget_record& record) { return data_of(record).view->address(); }

void set_text(gadget_record& record, const std::string& text) {
    browser_panel_data& panel = data_of(record);
    if (panel.view->navigate(text)) panel.failure.clear();
}

void set_state(gadget_record& record, intptr_t value) {
    platform::web_view& view = *data_of(record).view;
    switch (value) {
    case BROWSER_BACK: view.back(); break;
    case BROWSER_FORWARD: view.forward(); break;
    case BROWSER_STOP: view.stop(); break;
    case BROWSER_RELOAD: view.reload(); break;
    default: break;
    }
}

intptr_t get_attribute(gadget_record& record, int attribute) {
    browser_panel_data& panel = data_of(record);
    int x = 0, y = 0;
    switch (attribute) {
    case BROWSER_POPUP_BLOCKING: return panel.view->block_popups() ? 1 : 0;
    case BROWSER_CONTEXT_MENU_BLOCKING: return panel.view->block_context_menu() ? 1 : 0;
    case BROWSER_NAVIGATION_CALLBACK: return reinterpret_cast<intptr_t>(panel.navigation);
    case BROWSER_PROGRESS: return panel.progress.progress;
    case BROWSER_PROGRESS_MAXIMUM: return panel.progress.maximum;
    case BROWSER_BUSY: return panel.view->busy() ? 1 : 0;
    case BROWSER_SCROLL_X: return panel.view->scroll_offset(x, y) ? x : 0;
    case BROWSER_SCROLL_Y: return panel.view->scroll_offset(x, y) ? y : 0;
    default: return 0;
    }
}

void set_attribute(gadget_record& record, int attribute, intptr_t value) {
    browser_panel_data& panel = data_of(record);
    int x = 0, y = 0;
    switch (attribute) {
    case BROWSER_POPUP_BLOCKING: panel.view->set_block_popups(value != 0); break;
    case BROWSER_CONTEXT_MENU_BLOCKING: panel.view->set_block_context_menu(value != 0); break;
    case BROWSER_NAVIGATION_CALLBACK:
        panel.navigation = reinterpret_cast<browser_navigation_callback>(value);
        break;
    case BROWSER_SCROLL_X:
        panel.view->scroll_offset(x, y);
        panel.view->scroll_to(static_cast<int>(value), y);
        break;
    case BROWSER_SCROLL_Y:
        panel.view->scroll_offset(x, y);
        panel.view->scroll_to(x, static_cast<int>(value));
        break;
    default: break;
    }
}

const gadget_kind browser_panel_kind = [] {
    gadget_kind kind;
    kind.name = "browser panel";
    kind.release = release;
    kind.get_text = get_text;
    kind.set_text = set_text;
    kind.set_state = set_state;
    kind.get_attribute = get_attribute;
    kind.set_attribute = set_attribute;
    return kind;
}();

}  // namespace

GtkWidget* browser_panel_create(int gadget, int x, int y, int width, int height, std::string_view address,
                                int /*flags*/) {
    if (!can_create_gadget(gadget)) return nullptr;
    std::unique_ptr<platform::web_view> view = platform::web_view::create(nullptr, x, y, width, height);
    if (!view) return nullptr;
    GtkWidget* widget = view->widget();
    // No tab stop: Tab goes from field to field and to the buttons, never into a web page.
    gadget_record* record = register_gadget(gadget, widget, browser_panel_kind, {x, y, width, height}, false);
    if (!record) return nullptr;
    auto data = std::make_unique<browser_panel_data>();
    connect(widget, *view);
    data->view = std::move(view);
    record->data = std::move(data);

    // Events stay off until "about:blank" has completed. Meanwhile the window messages are
    // handled as usual, so events other controls raise meanwhile are kept for the program.
    live_panel(widget)->view->navigate("about:blank");
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(first_page_timeout_ms);
    for (;;) {
        platform::dispatch_waiting_messages();
        browser_panel_data* panel = live_panel(widget);
        if (!panel) return nullptr;  // replaced or destroyed while we waited
        if (panel->events_enabled || std::chrono::steady_clock::now() > end) break;
        pause(1);
    }
    if (!address.empty()) live_panel(widget)->view->navigate(std::string(address));
    return widget;
}

std::string browser_panel_failure(int gadget) {
    gadget_record* record = gadget_record_of(gadget);
    if (!record || !record->data || record->kind != &browser_panel_kind) return {};
    return data_of(*record).failure;
}

}  // namespace ui
