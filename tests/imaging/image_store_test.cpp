#include "imaging/image_store.h"

#include <gtest/gtest.h>

#include "imaging/scaling.h"
#include "pixels.h"

namespace {

using namespace imaging;
using imaging_test::bgr;
using imaging_test::pixel;

TEST(ImageStore, PreviewNumberGrowsTheStoreToNumberPlusSixteen) {
    start_image_store();
    EXPECT_EQ(image_store_capacity(), 16u);
    const std::intptr_t handle = create_image(64999, 250, 250);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(handle, reinterpret_cast<std::intptr_t>(image_bitmap(64999)));
    EXPECT_EQ(image_store_capacity(), 65015u);
    EXPECT_EQ(image_width(64999), 250);
    EXPECT_EQ(image_height(64999), 250);
    EXPECT_EQ(image_depth(64999), 24);
    for (int y = 0; y < 250; ++y)
        for (int x = 0; x < 250; ++x) ASSERT_EQ(pixel(64999, x, y), (bgr{0, 0, 0}));
    // A smaller number later does not shrink or grow the store.
    ASSERT_NE(create_image(3, 1, 1), 0);
    EXPECT_EQ(image_store_capacity(), 65015u);
}

TEST(ImageStore, NumbersWithoutImagesAnswerZero) {
    EXPECT_EQ(image_bitmap(5), nullptr);
    EXPECT_EQ(image_width(5), 0);
    EXPECT_EQ(image_height(5), 0);
    // Numbers never used, negative or far beyond the store hold nothing and do not grow it.
    EXPECT_EQ(image_width(1000000), 0);
    EXPECT_EQ(image_width(-7), 0);
    free_image(1000000);
    free_image(-7);
    EXPECT_EQ(image_store_capacity(), 16u);
    EXPECT_EQ(create_image(-7, 4, 4), 0);
}

TEST(ImageStore, CreatingUnderAUsedNumberReplacesTheImage) {
    ASSERT_NE(create_image(1, 10, 10), 0);
    imaging_test::set_pixel(1, 0, 0, {9, 9, 9});
    ASSERT_NE(create_image(1, 20, 5), 0);
    EXPECT_EQ(image_width(1), 20);
    EXPECT_EQ(image_height(1), 5);
    EXPECT_EQ(pixel(1, 0, 0), (bgr{0, 0, 0}));
    // A failed creation still releases what the number held.
    EXPECT_EQ(create_image(1, 0, 5), 0);
    EXPECT_EQ(image_bitmap(1), nullptr);
}

TEST(ImageStore, SizesAreLimitedToSixteenBits) {
    EXPECT_EQ(create_image(2, 32768, 1), 0);
    EXPECT_EQ(image_bitmap(2), nullptr);
    ASSERT_NE(create_image(2, 32767, 1), 0);
    EXPECT_EQ(image_width(2), 32767);
}

TEST(ImageStore, ThirtyTwoBitImagesStartOpaqueBlack) {
    ASSERT_NE(create_image(4, 3, 2, 32), 0);
    EXPECT_EQ(image_depth(4), 32);
    const std::uint8_t* p = imaging_test::pixel_address(4, 2, 1);
    EXPECT_EQ(p[0] | p[1] | p[2], 0);
    EXPECT_EQ(p[3], 0xFF);
}

TEST(ImageStore, AutoNumbersNameTheirOwnRecords) {
    const std::intptr_t first = create_image(auto_image_number, 3, 4);
    const std::intptr_t second = create_image(auto_image_number, 5, 6);
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(image_width(first), 3);
    EXPECT_EQ(image_height(second), 6);
    EXPECT_EQ(image_store_capacity(), 16u);
    free_image(first);
    EXPECT_EQ(image_width(first), 0);
    EXPECT_EQ(image_width(second), 5);
    free_image(auto_image_number);  // the auto number itself names nothing
    EXPECT_EQ(image_width(second), 5);
}

TEST(ImageStore, FreeAllImagesEmptiesEveryRecord) {
    ASSERT_NE(create_image(0, 2, 2), 0);
    ASSERT_NE(create_image(40, 2, 2), 0);
    const std::intptr_t automatic = create_image(auto_image_number, 2, 2);
    free_all_images();
    EXPECT_EQ(image_bitmap(0), nullptr);
    EXPECT_EQ(image_bitmap(40), nullptr);
    EXPECT_EQ(image_bitmap(automatic), nullptr);
}

// A control keeps an image's handle: it must learn when that handle no longer holds an image,
// whichever way the image went.
TEST(ImageStore, AHandleIsHeldOnlyWhileItsImageIs) {
    const auto first = reinterpret_cast<platform::bitmap*>(create_image(7, 8, 8));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(holds_bitmap(first));
    EXPECT_FALSE(holds_bitmap(nullptr));

    ASSERT_NE(resize_image(7, 4, 4), nullptr);  // the image is remade at its new size
    platform::bitmap* const rescaled = image_bitmap(7);
    EXPECT_TRUE(holds_bitmap(rescaled));
    if (rescaled != first) {
        EXPECT_FALSE(holds_bitmap(first));
    }

    const auto replacing = reinterpret_cast<platform::bitmap*>(create_image(7, 2, 2));
    if (replacing != rescaled) {
        EXPECT_FALSE(holds_bitmap(rescaled));
    }
    EXPECT_TRUE(holds_bitmap(replacing));
    free_image(7);
    EXPECT_FALSE(holds_bitmap(replacing));

    const auto automatic = create_image(auto_image_number, 2, 2);
    platform::bitmap* const automatic_bitmap = image_bitmap(automatic);
    EXPECT_TRUE(holds_bitmap(automatic_bitmap));
    free_all_images();
    EXPECT_FALSE(holds_bitmap(automatic_bitmap));
}

}  // namespace
