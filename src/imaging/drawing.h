#pragma once
// Drawing passes: one image at a time is the target of draw_image and fill_box, and its pixels
// can be handed to anything that paints (a web page rendering itself, for instance).
//
// Calling order: image_target, at once begin_drawing with its result, drawing calls,
// end_drawing. Passes do not nest.
#include <cstdint>

#include "imaging/image_store.h"
#include "platform/bitmap.h"

namespace imaging {

struct drawing_context {
    platform::pixel_view pixels;      // the target image's own pixels
    std::uint32_t drawing_mode = 0;   // 0: plain, pixels are overwritten
    std::uint32_t front_colour = 0;   // 0x00BBGGRR, black at the start of a pass
    std::uint32_t back_colour = 0;
    platform::bitmap* image = nullptr;  // the image's own bitmap
};

// The drawing layer's start-up and end: whether alpha blending is available (it always is
// here; the flag matters only to resizing).
void start_drawing_layer();
void end_drawing_layer();
bool alpha_blending_available();

// Makes the image the target of a new pass (current at once); null when the number holds no
// image or memory runs out.
drawing_context* image_target(image_number number);
// Opens the pass and returns its pixels, which are the image's own pixels; null for a null
// target.
platform::pixel_view* begin_drawing(drawing_context* target);
void end_drawing();
// The pass now open, or null.
drawing_context* current_drawing();
// Ends the open pass if it writes into this bitmap (the store calls it before a bitmap is
// deleted, so a pass never writes into freed memory).
void end_drawing_on(const platform::bitmap* picture);

// A pass for the length of a scope: image_target and begin_drawing when it is made, end_drawing
// when it goes (unless the pass has ended already).
class drawing_pass {
public:
    explicit drawing_pass(image_number number) : context_(image_target(number)), pixels_(begin_drawing(context_)) {}
    ~drawing_pass() {
        if (pixels_ && current_drawing() == context_) end_drawing();
    }
    drawing_pass(const drawing_pass&) = delete;
    drawing_pass& operator=(const drawing_pass&) = delete;
    platform::pixel_view* pixels() const { return pixels_; }  // null when no pass could open

private:
    drawing_context* context_;
    platform::pixel_view* pixels_;
};

// Draws a bitmap at its own size with its top-left corner at (x, y) of the target, clipped to
// the target. 24-bit pixels are copied; 32-bit pixels are blended by their alpha.
void draw_image(const platform::bitmap* picture, int x, int y);
// Fills a box with a colour (0x00BBGGRR); a negative width or height extends to the left or up.
void fill_box(int x, int y, int width, int height, std::uint32_t colour);

}  // namespace imaging
