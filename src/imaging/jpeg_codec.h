#pragma once
// The JPEG encoder and decoder, over libjpeg's 6b interface.
#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/image_files.h"

namespace imaging {

// Add the JPEG encoder ("JPEG") / decoder to the lists; only the first call of each acts.
void register_jpeg_encoder();
void register_jpeg_decoder();

// The encoder's quality for a compression level: clamp(level, 0, 10) x 10.
int jpeg_quality(int level);

// The JPEG writer: 24-bit blue, green, red pixels to a baseline-or-extended sequential JPEG at
// the level's quality. On any failure (the file cannot be made, libjpeg reports an error such
// as a full disk) it returns 0 and removes the partial file.
int write_jpeg(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t stride,
               int row_flags, int level);

// The JPEG decoder's three steps (check reads the whole file into memory).
bool check_jpeg(decoder_state& state);
int decode_jpeg(decoder_state& state, std::uint8_t* pixels, std::size_t stride, int row_flags);
void close_jpeg(decoder_state& state);

}  // namespace imaging
