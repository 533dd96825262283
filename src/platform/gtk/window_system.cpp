// Top-level windows over GtkWindow, the event queue their signals fill, and the wait for it.
#include <algorithm>
#include <cstdlib>
#include <deque>

#include "platform/gtk/backend.h"
#include "platform/gtk/toolkit.h"

namespace platform {
namespace {

std::vector<window*> windows;
std::deque<event> queue;

bool is_live(const window* target) {
    return target && std::find(windows.begin(), windows.end(), target) != windows.end();
}

// The client area: a GtkFixed that asks for exactly its client size, whatever the controls
// inside would like, so a window's inner size is what the program asked for.
struct LomtraClientArea {
    GtkFixed parent;
    int width;
    int height;
};
struct LomtraClientAreaClass {
    GtkFixedClass parent_class;
};
G_DEFINE_TYPE(LomtraClientArea, lomtra_client_area, GTK_TYPE_FIXED)

void preferred_width(GtkWidget* widget, gint* minimum, gint* natural) {
    *minimum = *natural = reinterpret_cast<LomtraClientArea*>(widget)->width;
}
void preferred_height(GtkWidget* widget, gint* minimum, gint* natural) {
    *minimum = *natural = reinterpret_cast<LomtraClientArea*>(widget)->height;
}
void lomtra_client_area_class_init(LomtraClientAreaClass* klass) {
    GTK_WIDGET_CLASS(klass)->get_preferred_width = preferred_width;
    GTK_WIDGET_CLASS(klass)->get_preferred_height = preferred_height;
}
void lomtra_client_area_init(LomtraClientArea* self) { self->width = self->height = 0; }

GtkWidget* new_client_area(int width, int height) {
    auto* area = static_cast<LomtraClientArea*>(g_object_new(lomtra_client_area_get_type(), nullptr));
    area->width = std::max(width, 0);
    area->height = std::max(height, 0);
    return GTK_WIDGET(area);
}

void post(window* source, event_kind kind, int type = 0) { post_event(event{kind, source, nullptr, type}); }

// True when the area being drawn lies inside one control: the control repaints itself (a
// blinking caret, a web page), which does not paint the window's background.
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

// The background, painted before the client area draws its controls.
gboolean on_client_draw(GtkWidget* client, cairo_t* cr, gpointer data) {
    auto* self = static_cast<window*>(data);
    const int colour = self->background == -1 ? 0x00C8D0D4 : self->background;  // button face
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0);
    cairo_paint(cr);
    if (only_a_control_is_drawn(client, cr)) return FALSE;
    ++self->paint_count;
    post(self, event_kind::background_painted);
    return FALSE;
}

gboolean on_delete(GtkWidget*, GdkEvent*, gpointer data) {
    post(static_cast<window*>(data), event_kind::close_requested);
    return TRUE;  // the program decides whether the window goes
}

gboolean on_configure(GtkWidget* widget, GdkEventConfigure* configure, gpointer data) {
    auto* self = static_cast<window*>(data);
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(widget), &x, &y);
    const bool moved = x != self->x || y != self->y;
    const bool sized = configure->width != self->width || configure->height != self->height;
    self->x = x;
    self->y = y;
    self->width = configure->width;
    self->height = configure->height;
    if (moved) post(self, event_kind::moved);
    if (sized && !self->minimised && !self->maximised) post(self, event_kind::resized);
    return FALSE;
}

gboolean on_window_state(GtkWidget*, GdkEventWindowState* state, gpointer data) {
    auto* self = static_cast<window*>(data);
    const bool minimised = state->new_window_state & GDK_WINDOW_STATE_ICONIFIED;
    const bool maximised = state->new_window_state & GDK_WINDOW_STATE_MAXIMIZED;
    if (minimised == self->minimised && maximised == self->maximised) return FALSE;
    const bool was_normal = !self->minimised && !self->maximised;
    self->minimised = minimised;
    self->maximised = maximised;
    if (minimised) post(self, event_kind::minimised);
    else if (maximised) post(self, event_kind::maximised);
    else post(self, was_normal ? event_kind::resized : event_kind::restored);
    return FALSE;
}

gboolean on_focus_in(GtkWidget*, GdkEvent*, gpointer data) {
    post(static_cast<window*>(data), event_kind::activated);
    return FALSE;
}

// Gives the focus to the next (or previous) control that is enabled, visible and has a tab
// stop, in creation order, wrapping round; the first (or last) when none has the focus.
void move_focus(window* self, bool forward) {
    std::vector<control*> stops;
    GList* children = gtk_container_get_children(GTK_CONTAINER(self->client));
    for (GList* item = children; item; item = item->next) {
        control* child = control_of(GTK_WIDGET(item->data));
        if (child && child->tab_stop && gtk_widget_is_sensitive(child->widget) && gtk_widget_get_visible(child->widget))
            stops.push_back(child);
    }
    g_list_free(children);
    if (stops.empty()) return;
    const auto current = std::find(stops.begin(), stops.end(), focused_control(self));
    std::size_t index = 0;
    if (current == stops.end()) index = forward ? 0 : stops.size() - 1;
    else if (forward) index = static_cast<std::size_t>(current - stops.begin() + 1) % stops.size();
    else index = static_cast<std::size_t>(current - stops.begin() + static_cast<long>(stops.size()) - 1) % stops.size();
    gtk_widget_grab_focus(stops[index]->widget);
}

gboolean on_key(GtkWidget*, GdkEventKey* key, gpointer data) {
    auto* self = static_cast<window*>(data);
    const bool press = key->type == GDK_KEY_PRESS;
    const bool tab = key->keyval == GDK_KEY_Tab || key->keyval == GDK_KEY_ISO_Left_Tab;
    if (press && tab && !(key->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) {
        move_focus(self, !(key->state & GDK_SHIFT_MASK));
        return TRUE;
    }
    post(self, press ? event_kind::key_pressed : event_kind::key_released);
    return FALSE;
}

gboolean on_button(GtkWidget*, GdkEventButton* button, gpointer data) {
    if ((button->type != GDK_BUTTON_PRESS && button->type != GDK_BUTTON_RELEASE) ||
        (button->button != 1 && button->button != 3))
        return FALSE;
    post(static_cast<window*>(data),
         button->type == GDK_BUTTON_PRESS ? event_kind::button_pressed : event_kind::button_released,
         static_cast<int>(button->button));
    return FALSE;
}

gboolean on_motion(GtkWidget*, GdkEventMotion*, gpointer data) {
    post(static_cast<window*>(data), event_kind::pointer_moved);
    return FALSE;
}

void on_destroy(GtkWidget*, gpointer data) {
    auto* self = static_cast<window*>(data);
    windows.erase(std::remove(windows.begin(), windows.end(), self), windows.end());
    forget_events_of(self);
}

// Lets GTK turn what the display has sent into signals (and so into events). Bounded, so that
// a widget that keeps itself busy cannot hold the caller here.
void run_waiting_toolkit_work() {
    for (int i = 0; i < 256 && g_main_context_pending(nullptr); ++i) g_main_context_iteration(nullptr, FALSE);
}

}  // namespace

bool open_display() {
    // GTK starts with one device pixel per client pixel, and the program's own look.
    static int state = 0;  // 0 not tried, 1 running, -1 no display
    if (state == 0) {
        // Client coordinates are device pixels: captures cut tiles at fixed pixel offsets.
        setenv("GDK_SCALE", "1", 1);
        setenv("GDK_DPI_SCALE", "1", 1);
        // An X server busy with other clients now and then fails a new connection that it
        // accepts a moment later: a display is given up for only after a few tries.
        state = -1;
        for (int attempt = 0; attempt < 4 && state < 0; ++attempt) {
            if (attempt > 0) g_usleep(50 * 1000);
            if (gtk_init_check(nullptr, nullptr)) state = 1;
        }
        if (state == 1) install_classic_look();
    }
    return state == 1;
}

frame_size window_frame(const window_style& style) {
    const int border = style.sizeable ? 4 : style.title_bar ? 3 : 0;
    frame_size frame{border, border, border, border};
    if (style.title_bar) frame.top += style.tool ? 15 : 19;
    return frame;
}

rect screen_rect() {
    if (!open_display()) return {};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return {};
    GdkRectangle geometry;
    gdk_monitor_get_geometry(monitor, &geometry);
    return rect{geometry.x, geometry.y, geometry.width, geometry.height};
}

window* create_window(const window_spec& spec) {
    if (!open_display()) return nullptr;
    auto* self = new window;
    self->widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* gtk_window = GTK_WINDOW(self->widget);
    gtk_window_set_title(gtk_window, spec.title.c_str());
    gtk_window_set_decorated(gtk_window, spec.style.title_bar);
    gtk_window_set_deletable(gtk_window, spec.style.close_box);
    gtk_window_set_resizable(gtk_window, spec.style.sizeable);
    if (spec.style.tool) {
        gtk_window_set_type_hint(gtk_window, GDK_WINDOW_TYPE_HINT_UTILITY);
        gtk_window_set_skip_taskbar_hint(gtk_window, TRUE);
    }
    gtk_window_set_gravity(gtk_window, GDK_GRAVITY_NORTH_WEST);
    if (!spec.system_places) gtk_window_move(gtk_window, spec.x, spec.y);
    // The record lives as long as the widget's memory, so late signals of dying controls can
    // still compare their window against the live ones.
    g_object_set_data_full(G_OBJECT(self->widget), "lomtra-window", self, [](gpointer p) { delete static_cast<window*>(p); });

    self->client = new_client_area(spec.client_width, spec.client_height);
    gtk_style_context_add_class(gtk_widget_get_style_context(self->client), "lomtra-client");
    gtk_container_add(GTK_CONTAINER(self->widget), self->client);
    gtk_widget_show(self->client);
    self->frame = window_frame(spec.style);
    windows.push_back(self);

    gtk_widget_add_events(self->widget, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                            GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_STRUCTURE_MASK |
                                            GDK_FOCUS_CHANGE_MASK);
    g_signal_connect(self->client, "draw", G_CALLBACK(on_client_draw), self);
    g_signal_connect(self->widget, "delete-event", G_CALLBACK(on_delete), self);
    g_signal_connect(self->widget, "configure-event", G_CALLBACK(on_configure), self);
    g_signal_connect(self->widget, "window-state-event", G_CALLBACK(on_window_state), self);
    g_signal_connect(self->widget, "focus-in-event", G_CALLBACK(on_focus_in), self);
    g_signal_connect(self->widget, "key-press-event", G_CALLBACK(on_key), self);
    g_signal_connect(self->widget, "key-release-event", G_CALLBACK(on_key), self);
    g_signal_connect(self->widget, "button-press-event", G_CALLBACK(on_button), self);
    g_signal_connect(self->widget, "button-release-event", G_CALLBACK(on_button), self);
    g_signal_connect(self->widget, "motion-notify-event", G_CALLBACK(on_motion), self);
    g_signal_connect(self->widget, "destroy", G_CALLBACK(on_destroy), self);

    // A new window has been placed and sized once; the display reports later changes only
    // (and a bare display without a window manager reports none at all).
    self->x = spec.x;
    self->y = spec.y;
    self->width = spec.client_width;
    self->height = spec.client_height;
    post(self, event_kind::moved);
    post(self, event_kind::resized);
    return self;
}

void show_window(window* target, show_mode mode) {
    if (!is_live(target)) return;
    if (mode == show_mode::maximised) gtk_window_maximize(GTK_WINDOW(target->widget));
    if (mode == show_mode::minimised) gtk_window_iconify(GTK_WINDOW(target->widget));
    gtk_widget_show(target->widget);
}

void destroy_window(window* target) {
    if (is_live(target)) gtk_widget_destroy(target->widget);
}

rect window_rect(const window* target) {
    if (!is_live(target)) return {};
    rect outer;
    gtk_window_get_position(GTK_WINDOW(target->widget), &outer.x, &outer.y);
    int width = 0, height = 0;
    gtk_widget_get_preferred_width(target->client, &width, nullptr);
    gtk_widget_get_preferred_height(target->client, &height, nullptr);
    outer.width = width + target->frame.left + target->frame.right;
    outer.height = height + target->frame.top + target->frame.bottom;
    return outer;
}

void set_window_background(window* target, int colour) {
    if (!is_live(target) || target->background == colour) return;
    target->background = colour;
    gtk_widget_queue_draw(target->client);
}

void enable_window(window* target, bool enabled) {
    if (!is_live(target)) return;
    target->enabled = enabled;
    gtk_widget_set_sensitive(target->widget, enabled);
}

bool is_window_enabled(const window* target) { return is_live(target) && target->enabled; }

bool is_window_visible(const window* target) { return is_live(target) && gtk_widget_get_visible(target->widget); }

std::vector<window*> top_level_windows() { return windows; }

window* foreground_window() {
    for (window* candidate : windows)
        if (gtk_window_is_active(GTK_WINDOW(candidate->widget))) return candidate;
    return nullptr;
}

void post_event(const event& happened) { queue.push_back(happened); }

void forget_events_of(const void* window_or_control) {
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [window_or_control](const event& e) {
                                   return e.source == window_or_control || e.from == window_or_control;
                               }),
                queue.end());
}

bool wait_event(event& out, int timeout_ms) {
    if (queue.empty()) run_waiting_toolkit_work();
    if (!iterate_until([] { return !queue.empty(); }, timeout_ms)) return false;
    out = queue.front();
    queue.pop_front();
    return true;
}

bool queue_control_event(control* from, int type) {
    if (!from || !is_live(from->parent)) return false;
    post_event(event{event_kind::control_event, from->parent, from, type});
    return true;
}

void run_toolkit_for(int ms) {
    if (ms <= 0) return;
    iterate_until([] { return false; }, ms);
}

}  // namespace platform
