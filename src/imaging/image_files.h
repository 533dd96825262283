#pragma once
// Writing numbered images to files and reading image files into numbered images.
//
// Writing goes through encoders chosen by a four-character identifier (0 is the built-in BMP
// writer); reading recognises BMP files itself and tries the registered decoders for the rest.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "imaging/image_store.h"

namespace imaging {

// Four ASCII characters, low byte first: four_cc("JPEG") == 0x4745504A.
constexpr std::uint32_t four_cc(const char (&text)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])) << 24;
}
constexpr std::uint32_t bmp_encoder = 0;
constexpr std::uint32_t jpeg_encoder = four_cc("JPEG");

// Row-order flag: the pixel memory holds the image's bottom row first.
constexpr int rows_bottom_up = 2;

// Writes pixels (blue, green, red; 4 bytes a pixel for 32-bit writers) to a file given by its
// native path; 1 on success, 0 on failure.
using image_writer = int (*)(const std::string& path, const std::uint8_t* pixels, int width, int height,
                             std::size_t stride, int row_flags, int flags);

struct image_encoder {
    std::uint32_t identifier = 0;
    image_writer write_24 = nullptr;
    image_writer write_32 = nullptr;  // may be null: 32-bit pixels are then composited over white
};

struct image_decoder;

// The one decoder state of the process, zeroed for every load.
struct decoder_state {
    const image_decoder* decoder = nullptr;
    std::string path;
    std::FILE* file = nullptr;
    int width = 0;
    int height = 0;
    int depth = 24;
    void* codec = nullptr;  // the accepting decoder's own data, released by its close
};

struct image_decoder {
    bool (*check)(decoder_state& state) = nullptr;  // reads from state.file at position 0
    int (*decode)(decoder_state& state, std::uint8_t* pixels, std::size_t stride, int row_flags) = nullptr;
    void (*close)(decoder_state& state) = nullptr;
};

constexpr int max_codecs = 30;

// Empties the decoder list (start-up).
void start_image_decoders();
// Append to the lists (at most 30 entries each); false when a list is full.
bool add_image_encoder(const image_encoder& encoder);
bool add_image_decoder(const image_decoder& decoder);

// Saves the image under a program file name. Encoder 0 writes BMP; flags go to the encoder (for
// JPEG, the compression level 0 .. 10). 1 on success, 0 on failure.
int save_image(image_number number, std::string_view name, std::uint32_t encoder = bmp_encoder, int flags = 7);

// Loads an image file under a number; whatever the number held is released first, whatever the
// outcome. Non-zero on success (the bitmap handle, or the new number for the auto number).
std::intptr_t load_image(image_number number, std::string_view name);

// Why the last save_image or load_image failed, in words a user can act on (libjpeg's own
// message, the system's reason a file could not be made, ...); empty after a success.
std::string last_image_file_error();
// For writers and decoders: the reason of the failure they are about to report.
void report_image_file_error(std::string reason);

// The BMP writer: 24-bit BMP file with bottom-up rows padded to 4 bytes.
int write_bmp_24(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t stride,
                 int row_flags, int flags);
int write_bmp_32(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t stride,
                 int row_flags, int flags);

// A 32-bit pixel's colour over white: v' = (v x a + 255 x (255 - a)) / 255.
inline std::uint8_t over_white(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255u * (255u - alpha)) / 255u);
}

}  // namespace imaging
