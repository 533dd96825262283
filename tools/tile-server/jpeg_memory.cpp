#include "jpeg_memory.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include <sys/stat.h>

#include "imaging/jpeg_guard.h"

namespace tileserver {
namespace {

// What the encoding step needs, as plain data (see jpeg_guard.h).
struct encode_job {
    jpeg_compress_struct* info;
    const rgb_image* image;
    int quality;
    unsigned char** buffer;
    unsigned long* size;
};

void encode_step(void* data) {
    const encode_job& job = *static_cast<encode_job*>(data);
    jpeg_compress_struct* info = job.info;
    jpeg_create_compress(info);
    jpeg_mem_dest(info, job.buffer, job.size);
    info->image_width = static_cast<JDIMENSION>(job.image->width);
    info->image_height = static_cast<JDIMENSION>(job.image->height);
    info->input_components = 3;
    info->in_color_space = JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, job.quality, TRUE);
    for (int c = 0; c < info->num_components; ++c) {
        info->comp_info[c].h_samp_factor = 1;
        info->comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job.image->at(0, static_cast<int>(info->next_scanline)));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
}

struct decode_job {
    jpeg_decompress_struct* info;
    const std::string* bytes;
    rgb_image* image;
};

void decode_step(void* data) {
    const decode_job& job = *static_cast<decode_job*>(data);
    jpeg_decompress_struct* info = job.info;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(job.bytes->data()),
                 static_cast<unsigned long>(job.bytes->size()));
    jpeg_read_header(info, TRUE);
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    rgb_image& image = *job.image;
    image.width = static_cast<int>(info->output_width);
    image.height = static_cast<int>(info->output_height);
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image.at(0, static_cast<int>(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
}

}  // namespace

std::string encode_jpeg(const rgb_image& image, int quality) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        return {};
    imaging::jpeg_guard guard;
    jpeg_compress_struct info{};
    info.err = imaging::init_jpeg_guard(guard, 0);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    encode_job job{&info, &image, quality, &buffer, &size};
    const bool encoded = imaging::run_guarded(guard, encode_step, &job);
    jpeg_destroy_compress(&info);
    std::string bytes;
    if (encoded && buffer) bytes.assign(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);  // jpeg_mem_dest allocates with malloc
    return bytes;
}

bool decode_jpeg(const std::string& bytes, rgb_image& image) {
    if (bytes.empty()) return false;
    imaging::jpeg_guard guard;
    jpeg_decompress_struct info{};
    info.err = imaging::init_jpeg_guard(guard, 0);
    decode_job job{&info, &bytes, &image};
    const bool decoded = imaging::run_guarded(guard, decode_step, &job);
    // Warnings (a truncated file) mean a damaged tile, refused rather than served half grey.
    const bool damaged = guard.manager.num_warnings > 0;
    jpeg_destroy_decompress(&info);
    return decoded && !damaged;
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
