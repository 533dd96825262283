#include "platform/device_context.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/stretch.h"

namespace platform {

device_context* create_memory_dc() { return new (std::nothrow) device_context; }

void delete_dc(device_context* dc) { delete dc; }

bitmap* select_bitmap(device_context* dc, bitmap* picture) {
    if (!dc) return nullptr;
    bitmap* previous = dc->selected;
    dc->selected = picture;
    return previous;
}

pixel_view selected_pixels(const device_context* dc) {
    pixel_view view;
    if (!dc || !dc->selected || !dc->selected->bits) return view;
    const bitmap& picture = *dc->selected;
    view.bits = picture.bits;
    view.stride = picture.stride;
    view.width = picture.width;
    view.height = picture.height;
    view.depth = picture.depth;
    view.bottom_up = picture.bottom_up;
    return view;
}

stretch_mode set_stretch_mode(device_context* dc, stretch_mode mode) {
    if (!dc) return stretch_mode::coloroncolor;
    const stretch_mode previous = dc->mode;
    dc->mode = mode;
    return previous;
}

void set_brush_origin(device_context* dc, int x, int y) {
    if (!dc) return;
    dc->brush_origin_x = x;
    dc->brush_origin_y = y;
}

namespace {

// Clips a span [start, start + length) of one axis to [0, limit); returns the shift applied to
// the start (how many leading pixels were dropped) through *skipped.
bool clip_span(long long& start, long long& length, long long limit, long long* skipped) {
    *skipped = 0;
    if (start < 0) {
        *skipped = -start;
        length += start;
        start = 0;
    }
    if (start + length > limit) length = limit - start;
    return length > 0;
}

}  // namespace

bool block_transfer(device_context* destination, int x, int y, int width, int height,
                    const device_context* source, int source_x, int source_y) {
    const pixel_view to = selected_pixels(destination);
    const pixel_view from = selected_pixels(source);
    if (!to.bits || !from.bits) return false;
    if (width <= 0 || height <= 0) return true;

    // Clip the block against the source, then against the destination, moving both corners.
    long long dx = x, dy = y, sx = source_x, sy = source_y, w = width, h = height, skip = 0;
    if (!clip_span(sx, w, from.width, &skip)) return true;
    dx += skip;
    if (!clip_span(sy, h, from.height, &skip)) return true;
    dy += skip;
    if (!clip_span(dx, w, to.width, &skip)) return true;
    sx += skip;
    if (!clip_span(dy, h, to.height, &skip)) return true;
    sy += skip;

    const int to_bpp = to.depth / 8;
    const int from_bpp = from.depth / 8;
    const bool same_buffer = to.bits == from.bits;
    for (long long r = 0; r < h; ++r) {
        // Copying within one bitmap downwards must walk the rows from the bottom up.
        const long long row = (same_buffer && dy > sy) ? h - 1 - r : r;
        std::uint8_t* out = to.row_from_top(static_cast<int>(dy + row)) + dx * to_bpp;
        const std::uint8_t* in = from.row_from_top(static_cast<int>(sy + row)) + sx * from_bpp;
        if (to_bpp == from_bpp) {
            std::memmove(out, in, static_cast<std::size_t>(w * to_bpp));
            continue;
        }
        for (long long i = 0; i < w; ++i, out += to_bpp, in += from_bpp) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            if (to_bpp == 4) out[3] = 0;
        }
    }
    return true;
}

bool stretch_block_transfer(device_context* destination, int x, int y, int width, int height,
                            const device_context* source, int source_x, int source_y, int source_width,
                            int source_height) {
    const pixel_view to = selected_pixels(destination);
    const pixel_view from = selected_pixels(source);
    if (!to.bits || !from.bits || to.depth != from.depth || to.bits == from.bits) return false;
    if (width <= 0 || height <= 0 || source_width <= 0 || source_height <= 0) return false;
    if (x < 0 || y < 0 || width > to.width - x || height > to.height - y) return false;
    if (source_x < 0 || source_y < 0 || source_width > from.width - source_x ||
        source_height > from.height - source_y)
        return false;
    const pixel_rect out{to, x, y, width, height};
    const pixel_rect in{from, source_x, source_y, source_width, source_height};
    if (destination->mode == stretch_mode::halftone) return stretch_average(out, in);
    return stretch_nearest(out, in);
}

bool fill_rect(device_context* dc, int x, int y, int width, int height, std::uint32_t colour) {
    const pixel_view to = selected_pixels(dc);
    if (!to.bits) return false;
    long long dx = x, dy = y, w = width, h = height, skip = 0;
    if (!clip_span(dx, w, to.width, &skip) || !clip_span(dy, h, to.height, &skip)) return true;
    const int bpp = to.depth / 8;
    const auto red = static_cast<std::uint8_t>(colour & 0xFF);
    const auto green = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    const auto blue = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
    for (long long r = 0; r < h; ++r) {
        std::uint8_t* out = to.row_from_top(static_cast<int>(dy + r)) + dx * bpp;
        for (long long i = 0; i < w; ++i, out += bpp) {
            out[0] = blue;
            out[1] = green;
            out[2] = red;
        }
    }
    return true;
}

bool paint_bgrx(device_context* dc, int x, int y, const std::uint8_t* pixels, std::size_t stride, int width,
                int height) {
    const pixel_view to = selected_pixels(dc);
    if (!to.bits || !pixels) return false;
    long long dx = x, dy = y, w = width, h = height, skip_x = 0, skip_y = 0;
    if (!clip_span(dx, w, to.width, &skip_x) || !clip_span(dy, h, to.height, &skip_y)) return true;
    const int bpp = to.depth / 8;
    for (long long r = 0; r < h; ++r) {
        const std::uint8_t* in = pixels + static_cast<std::size_t>(skip_y + r) * stride + skip_x * 4;
        std::uint8_t* out = to.row_from_top(static_cast<int>(dy + r)) + dx * bpp;
        if (bpp == 4) {
            std::memcpy(out, in, static_cast<std::size_t>(w) * 4);
            continue;
        }
        for (long long i = 0; i < w; ++i, out += 3, in += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    return true;
}

namespace {
int batch_limit = 20;  // the usual default of a drawing thread
}

int set_batch_limit(int limit) {
    const int previous = batch_limit;
    batch_limit = limit;
    return previous;
}

}  // namespace platform
