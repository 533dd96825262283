// Controls over GTK widgets: one maker per kind, the operations common to all, colours, and the
// painting of a control into pixels.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/gtk/backend.h"
#include "platform/gtk/toolkit.h"
#include "platform/gtk/web_view_state.h"

namespace platform {
namespace {

constexpr const char* control_key = "lomtra-control";
constexpr guint control_priority = GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 10;

void act(control* self, user_action action, int x = 0, int y = 0) {
    auto acted = self->callbacks.acted;  // a copy: the callback may end the control
    if (acted) acted(self, action, x, y);
}

void on_destroy(GtkWidget* widget, gpointer data) {
    auto* self = static_cast<control*>(data);
    // Whatever the widget still says while it goes (a web view stopping its load) finds no record.
    g_signal_handlers_disconnect_by_data(widget, self);
    g_object_set_data(G_OBJECT(widget), control_key, nullptr);
    auto destroyed = self->callbacks.destroyed;
    if (destroyed) destroyed(self);
    forget_events_of(self);
    delete self;
}

// ---- The kinds ----

GtkWidget* make_button(const control_spec& spec) {
    GtkWidget* button = gtk_button_new_with_label(spec.text.c_str());
    gtk_widget_set_focus_on_click(button, TRUE);
    return button;
}

GtkWidget* make_field(const control_spec& spec) {
    GtkWidget* field = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(field), spec.text.c_str());
    gtk_entry_set_width_chars(GTK_ENTRY(field), 1);
    gtk_entry_set_has_frame(GTK_ENTRY(field), spec.framed);
    return field;
}

GtkWidget* make_label(const control_spec& spec) {
    GtkWidget* label = gtk_label_new(spec.text.c_str());
    // Static text starts at the top of its box and wraps at word boundaries.
    const bool centre = spec.alignment == text_alignment::centre;
    const bool right = spec.alignment == text_alignment::right;
    gtk_label_set_xalign(GTK_LABEL(label), centre ? 0.5f : right ? 1.0f : 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_justify(GTK_LABEL(label), centre ? GTK_JUSTIFY_CENTER : right ? GTK_JUSTIFY_RIGHT : GTK_JUSTIFY_LEFT);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    if (spec.framed) gtk_style_context_add_class(gtk_widget_get_style_context(label), "lomtra-sunken");
    return label;
}

GtkWidget* make_slider(const control_spec& spec) {
    GtkAdjustment* range = gtk_adjustment_new(0, 0, 0, 1, 1, 0);  // set_slider_range gives the range
    GtkWidget* scale = gtk_scale_new(spec.vertical ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, range);
    gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
    gtk_scale_set_digits(GTK_SCALE(scale), 0);
    gtk_range_set_round_digits(GTK_RANGE(scale), 0);
    return scale;
}

GtkWidget* make_progress_bar(const control_spec&) { return gtk_progress_bar_new(); }

GtkWidget* make_picture(const control_spec&) {
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
    return area;
}

// Index: control_kind.
GtkWidget* (*const makers[])(const control_spec&) = {make_button, make_field,        make_label,
                                                     make_slider, make_progress_bar, make_picture};

void on_clicked(GtkButton*, gpointer data) { act(static_cast<control*>(data), user_action::click); }
void on_changed(GtkEditable*, gpointer data) { act(static_cast<control*>(data), user_action::text_change); }
gboolean on_focus_in(GtkWidget*, GdkEvent*, gpointer data) {
    act(static_cast<control*>(data), user_action::focus_gain);
    return FALSE;
}
gboolean on_focus_out(GtkWidget*, GdkEvent*, gpointer data) {
    act(static_cast<control*>(data), user_action::focus_loss);
    return FALSE;
}
void on_value_changed(GtkRange*, gpointer data) {
    auto* self = static_cast<control*>(data);
    if (!self->moved_by_program) act(self, user_action::value_change);
}

// The picture's pixels as a cairo surface: opaque for 24 bits, premultiplied alpha for 32.
surface_handle surface_of(const pixel_view& image) {
    const bool with_alpha = image.depth == 32;
    surface_handle surface(
        cairo_image_surface_create(with_alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, image.width, image.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return surface;
    cairo_surface_flush(surface.get());
    unsigned char* target = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const int bytes = image.bytes_per_pixel();
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* source = image.row_from_top(y);
        auto* out = reinterpret_cast<std::uint32_t*>(target + static_cast<std::ptrdiff_t>(y) * stride);
        if (!with_alpha) {
            // Opaque: no weighting by alpha. The preview is drawn again with every tile, so this
            // runs in each capture step.
            for (int x = 0; x < image.width; ++x, source += bytes)
                out[x] = 0xff000000u | (std::uint32_t{source[2]} << 16) | (std::uint32_t{source[1]} << 8) | source[0];
            continue;
        }
        for (int x = 0; x < image.width; ++x, source += bytes) {
            const std::uint32_t alpha = source[3];
            const std::uint32_t blue = source[0] * alpha / 255, green = source[1] * alpha / 255;
            const std::uint32_t red = source[2] * alpha / 255;
            out[x] = (alpha << 24) | (red << 16) | (green << 8) | blue;
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

gboolean on_draw_picture(GtkWidget*, cairo_t* cr, gpointer data) {
    auto* self = static_cast<control*>(data);
    const pixel_view* image = self->callbacks.picture ? self->callbacks.picture(self) : nullptr;
    if (!image || !image->bits) return FALSE;
    const surface_handle surface = surface_of(*image);
    cairo_set_source_surface(cr, surface.get(), 0, 0);
    cairo_paint(cr);
    return FALSE;
}

gboolean on_button_press(GtkWidget*, GdkEventButton* button, gpointer data) {
    auto* self = static_cast<control*>(data);
    const int x = static_cast<int>(button->x), y = static_cast<int>(button->y);
    if (button->button == 1 && button->type == GDK_BUTTON_PRESS) act(self, user_action::left_press, x, y);
    else if (button->button == 1 && button->type == GDK_2BUTTON_PRESS) act(self, user_action::left_double_press, x, y);
    else if (button->button == 3 && button->type == GDK_2BUTTON_PRESS) act(self, user_action::right_double_press, x, y);
    return TRUE;
}

gboolean on_button_release(GtkWidget*, GdkEventButton* button, gpointer data) {
    auto* self = static_cast<control*>(data);
    const int x = static_cast<int>(button->x), y = static_cast<int>(button->y);
    if (button->button == 1) act(self, user_action::left_release, x, y);
    else if (button->button == 3) act(self, user_action::right_release, x, y);
    return TRUE;
}

gboolean on_motion(GtkWidget*, GdkEventMotion* motion, gpointer data) {
    act(static_cast<control*>(data), user_action::pointer_move, static_cast<int>(motion->x), static_cast<int>(motion->y));
    return FALSE;
}

void connect_kind(control* self) {
    GtkWidget* widget = self->widget;
    switch (self->kind) {
        case control_kind::button: g_signal_connect(widget, "clicked", G_CALLBACK(on_clicked), self); break;
        case control_kind::field:
            g_signal_connect(widget, "changed", G_CALLBACK(on_changed), self);
            g_signal_connect(widget, "focus-in-event", G_CALLBACK(on_focus_in), self);
            g_signal_connect(widget, "focus-out-event", G_CALLBACK(on_focus_out), self);
            break;
        case control_kind::slider: g_signal_connect(widget, "value-changed", G_CALLBACK(on_value_changed), self); break;
        case control_kind::picture:
            g_signal_connect(widget, "draw", G_CALLBACK(on_draw_picture), self);
            g_signal_connect(widget, "button-press-event", G_CALLBACK(on_button_press), self);
            g_signal_connect(widget, "button-release-event", G_CALLBACK(on_button_release), self);
            g_signal_connect(widget, "motion-notify-event", G_CALLBACK(on_motion), self);
            break;
        default: break;
    }
}

// Replaces the style sheet a control keeps under a slot name (empty css removes it).
void set_control_css(control* self, const char* slot, const std::string& css) {
    GtkStyleContext* context = gtk_widget_get_style_context(self->widget);
    if (auto* old = static_cast<GtkStyleProvider*>(g_object_get_data(G_OBJECT(self->widget), slot)))
        gtk_style_context_remove_provider(context, old);
    g_object_set_data(G_OBJECT(self->widget), slot, nullptr);
    if (css.empty()) return;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), static_cast<gssize>(css.size()), nullptr);
    gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(provider), control_priority);
    g_object_set_data_full(G_OBJECT(self->widget), slot, provider, g_object_unref);
}

}  // namespace

struct shared_background {
    object_handle<GtkCssProvider> style;
};

std::string css_colour(int colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

control* adopt_widget(window* parent, GtkWidget* widget, const control_spec& spec, control_callbacks callbacks) {
    const std::vector<window*> live = top_level_windows();
    if (std::find(live.begin(), live.end(), parent) == live.end()) {
        g_object_ref_sink(widget);
        gtk_widget_destroy(widget);
        g_object_unref(widget);
        return nullptr;
    }
    auto* self = new control;
    self->widget = widget;
    self->parent = parent;
    self->kind = spec.kind;
    self->place = spec.place;
    self->tab_stop = spec.tab_stop;
    self->callbacks = std::move(callbacks);
    g_object_set_data(G_OBJECT(widget), control_key, self);
    g_signal_connect(widget, "destroy", G_CALLBACK(on_destroy), self);
    gtk_widget_set_size_request(widget, spec.place.width, spec.place.height);
    gtk_fixed_put(GTK_FIXED(parent->client), widget, spec.place.x, spec.place.y);
    gtk_widget_show_all(widget);
    return self;
}

control* control_of(GtkWidget* widget) {
    return widget ? static_cast<control*>(g_object_get_data(G_OBJECT(widget), control_key)) : nullptr;
}

control* create_control(window* parent, const control_spec& spec, control_callbacks callbacks) {
    if (!parent || spec.kind == control_kind::web_view) return nullptr;
    control* self = adopt_widget(parent, makers[static_cast<int>(spec.kind)](spec), spec, std::move(callbacks));
    if (self) connect_kind(self);
    return self;
}

void destroy_control(control* target) {
    if (target) gtk_widget_destroy(target->widget);
}

std::string control_text(const control* target) {
    const char* text = nullptr;
    if (target->kind == control_kind::button) text = gtk_button_get_label(GTK_BUTTON(target->widget));
    else if (target->kind == control_kind::field) text = gtk_entry_get_text(GTK_ENTRY(target->widget));
    else if (target->kind == control_kind::label) text = gtk_label_get_text(GTK_LABEL(target->widget));
    return text ? text : "";
}

void set_control_text(control* target, const std::string& text) {
    if (target->kind == control_kind::button) gtk_button_set_label(GTK_BUTTON(target->widget), text.c_str());
    else if (target->kind == control_kind::field) gtk_entry_set_text(GTK_ENTRY(target->widget), text.c_str());
    else if (target->kind == control_kind::label) {
        // The status line is set after every tile and mostly to what it already says: an
        // unchanged label is not measured and laid out again.
        GtkLabel* label = GTK_LABEL(target->widget);
        if (text != gtk_label_get_text(label)) gtk_label_set_text(label, text.c_str());
    }
}

void enable_control(control* target, bool enabled) { gtk_widget_set_sensitive(target->widget, enabled); }

bool is_control_enabled(const control* target) { return gtk_widget_is_sensitive(target->widget); }

rect control_rect(const control* target) { return target ? target->place : rect{}; }

void resize_control(control* target, int width, int height) {
    target->place.width = width;
    target->place.height = height;
    gtk_widget_set_size_request(target->widget, width, height);
}

void repaint_control(control* target, bool with_background) {
    if (with_background) gtk_widget_queue_draw(target->parent->client);
    gtk_widget_queue_draw(target->widget);
}

control* focused_control(const window* target) {
    if (!target) return nullptr;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(target->widget));
    for (GtkWidget* widget = focus; widget; widget = gtk_widget_get_parent(widget))
        if (control* found = control_of(widget)) return found;
    return nullptr;
}

int drag_distance() {
    gint threshold = 4;
    if (open_display()) g_object_get(gtk_settings_get_default(), "gtk-dnd-drag-threshold", &threshold, nullptr);
    return threshold;
}

void set_slider_range(control* slider, int minimum, int maximum, bool mark_every_value) {
    slider->moved_by_program = true;
    gtk_range_set_range(GTK_RANGE(slider->widget), minimum, maximum);
    slider->moved_by_program = false;
    GtkScale* scale = GTK_SCALE(slider->widget);
    gtk_scale_clear_marks(scale);
    // Without a mark at every value, the ends are still marked.
    for (int value = minimum; value <= maximum; value = mark_every_value || value == maximum ? value + 1 : maximum)
        gtk_scale_add_mark(scale, value, GTK_POS_BOTTOM, nullptr);
}

int slider_value(const control* slider) {
    return static_cast<int>(gtk_range_get_value(GTK_RANGE(slider->widget)) + 0.5);
}

void set_slider_value(control* slider, int value) {
    slider->moved_by_program = true;
    gtk_range_set_value(GTK_RANGE(slider->widget), value);  // clamps to the range
    slider->moved_by_program = false;
    gtk_widget_queue_draw(slider->widget);
}

void set_progress(control* bar, double fraction) {
    // A run sets its progress after every tile while the bar moves once in many: an unchanged
    // bar is left alone rather than laid out and drawn again.
    if (gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar->widget)) != fraction)
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar->widget), fraction);
}

void set_control_colours(control* target, int foreground, int background) {
    std::string css;
    if (target->kind == control_kind::progress_bar) {
        if (foreground != -1)
            css += "progressbar progress { background-image: none; background-color: " + css_colour(foreground) + "; }";
        if (background != -1)
            css += "progressbar trough { background-image: none; background-color: " + css_colour(background) + "; }";
    } else {
        // A disabled control keeps the system's colours.
        if (foreground != -1)
            css += "entry:not(:disabled), label:not(:disabled) { color: " + css_colour(foreground) + "; }";
        if (background != -1)
            css += "entry, label { background-image: none; background-color: " + css_colour(background) + "; }";
    }
    set_control_css(target, "lomtra-colours", css);
    gtk_widget_queue_draw(target->widget);
}

shared_background* create_shared_background(int colour) {
    if (!open_display()) return nullptr;
    auto* background = new shared_background{object_handle<GtkCssProvider>(gtk_css_provider_new())};
    const std::string css = "entry, label { background-image: none; background-color: " + css_colour(colour) + "; }";
    gtk_css_provider_load_from_data(background->style.get(), css.c_str(), -1, nullptr);
    return background;
}

void delete_shared_background(shared_background* background) { delete background; }

void use_shared_background(control* target, shared_background* background, bool on) {
    if (!background) return;
    GtkStyleContext* context = gtk_widget_get_style_context(target->widget);
    if (on) gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(background->style.get()), control_priority);
    else gtk_style_context_remove_provider(context, GTK_STYLE_PROVIDER(background->style.get()));
}

void control_size(const control* target, int& width, int& height) {
    width = height = 0;
    if (!target) return;
    if (gtk_widget_get_realized(target->widget)) {
        width = gtk_widget_get_allocated_width(target->widget);
        height = gtk_widget_get_allocated_height(target->widget);
    } else {
        width = target->place.width;
        height = target->place.height;
    }
}

namespace {

bool draw_widget(control& target, const pixel_view& into) {
    int width = 0, height = 0;
    control_size(&target, width, height);
    if (width <= 0 || height <= 0 || !gtk_widget_get_realized(target.widget)) return false;
    const surface_handle surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    context_handle cr(cairo_create(surface.get()));
    gtk_widget_draw(target.widget, cr.get());
    cr.reset();
    return paint_surface(surface.get(), into);
}

}  // namespace

bool render_control(control* target, const pixel_view& into, const std::function<void()>& meanwhile,
                    const std::function<void()>& once_taken) {
    // Visible means shown, as opposed to hidden: a minimised window is visible though off the
    // screen, and a run left to work while it is minimised must keep capturing.
    const bool shown = target && into.bits && gtk_widget_is_visible(target->widget);
    // The page of a web view is drawn by the engine in another process: only its snapshot
    // shows the page that has just finished loading.
    if (shown && target->web) return render_web_view(*target, into, meanwhile, once_taken);
    if (meanwhile) meanwhile();  // nothing to overlap it with: the caller's work comes first
    const bool painted = shown && draw_widget(*target, into);
    if (once_taken) once_taken();  // a widget is drawn here and now: what it shows next is not
    return painted;
}

}  // namespace platform
