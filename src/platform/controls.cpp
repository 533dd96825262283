#include "platform/controls.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <vector>

namespace platform {
namespace {

constexpr const char* CHILD_RECT = "lomtra-child-rect";
constexpr const char* TAB_STOP = "lomtra-tab-stop";
constexpr guint CONTROL_PRIORITY = GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 10;

std::vector<GtkWidget*> children_of(GtkWidget* window) {
    std::vector<GtkWidget*> result;
    GtkWidget* client = client_area(window);
    if (!client) return result;
    GList* list = gtk_container_get_children(GTK_CONTAINER(client));
    for (GList* item = list; item; item = item->next) result.push_back(GTK_WIDGET(item->data));
    g_list_free(list);
    return result;
}

}  // namespace

bool add_child(GtkWidget* window, GtkWidget* child, rect where) {
    GtkWidget* client = client_area(window);
    if (!client || !child) return false;
    auto* stored = new rect(where);
    g_object_set_data_full(G_OBJECT(child), CHILD_RECT, stored, [](gpointer p) { delete static_cast<rect*>(p); });
    gtk_widget_set_size_request(child, where.width, where.height);
    gtk_fixed_put(GTK_FIXED(client), child, where.x, where.y);
    gtk_widget_show_all(child);
    return true;
}

void resize_child(GtkWidget* child, int width, int height) {
    auto* stored = static_cast<rect*>(g_object_get_data(G_OBJECT(child), CHILD_RECT));
    if (!stored) return;
    stored->width = width;
    stored->height = height;
    gtk_widget_set_size_request(child, width, height);
}

rect child_rect(GtkWidget* child) {
    auto* stored = child ? static_cast<rect*>(g_object_get_data(G_OBJECT(child), CHILD_RECT)) : nullptr;
    return stored ? *stored : rect{};
}

void set_tab_stop(GtkWidget* child, bool tab_stop) {
    g_object_set_data(G_OBJECT(child), TAB_STOP, GINT_TO_POINTER(tab_stop ? 1 : 0));
}

bool has_tab_stop(GtkWidget* child) { return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(child), TAB_STOP)) != 0; }

GtkWidget* focused_child(GtkWidget* window) {
    if (!is_window(window)) return nullptr;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    if (!focus) return nullptr;
    for (GtkWidget* child : children_of(window))
        if (child == focus || gtk_widget_is_ancestor(focus, child)) return child;
    return nullptr;
}

void move_focus(GtkWidget* window, bool forward) {
    std::vector<GtkWidget*> stops;
    for (GtkWidget* child : children_of(window))
        if (has_tab_stop(child) && gtk_widget_is_sensitive(child) && gtk_widget_get_visible(child))
            stops.push_back(child);
    if (stops.empty()) return;
    GtkWidget* current = focused_child(window);
    size_t index = 0;
    size_t position = stops.size();
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == current) position = i;
    if (position == stops.size()) index = forward ? 0 : stops.size() - 1;
    else if (forward) index = (position + 1) % stops.size();
    else index = (position + stops.size() - 1) % stops.size();
    gtk_widget_grab_focus(stops[index]);
}

std::string css_colour(int colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

void set_control_css(GtkWidget* control, const char* slot, const std::string& css) {
    GtkStyleContext* context = gtk_widget_get_style_context(control);
    if (auto* old = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(control), slot))) {
        gtk_style_context_remove_provider(context, GTK_STYLE_PROVIDER(old));
        g_object_set_data(G_OBJECT(control), slot, nullptr);
    }
    if (css.empty()) return;
    GtkCssProvider* provider = shared_css_new(css);
    gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(provider), CONTROL_PRIORITY);
    g_object_set_data_full(G_OBJECT(control), slot, provider, g_object_unref);
}

GtkCssProvider* shared_css_new(const std::string& css) {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), static_cast<gssize>(css.size()), nullptr);
    return provider;
}

void add_shared_css(GtkWidget* control, GtkCssProvider* provider) {
    gtk_style_context_add_provider(gtk_widget_get_style_context(control), GTK_STYLE_PROVIDER(provider),
                                   CONTROL_PRIORITY);
}

void remove_shared_css(GtkWidget* control, GtkCssProvider* provider) {
    gtk_style_context_remove_provider(gtk_widget_get_style_context(control), GTK_STYLE_PROVIDER(provider));
}

}  // namespace platform
