#include "imaging/drawing.h"

#include <gtest/gtest.h>

#include "imaging/regions.h"
#include "pixels.h"

namespace {

using namespace imaging;
using imaging_test::bgr;
using imaging_test::pattern;
using imaging_test::pixel;

constexpr image_number preview = 64999;

// Opens a pass on the image the way the application does.
platform::pixel_view* open_pass(image_number number) { return begin_drawing(image_target(number)); }

TEST(DrawingPass, ItsPixelsAreTheImagesOwn) {
    ASSERT_NE(create_image(0, 500, 400), 0);
    {
        const drawing_pass pass(0);
        ASSERT_NE(pass.pixels(), nullptr);
        const platform::pixel_view& view = *pass.pixels();
        EXPECT_EQ(view.bits, image_bitmap(0)->bits);
        EXPECT_EQ(view.width, 500);
        EXPECT_EQ(view.height, 400);
        EXPECT_EQ(view.depth, 24);
        view.row_from_top(15)[10 * 3] = 255;  // blue, painted by someone else
    }
    EXPECT_EQ(current_drawing(), nullptr);  // the scope's end ended the pass
    EXPECT_EQ(pixel(0, 10, 15), (bgr{255, 0, 0}));
}

TEST(DrawingPass, NoImageNoPass) {
    EXPECT_EQ(image_target(9), nullptr);
    EXPECT_EQ(begin_drawing(nullptr), nullptr);
    // Drawing without a pass does nothing.
    ASSERT_NE(create_image(2, 4, 4), 0);
    draw_image(image_bitmap(2), 0, 0);
    fill_box(0, 0, 4, 4, 0xFFFFFF);
    end_drawing();
}

TEST(DrawingPass, ReleasingTheTargetEndsThePass) {
    ASSERT_NE(create_image(0, 8, 8), 0);
    ASSERT_NE(open_pass(0), nullptr);
    ASSERT_NE(create_image(0, 8, 8), 0);  // the target's bitmap is replaced
    EXPECT_EQ(current_drawing(), nullptr);
    fill_box(0, 0, 8, 8, 0xFFFFFF);  // must not touch the freed pixels
    EXPECT_EQ(pixel(0, 0, 0), (bgr{0, 0, 0}));
}

TEST(DrawImage, ClipsATileDrawnAboveAndLeftOfThePreview) {
    ASSERT_NE(create_image(preview, 250, 250), 0);
    ASSERT_NE(create_image(2, 256, 256), 0);
    imaging_test::paint_pattern(2);
    ASSERT_NE(open_pass(preview), nullptr);
    draw_image(image_bitmap(2), -10, -10);
    end_drawing();
    // Tile pixels from column 10 and row 10 on fill the preview's corner, 246 x 246 of them.
    EXPECT_EQ(pixel(preview, 0, 0), pattern(10, 10));
    EXPECT_EQ(pixel(preview, 245, 245), pattern(255, 255));
    EXPECT_EQ(pixel(preview, 120, 37), pattern(130, 47));
    EXPECT_EQ(pixel(preview, 246, 0), (bgr{0, 0, 0}));
    EXPECT_EQ(pixel(preview, 0, 246), (bgr{0, 0, 0}));
    EXPECT_EQ(pixel(preview, 249, 249), (bgr{0, 0, 0}));
}

TEST(DrawImage, ClipsAtTheRightAndBottomEdges) {
    ASSERT_NE(create_image(preview, 250, 250), 0);
    ASSERT_NE(create_image(2, 126, 126), 0);
    imaging_test::paint_pattern(2);
    ASSERT_NE(open_pass(preview), nullptr);
    draw_image(image_bitmap(2), 188, 187);
    end_drawing();
    EXPECT_EQ(pixel(preview, 188, 187), pattern(0, 0));
    EXPECT_EQ(pixel(preview, 249, 249), pattern(61, 62));
    EXPECT_EQ(pixel(preview, 187, 187), (bgr{0, 0, 0}));
}

TEST(DrawImage, NothingLandsOutsideTheTarget) {
    ASSERT_NE(create_image(preview, 250, 250), 0);
    ASSERT_NE(create_image(2, 10, 10), 0);
    imaging_test::paint_pattern(2);
    imaging_test::set_pixel(2, 0, 0, {1, 1, 1});
    ASSERT_NE(open_pass(preview), nullptr);
    draw_image(image_bitmap(2), 250, 0);    // at the target's width
    draw_image(image_bitmap(2), 0, 250);    // at its height
    draw_image(image_bitmap(2), -10, 0);    // wholly to the left
    draw_image(image_bitmap(2), 0, -10);    // wholly above
    draw_image(image_bitmap(2), 2000000000, -2000000000);
    draw_image(nullptr, 0, 0);
    end_drawing();
    for (int y = 0; y < 250; ++y)
        for (int x = 0; x < 250; ++x) ASSERT_EQ(pixel(preview, x, y), (bgr{0, 0, 0})) << x << "," << y;
}

TEST(FillBox, FillsClipsAndTakesRedFromTheLowByte) {
    ASSERT_NE(create_image(preview, 250, 250), 0);
    ASSERT_NE(open_pass(preview), nullptr);
    fill_box(0, 0, 250, 250, 0x00FFFFFF);
    fill_box(0, 0, 250, 250, 0);  // the end-of-run clearing
    EXPECT_EQ(pixel(preview, 0, 0), (bgr{0, 0, 0}));
    EXPECT_EQ(pixel(preview, 249, 249), (bgr{0, 0, 0}));

    fill_box(100, 5, -20, 1, 0x00030201);  // negative width: columns 80 .. 99
    EXPECT_EQ(pixel(preview, 79, 5), (bgr{0, 0, 0}));
    EXPECT_EQ(pixel(preview, 80, 5), (bgr{3, 2, 1}));
    EXPECT_EQ(pixel(preview, 99, 5), (bgr{3, 2, 1}));
    EXPECT_EQ(pixel(preview, 100, 5), (bgr{0, 0, 0}));

    fill_box(10, 10, 0, 50, 0x00FFFFFF);  // width 0 fills nothing
    EXPECT_EQ(pixel(preview, 10, 10), (bgr{0, 0, 0}));

    fill_box(-5, 240, 10, 50, 0x00000080);  // cut at the left and bottom edges
    EXPECT_EQ(pixel(preview, 0, 249), (bgr{0, 0, 0x80}));
    EXPECT_EQ(pixel(preview, 4, 240), (bgr{0, 0, 0x80}));
    EXPECT_EQ(pixel(preview, 5, 240), (bgr{0, 0, 0}));
    end_drawing();
}

TEST(CopyRegion, CutsTheTileOutOfTheCapture) {
    ASSERT_NE(create_image(0, 500, 400), 0);
    imaging_test::paint_pattern(0);
    ASSERT_NE(copy_region(0, 1, 10, 15, 256, 256), 0);
    EXPECT_EQ(image_width(1), 256);
    EXPECT_EQ(image_height(1), 256);
    EXPECT_EQ(image_depth(1), 24);
    EXPECT_EQ(pixel(1, 0, 0), pattern(10, 15));
    EXPECT_EQ(pixel(1, 255, 255), pattern(265, 270));
}

TEST(CopyRegion, BeyondTheSourceIsBlack) {
    ASSERT_NE(create_image(0, 200, 100), 0);
    ASSERT_NE(open_pass(0), nullptr);
    fill_box(0, 0, 200, 100, 0x00FFFFFF);
    end_drawing();
    ASSERT_NE(copy_region(0, 1, 10, 15, 256, 256), 0);
    EXPECT_EQ(pixel(1, 189, 84), (bgr{255, 255, 255}));
    EXPECT_EQ(pixel(1, 190, 0), (bgr{0, 0, 0}));   // past the right edge
    EXPECT_EQ(pixel(1, 0, 85), (bgr{0, 0, 0}));    // past the bottom edge
    EXPECT_EQ(pixel(1, 255, 255), (bgr{0, 0, 0}));
}

TEST(CopyRegion, ARectangleStartingLeftOfAndAboveTheSourceIsBlackThere) {
    ASSERT_NE(create_image(0, 20, 20), 0);
    imaging_test::paint_pattern(0);
    ASSERT_NE(copy_region(0, 1, -2, -3, 6, 6), 0);
    EXPECT_EQ(pixel(1, 2, 3), pattern(0, 0));
    EXPECT_EQ(pixel(1, 5, 5), pattern(3, 2));
    EXPECT_EQ(pixel(1, 1, 4), (bgr{0, 0, 0}));
    EXPECT_EQ(pixel(1, 4, 2), (bgr{0, 0, 0}));
}

TEST(CopyRegion, FailureLeavesTheDestinationAlone) {
    ASSERT_NE(create_image(1, 7, 7), 0);
    EXPECT_EQ(copy_region(12, 1, 0, 0, 5, 5), 0);  // no source
    ASSERT_NE(create_image(0, 20, 20), 0);
    EXPECT_EQ(copy_region(0, 1, 0, 0, 0, 5), 0);  // empty rectangle
    EXPECT_EQ(image_width(1), 7);
    // The source itself may be the destination.
    imaging_test::paint_pattern(0);
    ASSERT_NE(copy_region(0, 0, 5, 6, 4, 3), 0);
    EXPECT_EQ(image_width(0), 4);
    EXPECT_EQ(pixel(0, 0, 0), pattern(5, 6));
}

}  // namespace
