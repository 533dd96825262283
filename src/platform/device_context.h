#pragma once
// Memory device contexts: a drawing surface that has one section bitmap selected into it.
//
// Whatever is drawn through a device context lands directly in the selected bitmap's pixels,
// so a picture painted into a context is the image's own picture, with no copy to write back.
// Coordinates are in pixels with y counted downwards from the top edge.
#include <cstddef>
#include <cstdint>

#include "platform/bitmap.h"

namespace platform {

enum class stretch_mode { coloroncolor = 3, halftone = 4 };

struct device_context {
    bitmap* selected = nullptr;
    stretch_mode mode = stretch_mode::coloroncolor;
    int brush_origin_x = 0;
    int brush_origin_y = 0;
};

// The selected bitmap's pixels as seen through a device context; bits is null when no bitmap
// is selected.
struct pixel_view {
    std::uint8_t* bits = nullptr;
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
    int depth = 0;
    bool bottom_up = true;

    std::uint8_t* row_from_top(int y) const {
        const int memory_row = bottom_up ? height - 1 - y : y;
        return bits + static_cast<std::size_t>(memory_row) * stride;
    }
};

device_context* create_memory_dc();
void delete_dc(device_context* dc);

// Selects a bitmap (or none) and returns the one selected before.
bitmap* select_bitmap(device_context* dc, bitmap* picture);
pixel_view selected_pixels(const device_context* dc);

// Sets the stretch mode used by stretch_block_transfer; returns the previous one.
stretch_mode set_stretch_mode(device_context* dc, stretch_mode mode);
void set_brush_origin(device_context* dc, int x, int y);

// Copies a width x height block from (source_x, source_y) of the source context to
// (x, y) of the destination (copy mode). Parts of the block that lie outside either bitmap are
// left alone. Depths may differ (32 -> 24 drops alpha; 24 -> 32 sets alpha to 0). False when a
// context has no bitmap.
bool block_transfer(device_context* destination, int x, int y, int width, int height,
                    const device_context* source, int source_x, int source_y);

// Stretches the source rectangle onto the destination rectangle with the destination's stretch
// mode: halftone averages (area-weighted when shrinking, smooth when enlarging), coloroncolor
// takes the nearest pixel. Both rectangles must lie inside their bitmaps and have positive
// sizes; the bitmaps must share their depth. False otherwise.
bool stretch_block_transfer(device_context* destination, int x, int y, int width, int height,
                            const device_context* source, int source_x, int source_y, int source_width,
                            int source_height);

// Fills a rectangle with one colour (0x00BBGGRR), clipped to the bitmap; alpha bytes of 32-bit
// pixels are left alone.
bool fill_rect(device_context* dc, int x, int y, int width, int height, std::uint32_t colour);

// Copies a top-down picture of 32-bit blue, green, red, x pixels (the layout of a cairo RGB24 or
// ARGB32 surface) to (x, y) of the selected bitmap, clipped; the fourth byte is dropped for
// 24-bit bitmaps and stored for 32-bit ones.
bool paint_bgrx(device_context* dc, int x, int y, const std::uint8_t* pixels, std::size_t stride, int width,
                int height);

// The drawing batch limit. Drawing here is never deferred, so the limit only needs to be
// remembered; returns the previous limit.
int set_batch_limit(int limit);

}  // namespace platform
