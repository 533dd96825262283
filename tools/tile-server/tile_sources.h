#pragma once
// Where the server's tiles come from: the synthetic pattern, a folder of tiles, or the Earth.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tileserver {

struct tile_reply {
    int status = 404;
    std::string content_type;
    std::string body;
};

// The image format a tile address asks for.
enum class tile_format { jpeg, png };

// Answers one tile request; must be safe to call from several server threads at once.
using tile_source = std::function<tile_reply(std::int64_t x, std::int64_t y, int zoom, tile_format format)>;

// Pattern and Earth tiles are made in the format asked for: JPEG at `quality`, or PNG.
tile_source pattern_source(int quality);
// Tiles stored as DIR/{z}/{x}/{y}.jpg, else DIR/{z}/{x}/{y}.png, served as they are whatever
// the format asked for.
tile_source folder_source(const std::string& folder);
// Null when the world picture cannot be loaded.
tile_source earth_source(const std::string& picture_path, int quality);

}  // namespace tileserver
