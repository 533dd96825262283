#include "imaging/scaling.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/drawing.h"
#include "pixels.h"

namespace {

using namespace imaging;
using imaging_test::bgr;
using imaging_test::pixel;

void fill(image_number number, std::uint32_t colour) {
    ASSERT_NE(begin_drawing(image_target(number)), nullptr);
    fill_box(0, 0, image_width(number), image_height(number), colour);
    end_drawing();
}

TEST(ResizeImage, ShrinksATileToAPreviewCell) {
    ASSERT_NE(create_image(2, 256, 256), 0);
    fill(2, 0x00405060);
    platform::bitmap* result = resize_image(2, 126, 126);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result, image_bitmap(2));
    EXPECT_EQ(image_width(2), 126);
    EXPECT_EQ(image_height(2), 126);
    EXPECT_EQ(image_depth(2), 24);
    for (int y = 0; y < 126; ++y)
        for (int x = 0; x < 126; ++x) ASSERT_EQ(pixel(2, x, y), (bgr{0x40, 0x50, 0x60}));
}

TEST(ResizeImage, KeepsTopAndBottomInPlace) {
    ASSERT_NE(create_image(2, 4, 4), 0);
    ASSERT_NE(begin_drawing(image_target(2)), nullptr);
    fill_box(0, 0, 4, 2, 0x00FFFFFF);  // top half white
    end_drawing();
    ASSERT_NE(resize_image(2, 2, 2), nullptr);
    EXPECT_EQ(pixel(2, 0, 0), (bgr{255, 255, 255}));
    EXPECT_EQ(pixel(2, 1, 1), (bgr{0, 0, 0}));
}

TEST(ResizeImage, OwnSizeChangesNothingAndMissingImagesFail) {
    ASSERT_NE(create_image(2, 30, 20), 0);
    platform::bitmap* before = image_bitmap(2);
    EXPECT_EQ(resize_image(2, 30, 20), before);
    EXPECT_EQ(image_bitmap(2), before);
    EXPECT_EQ(resize_image(3, 10, 10), nullptr);
    EXPECT_EQ(image_bitmap(3), nullptr);
}

TEST(ResizeImage, FailureLeavesTheNumberEmptyWithTheRequestedSize) {
    ASSERT_NE(create_image(2, 30, 20), 0);
    EXPECT_EQ(resize_image(2, 0, 20), nullptr);
    EXPECT_EQ(image_bitmap(2), nullptr);
}

TEST(ResizeImage, FastModeTakesNearestPixels) {
    ASSERT_NE(create_image(2, 4, 1), 0);
    for (int x = 0; x < 4; ++x) imaging_test::set_pixel(2, x, 0, {10 * x, 0, 0});
    ASSERT_NE(resize_image(2, 2, 1, resize_fast), nullptr);
    EXPECT_EQ(pixel(2, 0, 0)[0], 10);
    EXPECT_EQ(pixel(2, 1, 0)[0], 30);
}

// Destination pixel 0 of a 4 -> 2 line: centre 0.5, window 0 .. 3, weights proportional to
// K(0.25), K(0.25), K(0.75), K(1.25) = 0.782, 0.782, 0.256, -0.023, renormalised to sum 1.
std::uint8_t first_of_four(std::array<std::uint8_t, 4> line) {
    std::vector<std::uint8_t> source(16), destination(8);
    for (int x = 0; x < 4; ++x)
        for (int c = 0; c < 4; ++c) source[static_cast<std::size_t>(x * 4 + c)] = line[static_cast<std::size_t>(x)];
    EXPECT_TRUE(resample_mitchell(source.data(), 4, 1, destination.data(), 2, 1));
    return destination[0];
}

TEST(MitchellResampler, FourToTwoWeighsTheCentredWindow) {
    // 128 plus 100 at one source pixel shows that pixel's weight (times 100).
    EXPECT_EQ(first_of_four({228, 128, 128, 128}), 172);  // +43.5
    EXPECT_EQ(first_of_four({128, 228, 128, 128}), 172);  // pixels 0 and 1 weigh the same
    EXPECT_EQ(first_of_four({128, 128, 228, 128}), 142);  // smaller: +14.3
    EXPECT_EQ(first_of_four({128, 128, 128, 228}), 127);  // small and negative: -1.3
}

TEST(MitchellResampler, UniformImagesStayUniformInEveryChannel) {
    const std::uint8_t colour[4] = {10, 200, 33, 77};
    for (auto [w, h, nw, nh] : {std::array<int, 4>{7, 5, 3, 9}, {256, 256, 126, 126}, {3, 3, 40, 2}}) {
        std::vector<std::uint8_t> source(static_cast<std::size_t>(w * h * 4));
        for (std::size_t i = 0; i < source.size(); ++i) source[i] = colour[i % 4];
        std::vector<std::uint8_t> destination(static_cast<std::size_t>(nw * nh * 4));
        ASSERT_TRUE(resample_mitchell(source.data(), w, h, destination.data(), nw, nh));
        for (std::size_t i = 0; i < destination.size(); ++i) ASSERT_EQ(destination[i], colour[i % 4]) << i;
    }
}

TEST(ResizeImage, ThirtyTwoBitImagesAreResampledWithTheirAlpha) {
    start_drawing_layer();
    ASSERT_NE(create_image(5, 4, 1, 32), 0);
    const std::uint8_t values[4] = {128, 128, 228, 128};
    for (int x = 0; x < 4; ++x) {
        std::uint8_t* p = imaging_test::pixel_address(5, x, 0);
        p[0] = p[1] = p[2] = values[x];
        p[3] = 200;
    }
    ASSERT_NE(resize_image(5, 2, 1), nullptr);
    EXPECT_EQ(image_depth(5), 32);
    const std::uint8_t* p = imaging_test::pixel_address(5, 0, 0);
    EXPECT_EQ(p[0], 142);
    EXPECT_EQ(p[3], 200);
}

}  // namespace
