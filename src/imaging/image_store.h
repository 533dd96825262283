#pragma once
// The image store: off-screen pictures kept under numbers chosen by the application.
//
// Numbers are 0 and up, or auto_image_number (-1), which makes a new record and answers with
// that record's own number (its address) from then on. An operation on a number that holds no
// image does nothing and returns 0.
#include <cstdint>

#include "platform/bitmap.h"

namespace imaging {

using image_number = std::intptr_t;
constexpr image_number auto_image_number = -1;

struct image_record {
    platform::bitmap* bitmap = nullptr;  // null: the number holds no image
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::uint8_t depth = 0;
};

// Makes the store (16 records). Called once at start-up; the other operations make it on
// first use if it was not.
void start_image_store();

// The widest and tallest picture the program keeps: width and height are kept in 16 bits.
constexpr int largest_image_side = 32767;

// A new all-black image (depth 24 or 32; 32-bit pixels are black with alpha 255). Non-zero on
// success: the bitmap handle as an integer, or the new number for the auto number. 0 on
// failure, with any previous image under the number released. Sizes must be 1 .. 32767.
std::intptr_t create_image(image_number number, int width, int height, int depth = 24);
void free_image(image_number number);
void free_all_images();

platform::bitmap* image_bitmap(image_number number);
int image_width(image_number number);
int image_height(image_number number);
int image_depth(image_number number);

// Records in the numbered array (it grows to number + 16 when a larger number is used).
std::size_t image_store_capacity();

// Whether a handle is that of an image the store holds now; a handle kept after its image was
// freed or rescaled is not. Answered without walking the records, which number 65000 once the
// preview's image is made.
bool holds_bitmap(const platform::bitmap* picture);

// For the other image operations: the record of a number that holds an image, or null.
image_record* find_image(image_number number);
// The record for a number, made (or grown into) if needed, with any image it held released.
// Null for an invalid number (below -1) or when memory runs out. For the auto number a new
// record is made; record_number gives its number.
image_record* take_record(image_number number);
image_number record_number(const image_record* record, image_number requested);
// Stores a bitmap in a record with the size and depth the bitmap reports; returns the result
// the store's operations give: the handle, or the record's number for the auto number.
std::intptr_t store_bitmap(image_record* record, image_number requested, platform::bitmap* picture);
// Puts a bitmap (or null) in a record in place of its old one, which the caller releases, and
// keeps the set of held handles right.
void replace_bitmap(image_record* record, platform::bitmap* picture);

}  // namespace imaging
