#pragma once
// PNG encoding into memory, for servers that answer tile addresses ending in ".png".
#include <string>

#include "jpeg_memory.h"

namespace tileserver {

// An 8-bit RGB PNG of the image. Lossless, and stored without compression: tiles are small
// and the server's own loopback is the only road they take.
std::string encode_png(const rgb_image& image);

}  // namespace tileserver
