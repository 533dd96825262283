#pragma once
// What a web view control keeps beside its widget, shared by the GTK web view files.
#include <webkit2/webkit2.h>

#include <functional>
#include <string>

#include "platform/gtk/backend.h"
#include "platform/web_view.h"

namespace platform {

struct web_view_state {
    WebKitWebView* engine = nullptr;  // the control's widget
    web_view_callbacks callbacks;
    bool block_popups = false;
    bool block_context_menu = false;
    bool waiting = false;        // waiting for the engine (a snapshot or a script's answer)
    bool load_pending = false;   // navigate() asked for a page whose load has not finished
    std::string status_text;
};

// The one engine context every web view of the process shares. Its session keeps pages and
// tiles in the process's own folder (web_data_folder), which goes when the process ends: the
// program keeps nothing from one start to the next.
WebKitWebContext* shared_web_context();

// Paints the page the view shows into the pixels (see render_control).
bool render_web_view(control& view, const pixel_view& into, const std::function<void()>& meanwhile,
                     const std::function<void()>& once_taken);

// Adds the style that shows a tile page's image unscaled at (tile_page_left, tile_page_top)
// with no scrollbar, to a view's user content. It applies to the top frame when the page is an
// image alone, whatever its address, so the information pages keep their own layout.
void add_tile_page_style(WebKitUserContentManager* content);

}  // namespace platform
