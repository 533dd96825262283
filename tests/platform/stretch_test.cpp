#include "platform/stretch.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using platform::bitmap;
using platform::device_context;

struct bitmap_deleter {
    void operator()(bitmap* b) const { platform::delete_bitmap(b); }
};
struct dc_deleter {
    void operator()(device_context* dc) const { platform::delete_dc(dc); }
};

struct surface {
    std::unique_ptr<bitmap, bitmap_deleter> picture;
    std::unique_ptr<device_context, dc_deleter> dc;
    surface(int w, int h, int depth = 24)
        : picture(platform::create_section_bitmap(w, h, depth)), dc(platform::create_memory_dc()) {
        platform::select_bitmap(dc.get(), picture.get());
    }
    // Sets every byte of pixel (x, y) to the value.
    void set(int x, int y, std::uint8_t value) {
        const int bpp = picture->depth / 8;
        for (int c = 0; c < bpp; ++c) picture->row_from_top(y)[x * bpp + c] = value;
    }
    std::uint8_t get(int x, int y, int channel = 0) const {
        return picture->row_from_top(y)[x * picture->depth / 8 + channel];
    }
    void fill(std::uint8_t value) {
        for (int y = 0; y < picture->height; ++y)
            for (int x = 0; x < picture->width; ++x) set(x, y, value);
    }
};

bool stretch(surface& to, const surface& from, platform::stretch_mode mode) {
    platform::set_stretch_mode(to.dc.get(), mode);
    return platform::stretch_block_transfer(to.dc.get(), 0, 0, to.picture->width, to.picture->height, from.dc.get(),
                                            0, 0, from.picture->width, from.picture->height);
}

TEST(HalftoneStretch, ShrinkWeighsEachSourcePixelByTheAreaCovered) {
    surface line(3, 1);
    line.set(0, 0, 0);
    line.set(1, 0, 90);
    line.set(2, 0, 180);
    surface half(2, 1);
    ASSERT_TRUE(stretch(half, line, platform::stretch_mode::halftone));
    // Destination pixel 0 covers source [0, 1.5): 2/3 of 0 and 1/3 of 90.
    EXPECT_EQ(half.get(0, 0), 30);
    EXPECT_EQ(half.get(1, 0), 150);
    EXPECT_EQ(half.get(1, 0, 2), 150);  // every channel alike

    surface square(2, 2);  // two-dimensional 2:1 is the plain average of four pixels
    square.set(0, 0, 10);
    square.set(1, 0, 20);
    square.set(0, 1, 30);
    square.set(1, 1, 40);
    surface dot(1, 1);
    ASSERT_TRUE(stretch(dot, square, platform::stretch_mode::halftone));
    EXPECT_EQ(dot.get(0, 0), 25);
}

TEST(HalftoneStretch, UniformPicturesStayUniform) {
    surface tile(256, 256, 32);
    tile.fill(173);
    surface cell(126, 126, 32);
    ASSERT_TRUE(stretch(cell, tile, platform::stretch_mode::halftone));
    surface big(300, 7, 32);
    ASSERT_TRUE(stretch(big, tile, platform::stretch_mode::halftone));
    for (int y = 0; y < 126; ++y)
        for (int x = 0; x < 126; ++x)
            for (int c = 0; c < 4; ++c) ASSERT_EQ(cell.get(x, y, c), 173) << x << "," << y;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 300; ++x) ASSERT_EQ(big.get(x, y, 3), 173);
}

TEST(HalftoneStretch, EnlargementInterpolatesBetweenPixelCentres) {
    surface pair(2, 1);
    pair.set(0, 0, 0);
    pair.set(1, 0, 200);
    surface four(4, 1);
    ASSERT_TRUE(stretch(four, pair, platform::stretch_mode::halftone));
    EXPECT_EQ(four.get(0, 0), 0);
    EXPECT_EQ(four.get(1, 0), 50);
    EXPECT_EQ(four.get(2, 0), 150);
    EXPECT_EQ(four.get(3, 0), 200);
}

TEST(NearestStretch, TakesThePixelUnderEachCentre) {
    surface line(4, 2);
    for (int x = 0; x < 4; ++x) {
        line.set(x, 0, static_cast<std::uint8_t>(10 + x));
        line.set(x, 1, static_cast<std::uint8_t>(20 + x));
    }
    surface half(2, 1);
    ASSERT_TRUE(stretch(half, line, platform::stretch_mode::coloroncolor));
    EXPECT_EQ(half.get(0, 0), 21);  // the centre of row 0 lies in source row 1
    EXPECT_EQ(half.get(1, 0), 23);
}

TEST(Stretch, RefusesRectanglesOutsideTheBitmapsAndMixedDepths) {
    surface from(4, 4);
    surface to(2, 2);
    EXPECT_FALSE(platform::stretch_block_transfer(to.dc.get(), 0, 0, 2, 2, from.dc.get(), 1, 0, 4, 4));
    EXPECT_FALSE(platform::stretch_block_transfer(to.dc.get(), 1, 0, 2, 2, from.dc.get(), 0, 0, 4, 4));
    EXPECT_FALSE(platform::stretch_block_transfer(to.dc.get(), 0, 0, 0, 2, from.dc.get(), 0, 0, 4, 4));
    surface deep(2, 2, 32);
    EXPECT_FALSE(platform::stretch_block_transfer(deep.dc.get(), 0, 0, 2, 2, from.dc.get(), 0, 0, 4, 4));
}

}  // namespace
