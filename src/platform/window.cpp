#include "platform/window.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "platform/client_area.h"
#include "platform/gtk_session.h"
#include "platform/message_pump.h"
#include "platform/messages.h"

namespace platform {
namespace {

constexpr const char* WINDOW_DATA = "lomtra-window";

// What the window layer keeps with each of its windows.
struct window_data {
    window_procedure procedure = nullptr;
    GtkWidget* client = nullptr;
    frame_size frame;
    int background = -1;
    int paint_count = 0;
    bool enabled = true;
    bool minimised = false;
    bool maximised = false;
    bool placed = false;  // a first configure has been seen
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<accelerator> accelerators;
};

thread_local std::vector<GtkWidget*> windows;

window_data* data_of(GtkWidget* window) {
    if (!window || std::find(windows.begin(), windows.end(), window) == windows.end()) return nullptr;
    return static_cast<window_data*>(g_object_get_data(G_OBJECT(window), WINDOW_DATA));
}

void set_cairo_colour(cairo_t* cr, int colour) {
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0);
}

// True when the area being drawn lies inside one control: the control repaints itself (a
// blinking caret, a web page), which does not erase the window's background.
bool only_a_control_is_drawn(GtkWidget* client, cairo_t* cr) {
    double left = 0, top = 0, right = 0, bottom = 0;
    cairo_clip_extents(cr, &left, &top, &right, &bottom);
    GList* children = gtk_container_get_children(GTK_CONTAINER(client));
    bool inside = false;
    for (GList* item = children; item && !inside; item = item->next) {
        GtkAllocation area;
        gtk_widget_get_allocation(GTK_WIDGET(item->data), &area);
        inside = gtk_widget_get_visible(GTK_WIDGET(item->data)) && left >= area.x && top >= area.y &&
                 right <= area.x + area.width && bottom <= area.y + area.height;
    }
    g_list_free(children);
    return inside;
}

// Background erase: runs before the client area draws its controls.
gboolean on_client_draw(GtkWidget* client, cairo_t* cr, gpointer window) {
    window_data* data = data_of(GTK_WIDGET(window));
    if (!data) return FALSE;
    set_cairo_colour(cr, data->background == -1 ? BUTTON_FACE_COLOUR : data->background);
    cairo_paint(cr);
    if (only_a_control_is_drawn(client, cr)) return FALSE;
    ++data->paint_count;
    post_message(GTK_WIDGET(window), WM_ERASEBKGND, 0, 0);
    return FALSE;
}

gboolean on_delete(GtkWidget* window, GdkEvent*, gpointer) {
    post_message(window, WM_CLOSE, 0, 0);
    return TRUE;  // the program decides whether the window goes
}

gboolean on_configure(GtkWidget* window, GdkEventConfigure* event, gpointer) {
    window_data* data = data_of(window);
    if (!data) return FALSE;
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    const bool moved = !data->placed || x != data->x || y != data->y;
    const bool sized = !data->placed || event->width != data->width || event->height != data->height;
    data->placed = true;
    data->x = x;
    data->y = y;
    data->width = event->width;
    data->height = event->height;
    if (moved) post_message(window, WM_MOVE, 0, make_wparam(x, y));
    if (sized && !data->minimised && !data->maximised)
        post_message(window, WM_SIZE, SIZE_RESTORED, make_wparam(event->width, event->height));
    return FALSE;
}

gboolean on_window_state(GtkWidget* window, GdkEventWindowState* event, gpointer) {
    window_data* data = data_of(window);
    if (!data) return FALSE;
    const bool minimised = event->new_window_state & GDK_WINDOW_STATE_ICONIFIED;
    const bool maximised = event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED;
    if (minimised == data->minimised && maximised == data->maximised) return FALSE;
    data->minimised = minimised;
    data->maximised = maximised;
    const intptr_t kind = minimised ? SIZE_MINIMIZED : maximised ? SIZE_MAXIMIZED : SIZE_RESTORED;
    post_message(window, WM_SIZE, kind, make_wparam(data->width, data->height));
    return FALSE;
}

gboolean on_focus_in(GtkWidget* window, GdkEvent*, gpointer) {
    post_message(window, WM_ACTIVATE, WA_ACTIVE, 0);
    return FALSE;
}

gboolean on_focus_out(GtkWidget* window, GdkEvent*, gpointer) {
    post_message(window, WM_ACTIVATE, WA_INACTIVE, 0);
    return FALSE;
}

gboolean on_key(GtkWidget* window, GdkEventKey* event, gpointer) {
    window_data* data = data_of(window);
    if (!data) return FALSE;
    if (event->type == GDK_KEY_PRESS) {
        const bool shift = event->state & GDK_SHIFT_MASK;
        const bool other_modifiers = event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK);
        const unsigned keyval = event->keyval == GDK_KEY_ISO_Left_Tab ? GDK_KEY_Tab : event->keyval;
        for (const accelerator& entry : data->accelerators) {
            if (entry.keyval == keyval && entry.shift == shift && !other_modifiers) {
                post_message(window, WM_COMMAND, make_wparam(entry.command, 1), 0);
                return TRUE;
            }
        }
    }
    post_message(window, event->type == GDK_KEY_PRESS ? WM_KEYDOWN : WM_KEYUP, event->keyval, 0);
    return FALSE;
}

gboolean on_button(GtkWidget* window, GdkEventButton* event, gpointer) {
    if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return FALSE;
    if (event->button != 1 && event->button != 3) return FALSE;
    const bool press = event->type == GDK_BUTTON_PRESS;
    const unsigned code = event->button == 1 ? (press ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                                             : (press ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    post_message(window, code, 0, make_wparam(static_cast<int>(event->x), static_cast<int>(event->y)));
    return FALSE;
}

gboolean on_motion(GtkWidget* window, GdkEventMotion* event, gpointer) {
    post_message(window, WM_MOUSEMOVE, 0, make_wparam(static_cast<int>(event->x), static_cast<int>(event->y)));
    return FALSE;
}

void on_destroy(GtkWidget* window, gpointer) {
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
    forget_messages_of(window);
}

}  // namespace

frame_size frame_for_style(uint32_t style, bool tool_window) {
    frame_size frame;
    int border = 0;
    if (style & WS_THICKFRAME) border = 4;
    else if ((style & WS_CAPTION) != 0) border = 3;
    frame.left = frame.right = frame.bottom = frame.top = border;
    if ((style & WS_CAPTION) == WS_CAPTION) frame.top += tool_window ? 15 : 19;
    return frame;
}

rect screen_rect() {
    if (!ensure_gtk()) return {};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return {};
    GdkRectangle geometry;
    gdk_monitor_get_geometry(monitor, &geometry);
    return rect{geometry.x, geometry.y, geometry.width, geometry.height};
}

GtkWidget* create_window(const window_spec& spec) {
    if (!ensure_gtk()) return nullptr;
    const bool tool = spec.tool_window;
    const frame_size frame = frame_for_style(spec.style, tool);
    const int client_width = std::max(spec.outer.width - frame.left - frame.right, 0);
    const int client_height = std::max(spec.outer.height - frame.top - frame.bottom, 0);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), spec.title.c_str());
    gtk_window_set_decorated(GTK_WINDOW(window), (spec.style & WS_CAPTION) != 0);
    gtk_window_set_deletable(GTK_WINDOW(window), (spec.style & WS_SYSMENU) != 0);
    gtk_window_set_resizable(GTK_WINDOW(window), (spec.style & WS_THICKFRAME) != 0);
    if (tool) {
        gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_UTILITY);
        gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window), TRUE);
    }
    gtk_window_set_gravity(GTK_WINDOW(window), GDK_GRAVITY_NORTH_WEST);
    if (!spec.system_places) gtk_window_move(GTK_WINDOW(window), spec.outer.x, spec.outer.y);

    GtkWidget* client = client_area_new(client_width, client_height);
    gtk_style_context_add_class(gtk_widget_get_style_context(client), "lomtra-client");
    gtk_container_add(GTK_CONTAINER(window), client);
    gtk_widget_show(client);

    auto* data = new window_data;
    data->procedure = spec.procedure;
    data->client = client;
    data->frame = frame;
    g_object_set_data_full(G_OBJECT(window), WINDOW_DATA, data,
                           [](gpointer p) { delete static_cast<window_data*>(p); });
    windows.push_back(window);

    gtk_widget_add_events(window, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                      GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_STRUCTURE_MASK |
                                      GDK_FOCUS_CHANGE_MASK);
    g_signal_connect(client, "draw", G_CALLBACK(on_client_draw), window);
    g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), nullptr);
    g_signal_connect(window, "configure-event", G_CALLBACK(on_configure), nullptr);
    g_signal_connect(window, "window-state-event", G_CALLBACK(on_window_state), nullptr);
    g_signal_connect(window, "focus-in-event", G_CALLBACK(on_focus_in), nullptr);
    g_signal_connect(window, "focus-out-event", G_CALLBACK(on_focus_out), nullptr);
    g_signal_connect(window, "key-press-event", G_CALLBACK(on_key), nullptr);
    g_signal_connect(window, "key-release-event", G_CALLBACK(on_key), nullptr);
    g_signal_connect(window, "button-press-event", G_CALLBACK(on_button), nullptr);
    g_signal_connect(window, "button-release-event", G_CALLBACK(on_button), nullptr);
    g_signal_connect(window, "motion-notify-event", G_CALLBACK(on_motion), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(on_destroy), nullptr);

    // A new window has been placed and sized once; the display reports later changes only
    // (and a bare display without a window manager reports none at all).
    data->placed = true;
    data->x = spec.outer.x;
    data->y = spec.outer.y;
    data->width = client_width;
    data->height = client_height;
    post_message(window, WM_MOVE, 0, make_wparam(data->x, data->y));
    post_message(window, WM_SIZE, SIZE_RESTORED, make_wparam(client_width, client_height));
    return window;
}

void show_window(GtkWidget* window, show_mode mode) {
    if (!data_of(window)) return;
    if (mode == show_mode::maximised) gtk_window_maximize(GTK_WINDOW(window));
    if (mode == show_mode::minimised) gtk_window_iconify(GTK_WINDOW(window));
    gtk_widget_show(window);
}

void hide_window(GtkWidget* window) {
    if (data_of(window)) gtk_widget_hide(window);
}

void destroy_window(GtkWidget* window) {
    if (data_of(window)) gtk_widget_destroy(window);
}

bool is_window(GtkWidget* window) { return data_of(window) != nullptr; }

window_procedure procedure_of(GtkWidget* window) {
    window_data* data = data_of(window);
    return data ? data->procedure : nullptr;
}

GtkWidget* client_area(GtkWidget* window) {
    window_data* data = data_of(window);
    return data ? data->client : nullptr;
}

rect window_rect(GtkWidget* window) {
    window_data* data = data_of(window);
    if (!data) return {};
    const rect client = client_rect(window);
    rect outer;
    gtk_window_get_position(GTK_WINDOW(window), &outer.x, &outer.y);
    outer.width = client.width + data->frame.left + data->frame.right;
    outer.height = client.height + data->frame.top + data->frame.bottom;
    return outer;
}

rect client_rect(GtkWidget* window) {
    window_data* data = data_of(window);
    if (!data) return {};
    int width = 0, height = 0;
    gtk_widget_get_preferred_width(data->client, &width, nullptr);
    gtk_widget_get_preferred_height(data->client, &height, nullptr);
    return rect{0, 0, width, height};
}

void set_background(GtkWidget* window, int colour) {
    window_data* data = data_of(window);
    if (!data || data->background == colour) return;
    data->background = colour;
    invalidate(window);
}

void invalidate(GtkWidget* window) {
    if (window_data* data = data_of(window)) gtk_widget_queue_draw(data->client);
}

int background_paint_count(GtkWidget* window) {
    window_data* data = data_of(window);
    return data ? data->paint_count : 0;
}

void enable_window(GtkWidget* window, bool enabled) {
    window_data* data = data_of(window);
    if (!data) return;
    data->enabled = enabled;
    gtk_widget_set_sensitive(window, enabled);
}

bool is_window_enabled(GtkWidget* window) {
    window_data* data = data_of(window);
    return data && data->enabled;
}

bool is_window_visible(GtkWidget* window) { return data_of(window) && gtk_widget_get_visible(window); }

std::vector<GtkWidget*> top_level_windows() { return windows; }

GtkWidget* foreground_window() {
    for (GtkWidget* window : windows)
        if (gtk_window_is_active(GTK_WINDOW(window))) return window;
    return nullptr;
}

void activate_window(GtkWidget* window) {
    if (data_of(window)) gtk_window_present(GTK_WINDOW(window));
}

void set_accelerators(GtkWidget* window, std::vector<accelerator> table) {
    if (window_data* data = data_of(window)) data->accelerators = std::move(table);
}

void set_property(GtkWidget* widget, const char* name, intptr_t value) {
    if (widget) g_object_set_data(G_OBJECT(widget), name, reinterpret_cast<gpointer>(value));
}

intptr_t get_property(GtkWidget* widget, const char* name) {
    return widget ? reinterpret_cast<intptr_t>(g_object_get_data(G_OBJECT(widget), name)) : 0;
}

void remove_property(GtkWidget* widget, const char* name) {
    if (widget) g_object_set_data(G_OBJECT(widget), name, nullptr);
}

GtkWidget* top_level_of(GtkWidget* widget) {
    if (!widget) return nullptr;
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    return gtk_widget_is_toplevel(top) ? top : nullptr;
}

}  // namespace platform
