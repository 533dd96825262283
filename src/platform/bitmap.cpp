#include "platform/bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace platform {

std::size_t section_stride(int width, int depth) {
    const std::size_t row_bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(depth / 8);
    return (row_bytes + 3) & ~static_cast<std::size_t>(3);
}

namespace {

// The pixel memory of the last tile-sized bitmap released, kept for the next bitmap of the same
// size. Tiles are made and released hundreds of times in a run, and memory fresh from the system
// costs a page fault per 4 KB, several times what clearing reused memory costs.
struct spare_pixels {
    std::uint8_t* bits = nullptr;
    std::size_t size = 0;
    spare_pixels() = default;
    spare_pixels(const spare_pixels&) = delete;
    spare_pixels& operator=(const spare_pixels&) = delete;
    ~spare_pixels() { std::free(bits); }
};
spare_pixels spare;
constexpr std::size_t largest_spare = std::size_t{4} << 20;

// Pictures of this size and more (the mosaic and its canvas) are mapped from the system on
// their own, in 2 MB pages where the system offers them: in 4 KB pages their first writes cost
// one page fault each, which for a mosaic of tens of megabytes takes longer than making it.
constexpr std::size_t large_picture = std::size_t{8} << 20;
constexpr std::size_t huge_page = std::size_t{2} << 20;

std::size_t in_huge_pages(std::size_t size) { return (size + huge_page - 1) / huge_page * huge_page; }

// Zeroed memory that starts on a 2 MB boundary: a mapping 2 MB larger is made and what lies
// before and after the aligned stretch goes back at once, so the stretch is unmapped alone.
std::uint8_t* map_large(std::size_t size) {
    const std::size_t kept = in_huge_pages(size);
    void* mapping = mmap(nullptr, kept + huge_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t aligned = in_huge_pages(start);
    const std::uintptr_t end = start + kept + huge_page;
    if (aligned > start) munmap(mapping, aligned - start);
    if (end > aligned + kept) munmap(reinterpret_cast<void*>(aligned + kept), end - (aligned + kept));
    madvise(reinterpret_cast<void*>(aligned), kept, MADV_HUGEPAGE);
    return reinterpret_cast<std::uint8_t*>(aligned);
}

std::uint8_t* black_pixels(std::size_t size) {
    if (size >= large_picture) return map_large(size);
    if (spare.bits && spare.size == size) {
        std::uint8_t* bits = spare.bits;
        spare.bits = nullptr;
        std::memset(bits, 0, size);
        return bits;
    }
    // calloc: large pictures get zero pages lazily from the system.
    return static_cast<std::uint8_t*>(std::calloc(size, 1));
}

void release_pixels(std::uint8_t* bits, std::size_t size) {
    if (bits && size >= large_picture) {
        munmap(bits, in_huge_pages(size));
        return;
    }
    if (!bits || size > largest_spare) {
        std::free(bits);
        return;
    }
    std::free(spare.bits);
    spare.bits = bits;
    spare.size = size;
}

}  // namespace

bitmap* create_section_bitmap(int width, int height, int depth) {
    if (width < 1 || height < 1 || (depth != 24 && depth != 32)) return nullptr;
    auto* handle = new (std::nothrow) bitmap;
    if (!handle) return nullptr;
    handle->width = width;
    handle->height = height;
    handle->depth = depth;
    handle->stride = section_stride(width, depth);
    handle->bits = black_pixels(handle->size_in_bytes());
    if (!handle->bits) {
        delete handle;
        return nullptr;
    }
    return handle;
}

void delete_bitmap(bitmap* handle) {
    if (!handle) return;
    release_pixels(handle->bits, handle->size_in_bytes());
    delete handle;
}

bitmap* copy_bitmap_24(const bitmap* source) {
    if (!source || !source->bits) return nullptr;
    bitmap* copy = create_section_bitmap(source->width, source->height, 24);
    if (!copy) return nullptr;
    const int source_bpp = source->bytes_per_pixel();
    for (int y = 0; y < source->height; ++y) {
        const std::uint8_t* from = source->row_from_top(y);
        std::uint8_t* to = copy->row_from_top(y);
        if (source_bpp == 3) {
            std::memcpy(to, from, static_cast<std::size_t>(source->width) * 3);
            continue;
        }
        for (int x = 0; x < source->width; ++x, from += source_bpp, to += 3) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
    return copy;
}

namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bitmap* load_bitmap_file(const std::string& path) {
    file_handle file(std::fopen(path.c_str(), "rb"));
    if (!file) return nullptr;
    std::uint8_t header[54];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header) return nullptr;
    if (header[0] != 'B' || header[1] != 'M') return nullptr;
    const std::uint32_t pixel_offset = le32(header + 10);
    const std::uint32_t info_size = le32(header + 14);
    const auto width = static_cast<std::int32_t>(le32(header + 18));
    const auto raw_height = static_cast<std::int32_t>(le32(header + 22));
    const std::uint16_t planes = le16(header + 26);
    const std::uint16_t depth = le16(header + 28);
    const std::uint32_t compression = le32(header + 30);
    // Only what this program writes itself: plain 24-bit (or 32-bit) rows, no palette.
    if (info_size < 40 || planes != 1 || compression != 0 || (depth != 24 && depth != 32)) return nullptr;
    if (width < 1 || raw_height == 0 || raw_height == INT32_MIN) return nullptr;
    const bool top_down = raw_height < 0;
    const std::int32_t height = top_down ? -raw_height : raw_height;
    if (width > 32767 || height > 32767) return nullptr;
    if (pixel_offset < 14 + info_size) return nullptr;

    bitmap_handle picture(create_section_bitmap(width, height, depth));
    if (!picture || std::fseek(file.get(), static_cast<long>(pixel_offset), SEEK_SET) != 0) return nullptr;
    // Rows in the file use the same 4-byte padding as a section bitmap.
    for (std::int32_t i = 0; i < height; ++i) {
        std::uint8_t* row = picture->bits + static_cast<std::size_t>(top_down ? height - 1 - i : i) * picture->stride;
        if (std::fread(row, 1, picture->stride, file.get()) != picture->stride) return nullptr;
    }
    return picture.release();
}

}  // namespace platform
