#include "platform/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/temp_dir.h"

namespace {

using platform::bitmap;

using bitmap_ptr = platform::bitmap_handle;

TEST(SectionBitmap, RowsArePaddedBottomUpAndBlack) {
    bitmap_ptr b(platform::create_section_bitmap(5, 3, 24));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->stride, 16u);  // 15 bytes padded to 16
    EXPECT_TRUE(b->bottom_up);
    // The top row is the last row in memory.
    EXPECT_EQ(b->row_from_top(0), b->bits + 2 * 16);
    EXPECT_EQ(b->row_from_top(2), b->bits);
    for (std::size_t i = 0; i < b->size_in_bytes(); ++i) ASSERT_EQ(b->bits[i], 0);

    bitmap_ptr wide(platform::create_section_bitmap(5, 3, 32));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->stride, 20u);
    EXPECT_EQ(platform::section_stride(250, 24), 752u);
}

TEST(SectionBitmap, ReusedPixelMemoryStartsBlackAgain) {
    for (int round = 0; round < 3; ++round) {
        bitmap_ptr b(platform::create_section_bitmap(256, 256, 24));
        ASSERT_TRUE(b);
        for (std::size_t i = 0; i < b->size_in_bytes(); ++i) ASSERT_EQ(b->bits[i], 0) << "round " << round;
        std::memset(b->bits, 0xAB, b->size_in_bytes());
    }
}

TEST(SectionBitmap, RefusesEmptySizesAndOtherDepths) {
    EXPECT_EQ(platform::create_section_bitmap(0, 5, 24), nullptr);
    EXPECT_EQ(platform::create_section_bitmap(5, -1, 24), nullptr);
    EXPECT_EQ(platform::create_section_bitmap(5, 5, 8), nullptr);
    platform::delete_bitmap(nullptr);  // deleting nothing is harmless
}

TEST(SectionBitmap, Copy24KeepsColoursAndDropsAlpha) {
    bitmap_ptr source(platform::create_section_bitmap(3, 2, 32));
    ASSERT_TRUE(source);
    std::uint8_t* top = source->row_from_top(0);
    const std::uint8_t pixel[4] = {1, 2, 3, 200};
    std::memcpy(top + 8, pixel, 4);  // top row, third pixel
    bitmap_ptr copy(platform::copy_bitmap_24(source.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->depth, 24);
    EXPECT_EQ(copy->stride, 12u);
    const std::uint8_t* out = copy->row_from_top(0) + 6;
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(copy->row_from_top(1)[6], 0);
}

// A 2 x 2 24-bit BMP file (rows of 6 bytes padded to 8), height negative for top-down rows.
std::string tiny_bmp(int height_sign, std::uint32_t compression = 0) {
    std::string file(54 + 16, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, 70);
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, static_cast<std::uint32_t>(2 * height_sign));
    file[26] = 1;
    file[28] = 24;
    put32(30, compression);
    // First row in the file: blue pixel, then white; second row: green, then black.
    const unsigned char rows[16] = {255, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0};
    std::memcpy(&file[54], rows, 16);
    return file;
}

TEST(BitmapFile, LoadsBottomUpAndTopDownRows) {
    test_support::temp_dir dir;
    const std::string path = dir.file("a.bmp");
    ASSERT_TRUE(test_support::write_file(path, tiny_bmp(1)));
    bitmap_ptr b(platform::load_bitmap_file(path));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->width, 2);
    EXPECT_EQ(b->height, 2);
    EXPECT_EQ(b->depth, 24);
    EXPECT_EQ(b->row_from_top(1)[0], 255);  // the file's first row is the bottom row
    EXPECT_EQ(b->row_from_top(0)[1], 255);

    ASSERT_TRUE(test_support::write_file(path, tiny_bmp(-1)));
    bitmap_ptr flipped(platform::load_bitmap_file(path));
    ASSERT_TRUE(flipped);
    EXPECT_EQ(flipped->row_from_top(0)[0], 255);  // top-down: the first row is the top row
    EXPECT_EQ(flipped->row_from_top(1)[1], 255);
}

TEST(BitmapFile, RefusesDamagedOrUnsupportedFiles) {
    test_support::temp_dir dir;
    const std::string path = dir.file("b.bmp");
    std::string cut = tiny_bmp(1);
    cut.resize(60);
    ASSERT_TRUE(test_support::write_file(path, cut));
    EXPECT_EQ(platform::load_bitmap_file(path), nullptr);

    ASSERT_TRUE(test_support::write_file(path, tiny_bmp(1, 1)));  // run-length compressed
    EXPECT_EQ(platform::load_bitmap_file(path), nullptr);

    ASSERT_TRUE(test_support::write_file(path, "BM"));
    EXPECT_EQ(platform::load_bitmap_file(path), nullptr);
    EXPECT_EQ(platform::load_bitmap_file(dir.file("missing.bmp")), nullptr);
}

}  // namespace
