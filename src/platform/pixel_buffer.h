#pragma once
// A view of device-independent bitmap pixels owned by someone else: blue, green, red (and an
// unused fourth byte at 32 bits per pixel), rows stored bottom-up as in a Windows DIB, each
// row `stride` bytes apart.
#include <cstdint>

namespace platform {

struct pixel_buffer {
    std::uint8_t* pixels = nullptr;
    int stride = 0;  // bytes from one stored row to the next
    int width = 0;
    int height = 0;
    int bits_per_pixel = 24;  // 24 or 32

    // The first byte of pixel (x, y), y counted from the top of the picture.
    std::uint8_t* at(int x, int y) const {
        return pixels + static_cast<std::ptrdiff_t>(height - 1 - y) * stride + x * (bits_per_pixel / 8);
    }
    bool valid() const {
        return pixels && width > 0 && height > 0 && (bits_per_pixel == 24 || bits_per_pixel == 32) &&
               stride >= width * (bits_per_pixel / 8);
    }
};

}  // namespace platform
