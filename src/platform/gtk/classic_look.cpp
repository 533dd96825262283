#include "platform/gtk/backend.h"

#include <gtk/gtk.h>

namespace platform {
namespace {

// Raised frames are light at the top-left and dark at the bottom-right; sunken ones the reverse.
constexpr const char* CLASSIC_CSS = R"css(
.lomtra-client, .lomtra-client * {
  font-family: "DejaVu Sans", sans-serif;
  font-size: 8pt;
  color: #000000;
  text-shadow: none;
  -gtk-icon-shadow: none;
  outline-width: 1px;
  outline-offset: -4px;
  transition: none;  /* classic controls change state at once, without fading */
}
.lomtra-client button {
  min-height: 0; min-width: 0; padding: 0 4px;
  border-radius: 0; border-width: 1px; border-style: solid;
  border-color: #ffffff #404040 #404040 #ffffff;
  box-shadow: inset -1px -1px #808080;
  background-image: none; background-color: #d4d0c8;
}
.lomtra-client button:hover { background-color: #d4d0c8; }
.lomtra-client button:active, .lomtra-client button:checked {
  border-color: #404040 #ffffff #ffffff #404040;
  box-shadow: inset 1px 1px #808080;
}
.lomtra-client button:disabled { background-color: #d4d0c8; }
.lomtra-client button:disabled label { color: #808080; text-shadow: 1px 1px #ffffff; }
.lomtra-client entry {
  min-height: 0; min-width: 0; padding: 0 3px;
  border-radius: 0; border-width: 2px; border-style: solid;
  border-color: #808080 #ffffff #ffffff #808080;
  box-shadow: inset 1px 1px #404040;
  background-image: none; background-color: #ffffff;
}
.lomtra-client entry:focus { box-shadow: inset 1px 1px #404040; }
.lomtra-client entry:disabled { background-color: #d4d0c8; color: #808080; }
.lomtra-client entry selection { background-color: #0a246a; color: #ffffff; }
.lomtra-client label { background-image: none; }
.lomtra-client label.lomtra-sunken {
  border-width: 1px; border-style: solid; border-color: #808080 #ffffff #ffffff #808080;
}
.lomtra-client scale { min-height: 0; min-width: 0; padding: 0; margin: 0; }
.lomtra-client scale contents { margin: 0; }
.lomtra-client scale trough {
  min-height: 2px; min-width: 2px; margin: 0 5px;
  border-radius: 0; border-width: 1px; border-style: solid;
  border-color: #808080 #ffffff #ffffff #808080;
  background-image: none; background-color: #d4d0c8; box-shadow: none; outline-width: 0;
}
.lomtra-client scale.vertical trough { margin: 5px 0; }
.lomtra-client scale highlight { background-image: none; background-color: transparent; border-width: 0; min-height: 0; min-width: 0; }
.lomtra-client scale slider {
  min-width: 9px; min-height: 14px; margin: -7px -5px;
  border-radius: 0; border-width: 1px; border-style: solid;
  border-color: #ffffff #404040 #404040 #ffffff;
  box-shadow: inset -1px -1px #808080;
  background-image: none; background-color: #d4d0c8;
}
.lomtra-client scale.vertical slider { min-width: 14px; min-height: 9px; margin: -5px -7px; }
.lomtra-client scale marks { margin: 0; }
.lomtra-client scale marks mark indicator {
  min-height: 3px; min-width: 1px; background-color: #000000; color: #000000;
}
.lomtra-client scale marks.top mark, .lomtra-client scale marks.bottom mark { margin: 0; padding: 0; }
.lomtra-client progressbar { min-height: 0; min-width: 0; padding: 0; }
.lomtra-client progressbar trough {
  min-height: 18px; min-width: 0;
  border-radius: 0; border-width: 1px; border-style: solid;
  border-color: #808080 #ffffff #ffffff #808080;
  background-image: none; background-color: #d4d0c8; box-shadow: none;
}
.lomtra-client progressbar progress {
  min-height: 16px; min-width: 0; margin: 1px;
  border-radius: 0; border-width: 0;
  background-image: none; background-color: #0a246a; box-shadow: none;
}
)css";

}  // namespace

void install_classic_look() {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, CLASSIC_CSS, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

}  // namespace platform
