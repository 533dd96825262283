#include "imaging/pixel_order.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PixelOrder, SwapsRedAndBlueOfEveryPixelAndNothingElse) {
    // Every width up to a few blocks, so the block path and the tail both meet every remainder.
    for (int width = 0; width <= 40; ++width) {
        std::vector<std::uint8_t> in(static_cast<std::size_t>(width) * 3);
        for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i + 1);
        std::vector<std::uint8_t> out(in.size() + 1, 0xEE);  // one guard byte after the row
        imaging::swap_red_blue(in.data(), out.data(), width);
        for (int x = 0; x < width; ++x) {
            const auto at = static_cast<std::size_t>(x) * 3;
            ASSERT_EQ(out[at], in[at + 2]) << width << ":" << x;
            ASSERT_EQ(out[at + 1], in[at + 1]);
            ASSERT_EQ(out[at + 2], in[at]);
        }
        EXPECT_EQ(out.back(), 0xEE) << "wrote past the row at width " << width;
    }
}

}  // namespace
