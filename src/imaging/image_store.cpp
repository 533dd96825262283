#include "imaging/image_store.h"

#include <cstring>
#include <exception>
#include <list>
#include <memory>
#include <new>
#include <vector>

#include "imaging/drawing.h"

namespace imaging {

namespace {

constexpr std::size_t growth = 16;
constexpr int largest_side = 32767;  // width and height are kept in 16 bits

void release(image_record& record);

struct image_store {
    std::vector<image_record> numbered;
    std::list<image_record> automatic;  // records made for the auto number; never moved

    image_store() = default;
    image_store(const image_store&) = delete;
    image_store& operator=(const image_store&) = delete;
    // Images still held when the process ends go with the store.
    ~image_store() {
        for (image_record& record : numbered) release(record);
        for (image_record& record : automatic) release(record);
    }
};

image_store& store() {
    static image_store instance;
    if (instance.numbered.empty()) instance.numbered.resize(growth);
    return instance;
}

void release(image_record& record) {
    end_drawing_on(record.bitmap);
    platform::delete_bitmap(record.bitmap);
    record = image_record{};
}

image_record* find_record(image_number number) {
    image_store& images = store();
    if (number >= 0 && static_cast<std::size_t>(number) < images.numbered.size())
        return &images.numbered[static_cast<std::size_t>(number)];
    // Auto-numbered records are found by comparing addresses, never by dereferencing the number.
    for (image_record& record : images.automatic)
        if (reinterpret_cast<image_number>(&record) == number) return &record;
    return nullptr;
}

}  // namespace

void start_image_store() { store(); }

image_record* find_image(image_number number) {
    image_record* record = find_record(number);
    return record && record->bitmap ? record : nullptr;
}

image_record* take_record(image_number number) {
    image_store& images = store();
    if (number == auto_image_number) {
        images.automatic.emplace_back();
        return &images.automatic.back();
    }
    if (number < -1) return nullptr;
    image_record* record = find_record(number);
    if (!record) {
        // A number beyond the array grows it to number + 16 records, all empty.
        try {
            images.numbered.resize(static_cast<std::size_t>(number) + growth);
        } catch (const std::exception&) {  // a number too large for memory
            return nullptr;
        }
        record = &images.numbered[static_cast<std::size_t>(number)];
    }
    release(*record);
    return record;
}

image_number record_number(const image_record* record, image_number requested) {
    return requested == auto_image_number ? reinterpret_cast<image_number>(record) : requested;
}

std::intptr_t store_bitmap(image_record* record, image_number requested, platform::bitmap* picture) {
    record->bitmap = picture;
    record->width = static_cast<std::int16_t>(picture->width);
    record->height = static_cast<std::int16_t>(picture->height);
    record->depth = static_cast<std::uint8_t>(picture->depth);
    if (requested == auto_image_number) return record_number(record, requested);
    return reinterpret_cast<std::intptr_t>(picture);
}

std::intptr_t create_image(image_number number, int width, int height, int depth) {
    image_record* record = take_record(number);
    if (!record) return 0;
    if (width > largest_side || height > largest_side) {
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
    image_record* record = find_record(number);
    if (!record) return;
    release(*record);
    // An auto-numbered record goes away with its image.
    store().automatic.remove_if([record](const image_record& r) { return &r == record; });
}

void free_all_images() {
    image_store& images = store();
    for (image_record& record : images.numbered) release(record);
    for (image_record& record : images.automatic) release(record);
    images.automatic.clear();
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

std::size_t image_store_capacity() { return store().numbered.size(); }

}  // namespace imaging
