#include "imaging/regions.h"

#include <cstring>

namespace imaging {

namespace {

// Clips a span [start, start + length) of one axis to [0, limit); how many leading pixels were
// dropped goes to *skipped.
bool clip_span(long long& start, long long& length, long long limit, long long* skipped) {
    *skipped = 0;
    if (start < 0) {
        *skipped = -start;
        length += start;
        start = 0;
    }
    if (start + length > limit) length = limit - start;
    return length > 0;
}

// Copies the part of the source rectangle (x, y, width, height) that lies inside the source to
// the same place of `cut`, whose (0, 0) stands for the rectangle's corner. Same depths.
void copy_inside(const platform::pixel_view& from, int x, int y, int width, int height,
                 const platform::pixel_view& cut) {
    long long sx = x, sy = y, w = width, h = height, dx = 0, dy = 0;
    if (!clip_span(sx, w, from.width, &dx) || !clip_span(sy, h, from.height, &dy)) return;
    const int bytes = from.bytes_per_pixel();
    for (long long r = 0; r < h; ++r)
        std::memcpy(cut.row_from_top(static_cast<int>(dy + r)) + dx * bytes,
                    from.row_from_top(static_cast<int>(sy + r)) + sx * bytes, static_cast<std::size_t>(w * bytes));
}

}  // namespace

std::intptr_t copy_region(image_number source, image_number destination, int x, int y, int width, int height) {
    const image_record* from = find_image(source);
    if (!from || width > 32767 || height > 32767) return 0;
    platform::bitmap_handle cut(platform::create_section_bitmap(width, height, from->depth));
    if (!cut) return 0;
    // The new bitmap starts black, so whatever lies beyond the source stays black.
    copy_inside(*from->bitmap, x, y, width, height, *cut);
    // Only now is the destination replaced (it may be the source itself).
    image_record* record = take_record(destination);
    if (!record) return 0;
    return store_bitmap(record, destination, cut.release());
}

}  // namespace imaging
