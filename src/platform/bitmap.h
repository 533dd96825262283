#pragma once
// Section bitmaps: pictures whose pixel memory the program addresses directly.
//
// Rows are stored bottom-up (the first row in memory is the picture's bottom row) and each row
// is padded to a multiple of 4 bytes. 24-bit pixels are blue, green, red; 32-bit pixels are
// blue, green, red, alpha. A handle is a plain pointer; null means "no bitmap".
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace platform {

// Pixels somebody owns: where they lie and how they are laid out.
struct pixel_view {
    std::uint8_t* bits = nullptr;
    std::size_t stride = 0;    // bytes per row, a multiple of 4 in a section bitmap
    int width = 0;
    int height = 0;
    int depth = 0;             // bits per pixel: 24 or 32
    bool bottom_up = true;     // first row in memory is the bottom row

    // Start of the row that is y rows below the picture's top edge (0 <= y < height).
    std::uint8_t* row_from_top(int y) const {
        const int memory_row = bottom_up ? height - 1 - y : y;
        return bits + static_cast<std::size_t>(memory_row) * stride;
    }
    int bytes_per_pixel() const { return depth / 8; }
    std::size_t size_in_bytes() const { return stride * static_cast<std::size_t>(height); }
};

// A section bitmap: pixels of its own, released by delete_bitmap (or a bitmap_handle).
struct bitmap : pixel_view {};

// Bytes per row of a section bitmap: width x bytes per pixel, rounded up to a multiple of 4.
std::size_t section_stride(int width, int depth);

// A new zero-filled (black, alpha 0) section bitmap; null for a size below 1, a depth other
// than 24 or 32, or when memory runs out.
bitmap* create_section_bitmap(int width, int height, int depth);

// A new 24-bit bottom-up copy of the bitmap (32-bit pixels lose their alpha byte); null on
// failure.
bitmap* copy_bitmap_24(const bitmap* source);

// Loads an uncompressed 24- or 32-bit BMP file (native path) as a section bitmap of its own
// size and depth; null for anything else or a damaged file.
bitmap* load_bitmap_file(const std::string& path);

}  // namespace platform
