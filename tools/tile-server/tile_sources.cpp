#include "tile_sources.h"

#include "earth_tiles.h"
#include "jpeg_memory.h"
#include "pattern.h"
#include "png_memory.h"

namespace tileserver {
namespace {

tile_reply image_reply(const rgb_image& image, int quality, tile_format format) {
    tile_reply reply;
    const bool png = format == tile_format::png;
    reply.body = png ? encode_png(image) : encode_jpeg(image, quality);
    if (reply.body.empty()) {
        reply.status = 500;
        return reply;
    }
    reply.status = 200;
    reply.content_type = png ? "image/png" : "image/jpeg";
    return reply;
}

}  // namespace

tile_source pattern_source(int quality) {
    return [quality](std::int64_t x, std::int64_t y, int zoom, tile_format format) {
        return image_reply(pattern_tile(x, y, zoom), quality, format);
    };
}

tile_source folder_source(const std::string& folder) {
    return [folder](std::int64_t x, std::int64_t y, int zoom, tile_format) {
        const std::string stem = folder + "/" + std::to_string(zoom) + "/" + std::to_string(x) +
                                 "/" + std::to_string(y);
        tile_reply reply;
        if (read_whole_file(stem + ".jpg", reply.body)) {
            reply.content_type = "image/jpeg";
        } else if (read_whole_file(stem + ".png", reply.body)) {
            reply.content_type = "image/png";
        } else {
            return reply;  // 404
        }
        reply.status = 200;
        return reply;
    };
}

tile_source earth_source(const std::string& picture_path, int quality) {
    auto earth = std::make_shared<earth_tiles>();
    if (!earth->load(picture_path)) return nullptr;
    return [earth, quality](std::int64_t x, std::int64_t y, int zoom, tile_format format) {
        return image_reply(earth->tile(x, y, zoom), quality, format);
    };
}

}  // namespace tileserver
