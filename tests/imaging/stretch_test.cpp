#include "imaging/stretch.h"

#include <gtest/gtest.h>

namespace {

// A bitmap whose pixels the tests set and read one byte at a time.
struct surface {
    platform::bitmap_handle picture;
    surface(int w, int h, int depth = 24) : picture(platform::create_section_bitmap(w, h, depth)) {}
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

enum class mode { average, nearest };

bool stretch(surface& to, const surface& from, mode how) {
    const imaging::pixel_rect out{*to.picture, 0, 0, to.picture->width, to.picture->height};
    const imaging::pixel_rect in{*from.picture, 0, 0, from.picture->width, from.picture->height};
    return how == mode::average ? imaging::stretch_average(out, in) : imaging::stretch_nearest(out, in);
}

TEST(HalftoneStretch, ShrinkWeighsEachSourcePixelByTheAreaCovered) {
    surface line(3, 1);
    line.set(0, 0, 0);
    line.set(1, 0, 90);
    line.set(2, 0, 180);
    surface half(2, 1);
    ASSERT_TRUE(stretch(half, line, mode::average));
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
    ASSERT_TRUE(stretch(dot, square, mode::average));
    EXPECT_EQ(dot.get(0, 0), 25);
}

TEST(HalftoneStretch, UniformPicturesStayUniform) {
    surface tile(256, 256, 32);
    tile.fill(173);
    surface cell(126, 126, 32);
    ASSERT_TRUE(stretch(cell, tile, mode::average));
    surface big(300, 7, 32);
    ASSERT_TRUE(stretch(big, tile, mode::average));
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
    ASSERT_TRUE(stretch(four, pair, mode::average));
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
    ASSERT_TRUE(stretch(half, line, mode::nearest));
    EXPECT_EQ(half.get(0, 0), 21);  // the centre of row 0 lies in source row 1
    EXPECT_EQ(half.get(1, 0), 23);
}

}  // namespace
