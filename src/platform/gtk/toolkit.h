#pragma once
// What the platform's GTK code shares: handles for the toolkit's objects, the one way to let
// GLib work until something has happened, and the hand-over of a cairo picture into pixels.
// Only code under src/platform/ includes this header.
#include <cairo.h>
#include <glib-object.h>

#include <functional>

#include "platform/bitmap.h"
#include "platform/handles.h"

namespace platform {

using surface_handle = owned<cairo_surface_t, cairo_surface_destroy>;
using context_handle = owned<cairo_t, cairo_destroy>;
using glib_text = owned<char, g_free>;
template <class T>
using object_handle = owned<T, g_object_unref>;

// Iterates GLib's main loop until done() holds or timeout_ms have passed (-1: no limit); true
// when done() held. done() is asked before every iteration, so a wait whose answer is already
// there does not block.
bool iterate_until(const std::function<bool()>& done, int timeout_ms);

// Copies a cairo image surface of 32-bit blue, green, red, x pixels (RGB24 or ARGB32) to the
// top-left corner of the pixels, clipped; the fourth byte is dropped for 24-bit pixels and kept
// for 32-bit ones. False when the surface is no image or the pixels are none.
bool paint_surface(cairo_surface_t* surface, const pixel_view& into);

}  // namespace platform
