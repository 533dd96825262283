#include "imaging/regions.h"

#include <memory>

#include "platform/device_context.h"

namespace imaging {

namespace {
struct dc_deleter {
    void operator()(platform::device_context* dc) const { platform::delete_dc(dc); }
};
struct bitmap_deleter {
    void operator()(platform::bitmap* picture) const { platform::delete_bitmap(picture); }
};
}  // namespace

std::intptr_t copy_region(image_number source, image_number destination, int x, int y, int width, int height) {
    const image_record* from = find_image(source);
    if (!from) return 0;
    if (width > 32767 || height > 32767) return 0;
    std::unique_ptr<platform::bitmap, bitmap_deleter> cut(platform::create_section_bitmap(width, height, from->depth));
    if (!cut) return 0;
    std::unique_ptr<platform::device_context, dc_deleter> source_dc(platform::create_memory_dc());
    std::unique_ptr<platform::device_context, dc_deleter> cut_dc(platform::create_memory_dc());
    if (!source_dc || !cut_dc) return 0;
    platform::select_bitmap(source_dc.get(), from->bitmap);
    platform::select_bitmap(cut_dc.get(), cut.get());
    // The new bitmap starts black, so whatever lies beyond the source stays black.
    if (!platform::block_transfer(cut_dc.get(), 0, 0, width, height, source_dc.get(), x, y)) return 0;
    // Only now is the destination replaced (it may be the source itself).
    image_record* record = take_record(destination);
    if (!record) return 0;
    return store_bitmap(record, destination, cut.release());
}

}  // namespace imaging
