#include "platform/gtk/web_view_state.h"

namespace platform {

void add_tile_page_style(WebKitUserContentManager* content) {
    // User level with !important beats the engine's own image-document style, which centres
    // the image and shrinks it to fit. Every rule asks for a document that is one image and
    // nothing else, so pages keep their own layout whatever their address, and a tile is
    // placed whatever address form its server uses.
    static const char* const source =
        "html:has(> body > img:only-child), html:has(> body > img:only-child) > body {"
        "  margin: 0 !important; padding: 0 !important; overflow: hidden !important; }"
        "body > img:only-child {"
        "  position: absolute !important; left: 10px !important; top: 15px !important;"
        "  right: auto !important; bottom: auto !important;"
        "  margin: 0 !important; padding: 0 !important; border: 0 !important;"
        "  width: auto !important; height: auto !important;"
        "  max-width: none !important; max-height: none !important;"
        "  transform: none !important; }";
    WebKitUserStyleSheet* sheet = webkit_user_style_sheet_new(
        source, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME, WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
    webkit_user_content_manager_add_style_sheet(content, sheet);
    webkit_user_style_sheet_unref(sheet);
}

}  // namespace platform
