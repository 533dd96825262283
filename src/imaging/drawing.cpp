#include "imaging/drawing.h"

#include <cstring>
#include <new>

namespace imaging {

namespace {

bool alpha_available = false;
drawing_context* current = nullptr;

void release_pass(drawing_context* pass) {
    if (current == pass) current = nullptr;
    delete pass;
}

}  // namespace

void start_drawing_layer() { alpha_available = true; }
void end_drawing_layer() { alpha_available = false; }
bool alpha_blending_available() { return alpha_available; }

drawing_context* image_target(image_number number) {
    const image_record* record = find_image(number);
    if (!record || !record->bitmap->bits) return nullptr;
    if (current) release_pass(current);  // a pass left open is closed rather than leaked
    auto* pass = new (std::nothrow) drawing_context;
    if (!pass) return nullptr;
    current = pass;
    pass->pixels = *record->bitmap;
    pass->pixels.width = record->width;
    pass->pixels.height = record->height;
    pass->image = record->bitmap;
    return pass;
}

platform::pixel_view* begin_drawing(drawing_context* target) {
    if (!target) return nullptr;
    if (!target->pixels.bits) {
        release_pass(target);
        return nullptr;
    }
    return &target->pixels;
}

void end_drawing() { release_pass(current); }

drawing_context* current_drawing() { return current; }

void end_drawing_on(const platform::bitmap* picture) {
    if (current && picture && current->image == picture) release_pass(current);
}

namespace {

// Row y counted from the target's bottom edge.
std::uint8_t* target_row_from_bottom(const drawing_context& pass, long long y) {
    return pass.pixels.bits + static_cast<std::size_t>(y) * pass.pixels.stride;
}

void blend_pixel(std::uint8_t* to, const std::uint8_t* from) {
    const unsigned alpha = from[3];
    for (int c = 0; c < 3; ++c)
        to[c] = static_cast<std::uint8_t>((from[c] * alpha + to[c] * (255u - alpha)) / 255u);
}

}  // namespace

void draw_image(const platform::bitmap* picture, int x, int y) {
    drawing_context* pass = current;
    if (!pass || !picture || !picture->bits) return;
    if (picture->depth != 24 && picture->depth != 32) return;
    // Work from the bottom edges, as the rows are stored: b is the height of the picture's bottom
    // edge above the target's bottom edge.
    long long w = picture->width, h = picture->height, dx = x;
    long long b = static_cast<long long>(pass->pixels.height) - y - h;
    long long skip_columns = 0, skip_rows = 0;
    if (dx < 0) {
        skip_columns = -dx;
        w += dx;
        dx = 0;
    }
    if (b < 0) {
        skip_rows = -b;
        h += b;
        b = 0;
    }
    if (dx + w > pass->pixels.width) w = pass->pixels.width - dx;
    if (b + h > pass->pixels.height) h = pass->pixels.height - b;
    if (w <= 0 || h <= 0) return;

    const int from_bpp = picture->bytes_per_pixel();
    const int to_bpp = pass->pixels.bytes_per_pixel();
    for (long long r = 0; r < h; ++r) {
        // Section bitmap rows are bottom-up, so memory row n is n rows above the bottom edge.
        const std::uint8_t* in = picture->bits + static_cast<std::size_t>(skip_rows + r) * picture->stride +
                                 skip_columns * from_bpp;
        std::uint8_t* out = target_row_from_bottom(*pass, b + r) + dx * to_bpp;
        if (from_bpp == 3 && to_bpp == 3) {
            std::memmove(out, in, static_cast<std::size_t>(w) * 3);
        } else if (from_bpp == 4) {
            for (long long i = 0; i < w; ++i, in += 4, out += to_bpp) blend_pixel(out, in);
        } else {
            for (long long i = 0; i < w; ++i, in += 3, out += 4) std::memcpy(out, in, 3);
        }
    }
}

void fill_box(int x, int y, int width, int height, std::uint32_t colour) {
    drawing_context* pass = current;
    if (!pass) return;
    if (colour != pass->front_colour) pass->front_colour = colour;
    long long bx = x, by = y, w = width, h = height;
    if (w < 0) {
        bx += w;
        w = -w;
    }
    if (h < 0) {
        by += h;
        h = -h;
    }
    if (bx < 0) {
        w += bx;
        bx = 0;
    }
    if (by < 0) {
        h += by;
        by = 0;
    }
    if (bx + w > pass->pixels.width) w = pass->pixels.width - bx;
    if (by + h > pass->pixels.height) h = pass->pixels.height - by;
    if (w <= 0 || h <= 0) return;
    const auto red = static_cast<std::uint8_t>(colour & 0xFF);
    const auto green = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    const auto blue = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
    const int bpp = pass->pixels.bytes_per_pixel();
    for (long long r = by; r < by + h; ++r) {
        std::uint8_t* out = target_row_from_bottom(*pass, pass->pixels.height - 1 - r) + bx * bpp;
        for (long long i = 0; i < w; ++i, out += bpp) {
            out[0] = blue;
            out[1] = green;
            out[2] = red;
        }
    }
}

}  // namespace imaging
