#include "platform/device_context.h"

#include <gtest/gtest.h>

#include <array>
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
using bitmap_ptr = std::unique_ptr<bitmap, bitmap_deleter>;
using dc_ptr = std::unique_ptr<device_context, dc_deleter>;

// A bitmap whose every pixel's blue byte is 1 + x + 10 y, selected into its own context.
struct surface {
    bitmap_ptr picture;
    dc_ptr dc;
    surface(int w, int h, int depth, bool numbered) : picture(platform::create_section_bitmap(w, h, depth)),
                                                      dc(platform::create_memory_dc()) {
        platform::select_bitmap(dc.get(), picture.get());
        if (!numbered) return;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) picture->row_from_top(y)[x * depth / 8] = static_cast<std::uint8_t>(1 + x + 10 * y);
    }
    std::uint8_t blue(int x, int y) const { return picture->row_from_top(y)[x * picture->depth / 8]; }
};

TEST(DeviceContext, ExposesTheSelectedBitmapsOwnPixels) {
    surface s(7, 4, 24, false);
    const platform::pixel_view view = platform::selected_pixels(s.dc.get());
    EXPECT_EQ(view.bits, s.picture->bits);
    EXPECT_EQ(view.stride, 24u);
    EXPECT_EQ(view.width, 7);
    EXPECT_EQ(view.height, 4);
    EXPECT_EQ(view.depth, 24);
    EXPECT_TRUE(view.bottom_up);
    EXPECT_EQ(view.row_from_top(0), s.picture->row_from_top(0));

    EXPECT_EQ(platform::select_bitmap(s.dc.get(), nullptr), s.picture.get());
    EXPECT_EQ(platform::selected_pixels(s.dc.get()).bits, nullptr);
}

TEST(DeviceContext, BlockTransferClipsToBothBitmapsAndLeavesTheRestAlone) {
    surface from(4, 4, 24, true);
    surface to(4, 4, 24, false);
    // A block reaching beyond the source's right and bottom edges copies only what exists.
    ASSERT_TRUE(platform::block_transfer(to.dc.get(), 0, 0, 4, 4, from.dc.get(), 2, 1));
    EXPECT_EQ(to.blue(0, 0), from.blue(2, 1));
    EXPECT_EQ(to.blue(1, 2), from.blue(3, 3));
    EXPECT_EQ(to.blue(2, 0), 0);  // beyond the source: untouched (black)
    EXPECT_EQ(to.blue(0, 3), 0);

    // A negative destination corner skips the source's first columns and rows.
    surface again(4, 4, 24, false);
    ASSERT_TRUE(platform::block_transfer(again.dc.get(), -1, -2, 4, 4, from.dc.get(), 0, 0));
    EXPECT_EQ(again.blue(0, 0), from.blue(1, 2));
    EXPECT_EQ(again.blue(2, 1), from.blue(3, 3));
    EXPECT_EQ(again.blue(3, 0), 0);

    device_context empty;
    EXPECT_FALSE(platform::block_transfer(&empty, 0, 0, 1, 1, from.dc.get(), 0, 0));
}

TEST(DeviceContext, BlockTransferBetweenDepths) {
    surface from(2, 1, 32, false);
    std::uint8_t* p = from.picture->row_from_top(0);
    p[0] = 10, p[1] = 20, p[2] = 30, p[3] = 99;
    surface to(2, 1, 24, false);
    ASSERT_TRUE(platform::block_transfer(to.dc.get(), 1, 0, 1, 1, from.dc.get(), 0, 0));
    const std::uint8_t* q = to.picture->row_from_top(0) + 3;
    EXPECT_EQ(q[0], 10);
    EXPECT_EQ(q[1], 20);
    EXPECT_EQ(q[2], 30);
    EXPECT_EQ(to.picture->row_from_top(0)[0], 0);
}

TEST(DeviceContext, FillRectClipsAndUsesRedInTheLowByte) {
    surface s(3, 3, 32, false);
    s.picture->row_from_top(1)[4 + 3] = 77;  // alpha of pixel (1, 1)
    ASSERT_TRUE(platform::fill_rect(s.dc.get(), 1, -5, 10, 7, 0x00332211));
    const std::uint8_t* p = s.picture->row_from_top(1) + 4;
    EXPECT_EQ(p[0], 0x33);  // blue
    EXPECT_EQ(p[1], 0x22);
    EXPECT_EQ(p[2], 0x11);  // red
    EXPECT_EQ(p[3], 77);    // alpha left alone
    EXPECT_EQ(s.picture->row_from_top(2)[4], 0);  // below the box
    EXPECT_EQ(s.picture->row_from_top(0)[0], 0);  // left of it
}

TEST(DeviceContext, PaintsTopDownFourBytePicturesIntoTheBitmap) {
    surface s(3, 2, 24, false);
    // A 2 x 2 picture, blue byte = 100 + index, painted one pixel left of the edge.
    std::vector<std::uint8_t> picture(2 * 8);
    for (int i = 0; i < 4; ++i) picture[static_cast<std::size_t>(i) * 4] = static_cast<std::uint8_t>(100 + i);
    ASSERT_TRUE(platform::paint_bgrx(s.dc.get(), -1, 0, picture.data(), 8, 2, 2));
    EXPECT_EQ(s.blue(0, 0), 101);
    EXPECT_EQ(s.blue(0, 1), 103);
    EXPECT_EQ(s.blue(1, 0), 0);
}

TEST(DeviceContext, BatchLimitIsRememberedAndRestored) {
    const int before = platform::set_batch_limit(1);
    EXPECT_EQ(platform::set_batch_limit(before), 1);
}

}  // namespace
