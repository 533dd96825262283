#include "imaging/image_store.h"

#include <limits>
#include <unordered_set>

#include "imaging/drawing.h"
#include "services/numbered_table.h"

namespace imaging {

namespace {

// The handles of the images held now, for the controls that keep a handle rather than a number.
std::unordered_set<const platform::bitmap*>& held_bitmaps() {
    static std::unordered_set<const platform::bitmap*> handles;
    return handles;
}

void release(image_record& record) {
    held_bitmaps().erase(record.bitmap);
    end_drawing_on(record.bitmap);
    platform::delete_bitmap(record.bitmap);
    record = image_record{};
}

// Images still held when the process ends go with the store.
struct image_store : services::numbered_table<image_record> {
    // As memory allows. The set of held handles is made first, so that it outlives the store.
    image_store() : numbered_table(std::numeric_limits<image_number>::max()) { held_bitmaps(); }
    ~image_store() { for_each(release); }
};

image_store& store() {
    static image_store instance;
    return instance;
}

}  // namespace

void start_image_store() { store(); }

image_record* find_image(image_number number) {
    image_record* record = store().find(number);
    return record && record->bitmap ? record : nullptr;
}

image_record* take_record(image_number number) {
    image_record* record = store().take(number);
    if (record) release(*record);
    return record;
}

image_number record_number(const image_record* record, image_number requested) {
    return image_store::number_of(record, requested);
}

std::intptr_t store_bitmap(image_record* record, image_number requested, platform::bitmap* picture) {
    replace_bitmap(record, picture);
    record->width = static_cast<std::int16_t>(picture->width);
    record->height = static_cast<std::int16_t>(picture->height);
    record->depth = static_cast<std::uint8_t>(picture->depth);
    if (requested == auto_image_number) return record_number(record, requested);
    return reinterpret_cast<std::intptr_t>(picture);
}

std::intptr_t create_image(image_number number, int width, int height, int depth) {
    image_record* record = take_record(number);
    if (!record) return 0;
    if (width > largest_image_side || height > largest_image_side) {
        free_image(record_number(record, number));
        return 0;
    }
    platform::bitmap* picture = platform::create_section_bitmap(width, height, depth);
    if (!picture) {
        free_image(record_number(record, number));
        return 0;
    }
    // A new section bitmap is already all zero, which is black for 24 bits; 32-bit pixels also
    // need an opaque alpha.
    if (depth == 32) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* pixel = picture->row_from_top(y);
            for (int x = 0; x < width; ++x, pixel += 4) pixel[3] = 0xFF;
        }
    }
    return store_bitmap(record, number, picture);
}

void free_image(image_number number) {
    if (number == auto_image_number) return;
    image_record* record = store().find(number);
    if (!record) return;
    release(*record);
    store().remove(record);  // an auto-numbered record goes away with its image
}

void free_all_images() {
    store().for_each(release);
    store().remove_automatic();
}

platform::bitmap* image_bitmap(image_number number) {
    const image_record* record = find_image(number);
    return record ? record->bitmap : nullptr;
}

int image_width(image_number number) {
    const image_record* record = find_image(number);
    return record ? record->width : 0;
}

int image_height(image_number number) {
    const image_record* record = find_image(number);
    return record ? record->height : 0;
}

int image_depth(image_number number) {
    const image_record* record = find_image(number);
    return record ? record->depth : 0;
}

std::size_t image_store_capacity() { return store().capacity(); }

bool holds_bitmap(const platform::bitmap* picture) { return picture && held_bitmaps().count(picture) != 0; }

void replace_bitmap(image_record* record, platform::bitmap* picture) {
    held_bitmaps().erase(record->bitmap);
    record->bitmap = picture;
    if (picture) held_bitmaps().insert(picture);
}

}  // namespace imaging
