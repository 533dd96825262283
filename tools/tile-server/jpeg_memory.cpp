#include "jpeg_memory.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <jpeglib.h>
#include <sys/stat.h>

namespace tileserver {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back to the
// caller instead of letting libjpeg end the process. Warnings (a truncated file) are counted
// so a damaged tile is refused rather than served half grey.
struct error_manager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void on_error_exit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<error_manager*>(info->err)->escape, 1);
}

void on_message(j_common_ptr) {}  // stay quiet: callers report failure by result

// Encoding state that has to survive a longjmp; the caller owns it so no C++ object with a
// destructor lives in the frame that setjmp returns to.
struct encode_state {
    jpeg_compress_struct info;
    error_manager errors;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

bool encode_into(encode_state& s, const rgb_image& image, int quality) {
    s.info.err = jpeg_std_error(&s.errors.base);
    s.errors.base.error_exit = on_error_exit;
    s.errors.base.output_message = on_message;
    if (setjmp(s.errors.escape)) {
        jpeg_destroy_compress(&s.info);
        return false;
    }
    jpeg_create_compress(&s.info);
    jpeg_mem_dest(&s.info, &s.buffer, &s.size);
    s.info.image_width = static_cast<JDIMENSION>(image.width);
    s.info.image_height = static_cast<JDIMENSION>(image.height);
    s.info.input_components = 3;
    s.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s.info);
    jpeg_set_quality(&s.info, quality, TRUE);
    for (int c = 0; c < s.info.num_components; ++c) {
        s.info.comp_info[c].h_samp_factor = 1;
        s.info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&s.info, TRUE);
    while (s.info.next_scanline < s.info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.at(0, static_cast<int>(s.info.next_scanline)));
        jpeg_write_scanlines(&s.info, &row, 1);
    }
    jpeg_finish_compress(&s.info);
    jpeg_destroy_compress(&s.info);
    return true;
}

struct decode_state {
    jpeg_decompress_struct info;
    error_manager errors;
};

bool decode_into(decode_state& s, const std::string& bytes, rgb_image& image) {
    s.info.err = jpeg_std_error(&s.errors.base);
    s.errors.base.error_exit = on_error_exit;
    s.errors.base.output_message = on_message;
    if (setjmp(s.errors.escape)) {
        jpeg_destroy_decompress(&s.info);
        return false;
    }
    jpeg_create_decompress(&s.info);
    jpeg_mem_src(&s.info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&s.info, TRUE);
    s.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&s.info);
    image.width = static_cast<int>(s.info.output_width);
    image.height = static_cast<int>(s.info.output_height);
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    while (s.info.output_scanline < s.info.output_height) {
        JSAMPROW row = image.at(0, static_cast<int>(s.info.output_scanline));
        jpeg_read_scanlines(&s.info, &row, 1);
    }
    const bool damaged = s.errors.base.num_warnings > 0;
    jpeg_finish_decompress(&s.info);
    jpeg_destroy_decompress(&s.info);
    return !damaged;
}

}  // namespace

std::string encode_jpeg(const rgb_image& image, int quality) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        return {};
    encode_state state{};
    const bool ok = encode_into(state, image, quality);
    std::string bytes;
    if (ok && state.buffer) bytes.assign(reinterpret_cast<const char*>(state.buffer), state.size);
    std::free(state.buffer);  // jpeg_mem_dest allocates with malloc
    return bytes;
}

bool decode_jpeg(const std::string& bytes, rgb_image& image) {
    if (bytes.empty()) return false;
    image.pixels.reserve(256 * 256 * 3);  // allocate before setjmp's frame does any work
    decode_state state{};
    return decode_into(state, bytes, image);
}

bool read_whole_file(const std::string& path, std::string& bytes) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace tileserver
