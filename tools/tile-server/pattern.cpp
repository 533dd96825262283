#include "pattern.h"

namespace tileserver {
namespace {

std::int64_t floor_mod(std::int64_t a, std::int64_t m) {
    const std::int64_t r = a % m;
    return r < 0 ? r + m : r;
}

std::int64_t floor_div(std::int64_t a, std::int64_t m) { return (a - floor_mod(a, m)) / m; }

}  // namespace

rgb pattern_colour(std::int64_t world_x, std::int64_t world_y, int zoom) {
    const std::int64_t lx = floor_mod(world_x, 256);
    const std::int64_t ly = floor_mod(world_y, 256);
    if (lx == 0 || ly == 0) return {255, 255, 255};
    const std::int64_t tx = floor_div(world_x, 256);
    const std::int64_t ty = floor_div(world_y, 256);
    const std::int64_t level = floor_mod(tx + 3 * ty + 5 * static_cast<std::int64_t>(zoom), 8);
    return {static_cast<std::uint8_t>(lx), static_cast<std::uint8_t>(ly),
            static_cast<std::uint8_t>(16 + 32 * level)};
}

rgb_image pattern_tile(std::int64_t x, std::int64_t y, int zoom) {
    rgb_image tile(256, 256);
    for (int py = 0; py < 256; ++py)
        for (int px = 0; px < 256; ++px) {
            const rgb c = pattern_colour(x * 256 + px, y * 256 + py, zoom);
            std::uint8_t* p = tile.at(px, py);
            p[0] = c.red;
            p[1] = c.green;
            p[2] = c.blue;
        }
    return tile;
}

}  // namespace tileserver
