#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <memory>
#include <new>

#include "imaging/image_files.h"
#include "platform/bitmap.h"

namespace imaging {

namespace {

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// Writes the headers and the rows; pixels of 32-bit sources are composited over white.
int write_bmp(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t stride,
              int row_flags, int depth) {
    if (!pixels || width < 1 || height < 1) return 0;
    const std::size_t stride24 = platform::section_stride(width, 24);
    const std::size_t image_size = stride24 * static_cast<std::size_t>(height);

    std::uint8_t header[54] = {'B', 'M'};
    put32(header + 2, static_cast<std::uint32_t>(image_size + 54));
    put32(header + 10, 54);
    put32(header + 14, 40);
    put32(header + 18, static_cast<std::uint32_t>(width));
    put32(header + 22, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
    put16(header + 26, 1);
    put16(header + 28, 24);
    put32(header + 34, static_cast<std::uint32_t>(image_size));

    platform::file_handle file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        report_image_file_error(std::strerror(errno));
        return 0;
    }
    bool written = std::fwrite(header, 1, sizeof header, file.get()) == sizeof header;

    const bool bottom_up = (row_flags & rows_bottom_up) != 0;
    if (written && depth == 24 && bottom_up && stride == stride24) {
        written = std::fwrite(pixels, 1, image_size, file.get()) == image_size;
    } else if (written) {
        std::unique_ptr<std::uint8_t[]> row(new (std::nothrow) std::uint8_t[stride24]());
        written = row != nullptr;
        // File rows go bottom row first.
        for (int i = 0; written && i < height; ++i) {
            const int memory_row = bottom_up ? i : height - 1 - i;
            const std::uint8_t* in = pixels + static_cast<std::size_t>(memory_row) * stride;
            if (depth == 24) {
                std::copy_n(in, static_cast<std::size_t>(width) * 3, row.get());
            } else {
                std::uint8_t* out = row.get();
                for (int x = 0; x < width; ++x, in += 4, out += 3) {
                    out[0] = over_white(in[0], in[3]);
                    out[1] = over_white(in[1], in[3]);
                    out[2] = over_white(in[2], in[3]);
                }
            }
            written = std::fwrite(row.get(), 1, stride24, file.get()) == stride24;
        }
    }
    const bool closed = std::fclose(file.release()) == 0;
    return written && closed ? 1 : 0;
}

}  // namespace

int write_bmp_24(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t stride,
                 int row_flags, int /*flags*/) {
    return write_bmp(path, pixels, width, height, stride, row_flags, 24);
}

int write_bmp_32(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t stride,
                 int row_flags, int /*flags*/) {
    return write_bmp(path, pixels, width, height, stride, row_flags, 32);
}

}  // namespace imaging
