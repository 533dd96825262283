#pragma once
// JPEG encoding and decoding between memory buffers, for tiles sent over HTTP.
#include <cstdint>
#include <string>
#include <vector>

namespace tileserver {

// 8-bit RGB pixels, rows top to bottom, no padding.
struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 3 bytes

    rgb_image() = default;
    rgb_image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3, 0) {}
    std::uint8_t* at(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * 3]; }
    const std::uint8_t* at(int x, int y) const {
        return &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
    }
};

// Baseline JPEG at the given quality (1..100) with full-resolution colour (4:4:4), so thin
// grid lines and tile colours survive well. Empty on failure.
std::string encode_jpeg(const rgb_image& image, int quality);

// Decodes a JPEG (grayscale is expanded to RGB). False for damaged or truncated data.
bool decode_jpeg(const std::string& bytes, rgb_image& image);

// Whole file into memory; false when it cannot be read.
bool read_whole_file(const std::string& path, std::string& bytes);

}  // namespace tileserver
