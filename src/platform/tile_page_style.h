#pragma once
// The style that makes a tile page (the server's answer for a tile address: an image document
// holding the tile alone) show the tile unscaled with its top-left pixel at x = 10, y = 15 of
// the view and no scrollbar over it, which is the fixed place the capture cuts the tile from.
#include <webkit2/webkit2.h>

namespace platform {

constexpr int tile_page_left = 10;
constexpr int tile_page_top = 15;

// Adds the style to a view's user content. It applies to the top frame when the page is an
// image alone, whatever its address, so the information pages keep their own layout.
void add_tile_page_style(WebKitUserContentManager* content);

}  // namespace platform
