#pragma once
// Drawing passes: one image at a time is the target of draw_image and fill_box, and its device
// context can be handed to anything that paints (a window rendering itself, for instance).
//
// Calling order: image_target, at once begin_drawing with its result, drawing calls,
// end_drawing. Passes do not nest.
#include <cstdint>

#include "imaging/image_store.h"
#include "platform/device_context.h"

namespace imaging {

struct drawing_context {
    std::uint8_t* pixels = nullptr;  // the target bitmap's pixel memory (bottom-up rows)
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
    int bytes_per_pixel = 3;          // 3 for 24-bit passes, 4 for 32-bit passes
    std::uint32_t drawing_mode = 0;   // 0: plain, pixels are overwritten
    std::uint32_t front_colour = 0;   // 0x00BBGGRR, black at the start of a pass
    std::uint32_t back_colour = 0;
    platform::device_context* dc = nullptr;  // memory device context with the bitmap selected
    platform::bitmap* image = nullptr;       // the image's own bitmap
    int saved_batch_limit = 0;
};

// The drawing layer's start-up and end: whether alpha blending is available (it always is
// here; the flag matters only to resizing).
void start_drawing_layer();
void end_drawing_layer();
bool alpha_blending_available();

// Makes the image the target of a new pass (current at once); null when the number holds no
// image or a device context cannot be made.
drawing_context* image_target(image_number number);
// Opens the pass and returns its device context, whose pixels are the image's pixels; null for
// a null target.
platform::device_context* begin_drawing(drawing_context* target);
void end_drawing();
// The pass now open, or null.
drawing_context* current_drawing();
// Ends the open pass if it writes into this bitmap (the store calls it before a bitmap is
// deleted, so a pass never writes into freed memory).
void end_drawing_on(const platform::bitmap* picture);

// Draws a bitmap at its own size with its top-left corner at (x, y) of the target, clipped to
// the target. 24-bit pixels are copied; 32-bit pixels are blended by their alpha.
void draw_image(const platform::bitmap* picture, int x, int y);
// Fills a box with a colour (0x00BBGGRR); a negative width or height extends to the left or up.
void fill_box(int x, int y, int width, int height, std::uint32_t colour);

}  // namespace imaging
