#include "earth_tiles.h"

#include <cmath>

namespace tileserver {
namespace {

rgb_image half_size(const rgb_image& source) {
    rgb_image half(source.width / 2, source.height / 2);
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sum = source.at(2 * x, 2 * y)[c] + source.at(2 * x + 1, 2 * y)[c] +
                                source.at(2 * x, 2 * y + 1)[c] + source.at(2 * x + 1, 2 * y + 1)[c];
                half.at(x, y)[c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
    return half;
}

// Bilinear sample at (u, v) in source pixel units (pixel centres at .5), wrapping east-west
// and clamping north-south.
void sample(const rgb_image& image, double u, double v, std::uint8_t* out) {
    const double fx = u - 0.5, fy = v - 0.5;
    const double x0f = std::floor(fx), y0f = std::floor(fy);
    const double ax = fx - x0f, ay = fy - y0f;
    auto wrap = [&](long long x) {
        const long long w = image.width;
        return static_cast<int>(((x % w) + w) % w);
    };
    auto clamp = [&](long long y) {
        return static_cast<int>(y < 0 ? 0 : (y >= image.height ? image.height - 1 : y));
    };
    const int x0 = wrap(static_cast<long long>(x0f)), x1 = wrap(static_cast<long long>(x0f) + 1);
    const int y0 = clamp(static_cast<long long>(y0f)), y1 = clamp(static_cast<long long>(y0f) + 1);
    for (int c = 0; c < 3; ++c) {
        const double top = image.at(x0, y0)[c] * (1 - ax) + image.at(x1, y0)[c] * ax;
        const double bottom = image.at(x0, y1)[c] * (1 - ax) + image.at(x1, y1)[c] * ax;
        out[c] = static_cast<std::uint8_t>(std::lround(top * (1 - ay) + bottom * ay));
    }
}

}  // namespace

bool earth_tiles::load(const std::string& path) {
    std::string bytes;
    rgb_image picture;
    if (!read_whole_file(path, bytes) || !decode_jpeg(bytes, picture) || picture.width < 2 ||
        picture.height < 2)
        return false;
    levels_.clear();
    levels_.push_back(std::move(picture));
    while (levels_.back().width >= 512 && levels_.back().height >= 2)
        levels_.push_back(half_size(levels_.back()));
    return true;
}

rgb_image earth_tiles::tile(std::int64_t x, std::int64_t y, int zoom) const {
    rgb_image out(256, 256);
    if (levels_.empty() || zoom < 0 || zoom > 30) return out;
    const std::int64_t tiles = std::int64_t{1} << zoom;
    if (y < 0 || y >= tiles) return out;
    const double world = 256.0 * static_cast<double>(tiles);

    // The finest level no wider than about the world at this zoom keeps minification near 1:1.
    std::size_t level = 0;
    while (level + 1 < levels_.size() && levels_[level + 1].width >= world) ++level;
    const rgb_image& image = levels_[level];

    const std::int64_t column = ((x % tiles) + tiles) % tiles;
    for (int py = 0; py < 256; ++py) {
        const double wy = static_cast<double>(y * 256 + py) + 0.5;
        const double latitude = std::atan(std::sinh(M_PI * (1.0 - 2.0 * wy / world)));
        const double v = (0.5 - latitude / M_PI) * image.height;
        for (int px = 0; px < 256; ++px) {
            const double wx = static_cast<double>(column * 256 + px) + 0.5;
            sample(image, wx / world * image.width, v, out.at(px, py));
        }
    }
    return out;
}

}  // namespace tileserver
