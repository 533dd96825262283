// Browser panel: the web view as a gadget, what its engine does turned into gadget events.
#include "ui/browser_panel.h"

#include <chrono>
#include <cmath>
#include <string>

#include "platform/web_view.h"
#include "ui/browser_progress.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/windows.h"

namespace ui {
namespace {

constexpr int first_page_timeout_ms = 10000;
constexpr int progress_scale = 100;  // the engine's fraction 0..1 as progress 0..100

struct browser_panel_data : gadget_data {
    browser_progress progress;
    bool events_enabled = false;
    bool block_popups = false;
    bool block_context_menu = false;
    browser_navigation_callback navigation = nullptr;
    std::string failure;  // why the last load did not bring its page
};

browser_panel_data& data_of(gadget_record& record) { return static_cast<browser_panel_data&>(*record.data); }

// Looks the panel up again for every notification: the gadget may have been replaced meanwhile.
browser_panel_data* live_panel(platform::control* view) {
    gadget_record* record = gadget_record_of(gadget_number_of(view));
    return record ? &data_of(*record) : nullptr;
}

// Posts an event of the panel once its first page has opened it for events.
void report(platform::control* view, int type) {
    browser_panel_data* panel = live_panel(view);
    if (panel && panel->events_enabled) post_control_event(view, type);
}

platform::web_view_callbacks callbacks_for(platform::control* view) {
    platform::web_view_callbacks on;
    on.load_started = [view] {
        browser_panel_data* panel = live_panel(view);
        if (!panel) return;
        panel->failure.clear();
        if (!panel->events_enabled) return;
        progress_download_begin(panel->progress);
        post_control_event(view, BROWSER_EVENT_DOWNLOAD_BEGIN);
    };
    on.progress = [view](double fraction) {
        browser_panel_data* panel = live_panel(view);
        if (!panel || !panel->events_enabled) return;
        if (progress_change(panel->progress, static_cast<int>(std::lround(fraction * progress_scale)), progress_scale))
            post_control_event(view, BROWSER_EVENT_PROGRESS);
    };
    on.load_finished = [view] {
        browser_panel_data* panel = live_panel(view);
        if (!panel) return;
        // The first completed page is the creation's "about:blank": it only opens the panel
        // for events.
        if (!panel->events_enabled) {
            panel->events_enabled = true;
            return;
        }
        progress_download_complete(panel->progress);
        post_control_event(view, BROWSER_EVENT_DOWNLOAD_END);
    };
    on.load_failed = [view](const std::string& reason) {
        browser_panel_data* panel = live_panel(view);
        if (!panel) return;
        panel->failure = reason.empty() ? "the page could not be loaded" : reason;
        report(view, BROWSER_EVENT_LOAD_FAILED);
    };
    on.status_text = [view](const std::string&) { report(view, BROWSER_EVENT_STATUS); };
    on.title = [view](const std::string&) { report(view, BROWSER_EVENT_TITLE); };
    on.popup_blocked = [view] { report(view, BROWSER_EVENT_POPUP_BLOCKED); };
    on.context_menu_blocked = [view] { report(view, BROWSER_EVENT_CONTEXT_MENU_BLOCKED); };
    on.navigation = [view](const std::string& address) {
        browser_panel_data* panel = live_panel(view);
        if (!panel || !panel->events_enabled || !panel->navigation) return true;
        return panel->navigation(gadget_number_of(view), address.c_str()) != 0;
    };
    return on;
}

void set_state(gadget_record& record, intptr_t value) {
    switch (value) {
        case BROWSER_BACK: platform::run_web_command(record.handle, platform::web_command::back); break;
        case BROWSER_FORWARD: platform::run_web_command(record.handle, platform::web_command::forward); break;
        case BROWSER_STOP: platform::run_web_command(record.handle, platform::web_command::stop); break;
        case BROWSER_RELOAD: platform::run_web_command(record.handle, platform::web_command::reload); break;
        default: break;
    }
}

intptr_t get_attribute(gadget_record& record, int attribute) {
    browser_panel_data& panel = data_of(record);
    int x = 0, y = 0;
    switch (attribute) {
        case BROWSER_POPUP_BLOCKING: return panel.block_popups ? 1 : 0;
        case BROWSER_CONTEXT_MENU_BLOCKING: return panel.block_context_menu ? 1 : 0;
        case BROWSER_NAVIGATION_CALLBACK: return reinterpret_cast<intptr_t>(panel.navigation);
        case BROWSER_PROGRESS: return panel.progress.progress;
        case BROWSER_PROGRESS_MAXIMUM: return panel.progress.maximum;
        case BROWSER_BUSY: return platform::is_loading(record.handle) ? 1 : 0;
        case BROWSER_SCROLL_X: return platform::scroll_offset(record.handle, x, y) ? x : 0;
        case BROWSER_SCROLL_Y: return platform::scroll_offset(record.handle, x, y) ? y : 0;
        default: return 0;
    }
}

void set_attribute(gadget_record& record, int attribute, intptr_t value) {
    browser_panel_data& panel = data_of(record);
    int x = 0, y = 0;
    switch (attribute) {
        case BROWSER_POPUP_BLOCKING:
            panel.block_popups = value != 0;
            platform::block_popups(record.handle, panel.block_popups);
            break;
        case BROWSER_CONTEXT_MENU_BLOCKING:
            panel.block_context_menu = value != 0;
            platform::block_context_menu(record.handle, panel.block_context_menu);
            break;
        case BROWSER_NAVIGATION_CALLBACK: panel.navigation = reinterpret_cast<browser_navigation_callback>(value); break;
        case BROWSER_SCROLL_X:
            platform::scroll_offset(record.handle, x, y);
            platform::scroll_to(record.handle, static_cast<int>(value), y);
            break;
        case BROWSER_SCROLL_Y:
            platform::scroll_offset(record.handle, x, y);
            platform::scroll_to(record.handle, x, static_cast<int>(value));
            break;
        default: break;
    }
}

gadget_kind make_kind() {
    gadget_kind kind;
    kind.get_text = [](gadget_record& record) { return platform::page_address(record.handle); };
    kind.set_text = [](gadget_record& record, const std::string& text) {
        if (platform::navigate(record.handle, text)) data_of(record).failure.clear();
    };
    kind.set_state = set_state;
    kind.get_attribute = get_attribute;
    kind.set_attribute = set_attribute;
    return kind;
}

const gadget_kind browser_panel_kind = make_kind();

}  // namespace

platform::control* browser_panel_create(int gadget, int x, int y, int width, int height, std::string_view address,
                                        int /*flags*/) {
    if (!can_create_gadget(gadget)) return nullptr;
    platform::control* view =
        // No tab stop: Tab goes from field to field and to the buttons, never into a web page.
        platform::create_web_view(current_parent_window(), {x, y, width, height}, false, gadget_callbacks());
    if (!view) return nullptr;
    platform::set_web_view_callbacks(view, callbacks_for(view));
    if (!register_gadget(gadget, view, browser_panel_kind, std::make_unique<browser_panel_data>())) return nullptr;

    // Events stay off until "about:blank" has completed. Meanwhile what happens to the windows
    // is handled as usual, so events other gadgets raise meanwhile are kept for the program.
    platform::navigate(view, "about:blank");
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(first_page_timeout_ms);
    for (;;) {
        handle_waiting_events();
        browser_panel_data* panel = live_panel(view);
        if (!panel) return nullptr;  // replaced or destroyed while we waited
        if (panel->events_enabled || std::chrono::steady_clock::now() > end) break;
        pause(1);
    }
    if (!address.empty()) platform::navigate(view, std::string(address));
    return view;
}

std::string browser_panel_failure(int gadget) {
    gadget_record* record = gadget_record_of(gadget);
    if (!record || !record->data || record->kind != &browser_panel_kind) return {};
    return data_of(*record).failure;
}

}  // namespace ui
