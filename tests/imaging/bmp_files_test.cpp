#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "imaging/drawing.h"
#include "imaging/image_files.h"
#include "pixels.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace {

using namespace imaging;
using imaging_test::bgr;
using imaging_test::pixel;

std::uint32_t le32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

// Where a drive-C name lives on this machine (the folder is made on first use).
std::string drive_c(const std::string& name) { return platform::native_path("C:/" + name); }

TEST(SaveImage, PreviewBmpHasTheExactSizeAndHeaders) {
    ASSERT_NE(create_image(64999, 250, 250), 0);
    imaging_test::set_pixel(64999, 0, 0, {1, 2, 3});        // top-left
    imaging_test::set_pixel(64999, 249, 249, {4, 5, 6});    // bottom-right
    ASSERT_EQ(save_image(64999, "C:/shot.jpg"), 1);
    const std::string file = test_support::read_file(drive_c("shot.jpg"));
    ASSERT_EQ(file.size(), 188054u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(le32(file, 2), 188054u);
    EXPECT_EQ(le32(file, 10), 54u);
    EXPECT_EQ(le32(file, 14), 40u);
    EXPECT_EQ(le32(file, 18), 250u);
    EXPECT_EQ(le32(file, 22), 250u);  // positive: bottom row first
    EXPECT_EQ(le32(file, 26), 1u | 24u << 16);
    EXPECT_EQ(le32(file, 34), 752u * 250u);
    // The bottom row comes first, the top row last; pixels as blue, green, red.
    EXPECT_EQ(file.substr(54 + 249 * 3, 3), std::string("\4\5\6"));
    EXPECT_EQ(file.substr(54 + 249 * 752, 3), std::string("\1\2\3"));
}

TEST(SaveImage, RefusesMissingNamesImagesAndEncoders) {
    ASSERT_NE(create_image(1, 8, 8), 0);
    EXPECT_EQ(save_image(1, ""), 0);
    EXPECT_EQ(save_image(3, "C:/none.bmp"), 0);
    EXPECT_EQ(save_image(1, "C:/x.png", four_cc("PNG ")), 0);
    EXPECT_EQ(save_image(1, "C:/x.jpg", jpeg_encoder, 5), 0);  // JPEG not registered yet
    EXPECT_EQ(test_support::read_file(drive_c("x.png")), "");
    EXPECT_EQ(test_support::read_file(drive_c("x.jpg")), "");
    EXPECT_EQ(save_image(1, "D:/other-drive.bmp"), 0);
}

TEST(SaveImage, UnwritableFileGivesZero) {
    ASSERT_NE(create_image(1, 8, 8), 0);
    EXPECT_EQ(save_image(1, "C:/no/such/folder/x.bmp"), 0);
    EXPECT_EQ(save_image(1, "/dev/full"), 0);
}

TEST(SaveImage, ThirtyTwoBitPixelsAreCompositedOverWhite) {
    ASSERT_NE(create_image(4, 3, 1, 32), 0);
    const std::uint8_t pixels[3][4] = {{10, 20, 30, 255}, {10, 20, 30, 0}, {0, 100, 200, 128}};
    for (int x = 0; x < 3; ++x) std::memcpy(imaging_test::pixel_address(4, x, 0), pixels[x], 4);
    ASSERT_EQ(save_image(4, "C:/alpha.bmp"), 1);
    const std::string file = test_support::read_file(drive_c("alpha.bmp"));
    ASSERT_EQ(file.size(), 54u + 12u);
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(file[54 + i]); };
    EXPECT_EQ(at(0), 10);   // opaque: unchanged
    EXPECT_EQ(at(3), 255);  // transparent: white
    EXPECT_EQ(at(6), (0 * 128 + 255 * 127) / 255);
    EXPECT_EQ(at(8), (200 * 128 + 255 * 127) / 255);
}

TEST(LoadImage, BmpFilesComeBackPixelForPixel) {
    ASSERT_NE(create_image(7, 13, 5), 0);  // 39-byte rows, padded to 40
    imaging_test::paint_pattern(7);
    ASSERT_EQ(save_image(7, "C:/Round Trip.bmp"), 1);
    ASSERT_NE(load_image(8, "c:\\round trip.BMP"), 0);
    EXPECT_EQ(image_width(8), 13);
    EXPECT_EQ(image_height(8), 5);
    EXPECT_EQ(image_depth(8), 24);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(pixel(8, x, y), imaging_test::pattern(x, y));
}

TEST(LoadImage, UnreadableFilesGiveZeroAndReleaseTheOldImage) {
    test_support::write_file(drive_c("two.jpg"), "\xFF\xD8");
    test_support::write_file(drive_c("text.jpg"), "this is not a picture at all");
    test_support::write_file(drive_c("bad.bmp"), "BM but nothing else");
    for (const char* name : {"C:/two.jpg", "C:/text.jpg", "C:/bad.bmp", "C:/missing.jpg"}) {
        ASSERT_NE(create_image(2, 4, 4), 0);
        EXPECT_EQ(load_image(2, name), 0) << name;
        EXPECT_EQ(image_bitmap(2), nullptr) << name;
        EXPECT_EQ(image_width(2), 0) << name;
    }
}

TEST(LoadImage, AutoNumberGivesANewNumberAndNothingOnFailure) {
    ASSERT_NE(create_image(1, 6, 3), 0);
    ASSERT_EQ(save_image(1, "C:/a.bmp"), 1);
    const std::intptr_t number = load_image(auto_image_number, "C:/a.bmp");
    ASSERT_NE(number, 0);
    EXPECT_EQ(image_width(number), 6);
    EXPECT_EQ(load_image(auto_image_number, "C:/missing.bmp"), 0);
}

}  // namespace
