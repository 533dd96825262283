#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <jpeglib.h>

#include "imaging/image_files.h"
#include "imaging/jpeg_codec.h"
#include "pixels.h"
#include "platform/native_file.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace {

using namespace imaging;
using imaging_test::bgr;
using imaging_test::pixel;

// Where a drive-C name lives on this machine (the folder is made on first use).
std::string drive_c(const std::string& name) { return platform::native_path("C:/" + name); }

// What libjpeg itself reads from a file: size, components, luminance table, first scan line.
struct jpeg_facts {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<int> luminance_table;
    std::vector<std::uint8_t> top_row;  // red, green, blue
};

jpeg_facts read_facts(const std::string& path) {
    jpeg_facts facts;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return facts;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    facts.width = static_cast<int>(cinfo.image_width);
    facts.height = static_cast<int>(cinfo.image_height);
    facts.components = cinfo.num_components;
    for (int i = 0; i < DCTSIZE2; ++i) facts.luminance_table.push_back(cinfo.quant_tbl_ptrs[0]->quantval[i]);
    jpeg_start_decompress(&cinfo);
    facts.top_row.resize(cinfo.output_width * static_cast<unsigned>(cinfo.output_components));
    JSAMPROW row = facts.top_row.data();
    jpeg_read_scanlines(&cinfo, &row, 1);
    jpeg_abort_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return facts;
}

// The luminance table libjpeg makes for a quality on a fresh compression object.
std::vector<int> libjpeg_table(int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    cinfo.in_color_space = JCS_RGB;
    cinfo.input_components = 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, FALSE);
    std::vector<int> table;
    for (int i = 0; i < DCTSIZE2; ++i) table.push_back(cinfo.quant_tbl_ptrs[0]->quantval[i]);
    jpeg_destroy_compress(&cinfo);
    return table;
}

// Writes a grayscale JPEG whose row y has the grey value 40 + 10 y.
void write_grayscale(const std::string& path, int width, int height) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), static_cast<JSAMPLE>(40 + 10 * y));
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

// An image whose top half is red and bottom half blue, saved as JPEG.
void save_red_over_blue(image_number number, const char* name, int width, int height, int level) {
    ASSERT_NE(create_image(number, width, height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            imaging_test::set_pixel(number, x, y, y < height / 2 ? bgr{0, 0, 255} : bgr{255, 0, 0});
    ASSERT_EQ(save_image(number, name, jpeg_encoder, level), 1);
}

bool near(bgr a, bgr b, int tolerance = 12) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(a[static_cast<std::size_t>(c)] - b[static_cast<std::size_t>(c)]) > tolerance) return false;
    return true;
}

TEST(JpegWriter, CompressionLevelsGiveLibjpegsTablesForTenTimesTheLevel) {
    register_jpeg_encoder();
    ASSERT_NE(create_image(1, 16, 16), 0);
    imaging_test::paint_pattern(1);
    for (auto [level, quality] : {std::pair{2, 20}, {5, 50}, {10, 100}, {11, 100}, {-1, 0}, {0, 0}}) {
        ASSERT_EQ(save_image(1, "C:/q.jpg", jpeg_encoder, level), 1);
        EXPECT_EQ(read_facts(drive_c("q.jpg")).luminance_table, libjpeg_table(quality)) << "level " << level;
    }
    // Qualities below 25 keep entries above 255: 16-bit tables in an extended-sequential frame.
    const std::string lowest = test_support::read_file(drive_c("q.jpg"));
    EXPECT_NE(lowest.find("\xFF\xC1"), std::string::npos);
}

TEST(JpegWriter, KeepsSizeComponentsAndTheTopRowOnTop) {
    register_jpeg_encoder();
    save_red_over_blue(65001, "C:/Lomtra-SAT/../mosaic.jpg", 37, 21, 10);
    const jpeg_facts facts = read_facts(drive_c("mosaic.jpg"));
    EXPECT_EQ(facts.width, 37);
    EXPECT_EQ(facts.height, 21);
    EXPECT_EQ(facts.components, 3);
    ASSERT_GE(facts.top_row.size(), 3u);
    EXPECT_GT(facts.top_row[0], 200);  // red first: the image's top row
    EXPECT_LT(facts.top_row[2], 60);
}

TEST(JpegWriter, RegistersOnce) {
    register_jpeg_encoder();
    register_jpeg_encoder();
    ASSERT_NE(create_image(1, 8, 8), 0);
    EXPECT_EQ(save_image(1, "C:/once.jpg", jpeg_encoder, 5), 1);
}

TEST(JpegWriter, AFullDiskGivesZeroAndTheProgramGoesOn) {
    register_jpeg_encoder();
    ASSERT_NE(create_image(1, 256, 256), 0);
    imaging_test::paint_pattern(1);
    EXPECT_EQ(save_image(1, "/dev/full", jpeg_encoder, 10), 0);
    // libjpeg's own words reach whoever reports the failure.
    EXPECT_NE(last_image_file_error().find("write"), std::string::npos) << last_image_file_error();
    EXPECT_EQ(save_image(1, "C:/no/such/folder/x.jpg", jpeg_encoder, 10), 0);
    EXPECT_EQ(last_image_file_error(), "No such file or directory");
    EXPECT_EQ(save_image(1, "C:/after.jpg", jpeg_encoder, 10), 1);  // still working
    EXPECT_EQ(last_image_file_error(), "");
}

TEST(JpegWriter, AWriteThatBreaksOffRemovesThePartialFile) {
    register_jpeg_encoder();
    ASSERT_NE(create_image(1, 512, 512), 0);
    imaging_test::paint_pattern(1);
    // Files may grow to 4 KB only; writes beyond fail instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    limit.rlim_max = before.rlim_max;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const int result = save_image(1, "C:/partial.jpg", jpeg_encoder, 10);
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_EQ(result, 0);
    std::FILE* left = std::fopen(drive_c("partial.jpg").c_str(), "rb");
    EXPECT_EQ(left, nullptr);
    if (left) std::fclose(left);
}

// A file written band by band, from memory either way up, has the whole-image writer's bytes;
// a file whose rows do not all come is refused and removed.
TEST(JpegBandWriter, BandsGiveTheWholeImageWritersBytes) {
    const int width = 70, height = 45;
    const std::size_t stride = 212;  // 210 bytes of pixels, padded as a bitmap's rows are
    std::vector<std::uint8_t> top_down(stride * height), bottom_up(stride * height);
    for (int y = 0; y < height; ++y)
        for (std::size_t b = 0; b < stride; ++b) {
            const auto value = static_cast<std::uint8_t>((b * 7 + static_cast<std::size_t>(y) * 13) ^ (b * y));
            top_down[y * stride + b] = value;
            bottom_up[(height - 1 - y) * stride + b] = value;
        }
    ASSERT_EQ(write_jpeg(drive_c("whole.jpg"), top_down.data(), width, height, stride, 0, 7), 1);
    const std::string whole = test_support::read_file(drive_c("whole.jpg"));
    ASSERT_FALSE(whole.empty());
    ASSERT_EQ(write_jpeg(drive_c("up.jpg"), bottom_up.data(), width, height, stride, rows_bottom_up, 7), 1);
    EXPECT_EQ(test_support::read_file(drive_c("up.jpg")), whole);

    const auto s = static_cast<std::ptrdiff_t>(stride);
    for (int band : {1, 8, 13, 45}) {
        jpeg_band_writer writer;
        ASSERT_TRUE(writer.start(drive_c("bands.jpg"), width, height, 7));
        for (int y = 0; y < height; y += band) {
            const int rows = std::min(band, height - y);
            if (band == 13) {  // from the bottom-up memory
                ASSERT_TRUE(writer.write_rows(bottom_up.data() + (height - 1 - y) * s, rows, -s));
            } else {
                ASSERT_TRUE(writer.write_rows(top_down.data() + y * s, rows, s));
            }
        }
        ASSERT_TRUE(writer.finish());
        EXPECT_EQ(test_support::read_file(drive_c("bands.jpg")), whole) << "bands of " << band;
    }

    {
        jpeg_band_writer writer;
        ASSERT_TRUE(writer.start(drive_c("short.jpg"), width, height, 7));
        ASSERT_TRUE(writer.write_rows(top_down.data(), height - 1, s));
        EXPECT_FALSE(writer.write_rows(top_down.data(), 2, s));
        EXPECT_FALSE(writer.finish());
    }
    EXPECT_EQ(platform::look_up_path(drive_c("short.jpg")).kind, platform::path_kind::missing);
}

TEST(JpegDecoder, SavedTilesLoadBackTheRightWayUp) {
    register_jpeg_encoder();
    register_jpeg_decoder();
    save_red_over_blue(1, "C:/1.jpg", 256, 256, 10);
    ASSERT_NE(create_image(2, 3, 3), 0);
    const std::intptr_t handle = load_image(2, "C:/1.jpg");
    ASSERT_NE(handle, 0);
    EXPECT_EQ(handle, reinterpret_cast<std::intptr_t>(image_bitmap(2)));
    EXPECT_EQ(image_width(2), 256);
    EXPECT_EQ(image_height(2), 256);
    EXPECT_EQ(image_depth(2), 24);
    EXPECT_TRUE(near(pixel(2, 0, 0), {0, 0, 255}));
    EXPECT_TRUE(near(pixel(2, 255, 255), {255, 0, 0}));
    EXPECT_TRUE(near(pixel(2, 100, 120), {0, 0, 255}));
}

TEST(JpegDecoder, GrayscaleLoadsWithEqualBlueGreenAndRed) {
    register_jpeg_decoder();
    write_grayscale(drive_c("grey.jpg"), 9, 7);
    ASSERT_NE(load_image(3, "C:/grey.jpg"), 0);
    EXPECT_EQ(image_depth(3), 24);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const bgr p = pixel(3, x, y);
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[1], p[2]);
        }
    EXPECT_NEAR(pixel(3, 4, 0)[0], 40, 2);
    EXPECT_NEAR(pixel(3, 4, 6)[0], 100, 2);
}

TEST(JpegDecoder, TruncatedFileLoadsWithItsDecodedRows) {
    register_jpeg_encoder();
    register_jpeg_decoder();
    ASSERT_NE(create_image(1, 128, 128), 0);
    imaging_test::paint_pattern(1);
    ASSERT_EQ(save_image(1, "C:/whole.jpg", jpeg_encoder, 10), 1);
    std::string bytes = test_support::read_file(drive_c("whole.jpg"));
    ASSERT_GT(bytes.size(), 4000u);  // the cut lands well inside the scan data
    bytes.resize(bytes.size() / 2);
    test_support::write_file(drive_c("cut.jpg"), bytes);
    ASSERT_NE(load_image(4, "C:/cut.jpg"), 0);
    EXPECT_EQ(image_width(4), 128);
    EXPECT_EQ(image_height(4), 128);
    EXPECT_TRUE(near(pixel(4, 70, 3), imaging_test::pattern(70, 3)));  // rows before the cut are there
}

TEST(JpegDecoder, DamagedOrForeignFilesGiveZero) {
    register_jpeg_decoder();
    test_support::write_file(drive_c("soi.jpg"), std::string("\xFF\xD8\xFF\xE0 garbage after the start"));
    test_support::write_file(drive_c("two.jpg"), "\xFF\xD8");
    test_support::write_file(drive_c("gif.jpg"), "GIF89a and so on");
    for (const char* name : {"C:/soi.jpg", "C:/two.jpg", "C:/gif.jpg"}) {
        ASSERT_NE(create_image(2, 4, 4), 0);
        EXPECT_EQ(load_image(2, name), 0) << name;
        EXPECT_EQ(image_bitmap(2), nullptr) << name;
    }
}

// The decoder the assembly runs on a second thread gives what a load into the store gives, a
// truncated file included, and nothing for a file that is not a JPEG.
// A 130 x 90 pattern saved as "C:/<name>.jpg", and its first half as "C:/<name>-cut.jpg".
void save_pattern_and_its_first_half(const std::string& name) {
    register_jpeg_encoder();
    register_jpeg_decoder();
    ASSERT_NE(create_image(1, 130, 90), 0);
    imaging_test::paint_pattern(1);
    ASSERT_EQ(save_image(1, "C:/" + name + ".jpg", jpeg_encoder, 10), 1);
    const std::string bytes = test_support::read_file(drive_c(name + ".jpg"));
    ASSERT_GT(bytes.size(), 4000u);  // the cut lands well inside the scan data
    test_support::write_file(drive_c(name + "-cut.jpg"), bytes.substr(0, bytes.size() / 2));
}

TEST(JpegDecoder, DecodingAFileApartFromTheStoreGivesTheSamePixels) {
    ASSERT_NO_FATAL_FAILURE(save_pattern_and_its_first_half("apart"));
    for (const char* name : {"apart.jpg", "apart-cut.jpg"}) {
        decoded_picture apart;
        ASSERT_TRUE(decode_jpeg_file(drive_c(name), apart)) << name;
        ASSERT_NE(load_image(2, std::string("C:/") + name), 0);
        ASSERT_EQ(apart.width, 130);
        ASSERT_EQ(apart.height, 90);
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 130; ++x) {
                const std::uint8_t* p = apart.row(y) + 3 * x;
                ASSERT_EQ((bgr{p[0], p[1], p[2]}), pixel(2, x, y)) << name << " at " << x << ", " << y;
            }
    }
    test_support::write_file(drive_c("gif.jpg"), "GIF89a and so on");
    for (const char* name : {"gif.jpg", "nowhere.jpg"}) {
        decoded_picture none;
        EXPECT_FALSE(decode_jpeg_file(drive_c(name), none)) << name;
        EXPECT_EQ(none.pixels, nullptr);
    }
}

// The assembly decodes tiles straight into their place in a band of the mosaic: the picture at
// the window's top left, black around it and where a truncated file ends, nothing written
// outside the window, and nothing at all for a picture that does not fit or is no JPEG.
TEST(JpegDecoder, DecodingIntoAWindowFillsExactlyTheWindow) {
    ASSERT_NO_FATAL_FAILURE(save_pattern_and_its_first_half("window"));
    constexpr int window_width = 160, window_height = 100;
    constexpr std::size_t stride = 3 * 200;
    constexpr std::uint8_t untouched = 0x5A;
    for (const char* name : {"window.jpg", "window-cut.jpg"}) {
        std::vector<std::uint8_t> memory(stride * 110, untouched);
        std::uint8_t* window = memory.data() + stride * 3 + 3 * 20;
        ASSERT_TRUE(decode_jpeg_file_into(drive_c(name), window, stride, window_width, window_height)) << name;
        ASSERT_NE(load_image(2, std::string("C:/") + name), 0);
        for (std::size_t at = 0; at < memory.size(); ++at) {
            const auto offset = static_cast<std::ptrdiff_t>(at) - (window - memory.data());
            const int y = static_cast<int>(offset >= 0 ? offset / static_cast<std::ptrdiff_t>(stride) : -1);
            const int x = static_cast<int>(offset >= 0 ? offset % static_cast<std::ptrdiff_t>(stride) / 3 : -1);
            if (offset < 0 || y >= window_height || x >= window_width) {
                ASSERT_EQ(memory[at], untouched) << name << ": byte " << at << " lies outside the window";
            } else if (x >= 130 || y >= 90) {
                ASSERT_EQ(memory[at], 0) << name << " at " << x << ", " << y;
            } else {
                ASSERT_EQ(memory[at], pixel(2, x, y)[static_cast<std::size_t>(offset % 3)])
                    << name << " at " << x << ", " << y;
            }
        }
    }
    test_support::write_file(drive_c("gif.jpg"), "GIF89a and so on");
    for (const auto& [name, width, height] : {std::tuple{"window.jpg", 129, 90}, std::tuple{"window.jpg", 130, 89},
                                              std::tuple{"gif.jpg", 160, 100}, std::tuple{"nowhere.jpg", 160, 100}}) {
        std::vector<std::uint8_t> memory(stride * 100, untouched);
        EXPECT_FALSE(decode_jpeg_file_into(drive_c(name), memory.data(), stride, width, height)) << name;
        EXPECT_EQ(std::count(memory.begin(), memory.end(), untouched), static_cast<std::ptrdiff_t>(memory.size()))
            << name << " in " << width << " x " << height;
    }
}

TEST(JpegDecoder, NothingIsDecodedBeforeRegistration) {
    register_jpeg_encoder();
    save_red_over_blue(1, "C:/early.jpg", 8, 8, 5);
    EXPECT_EQ(load_image(2, "C:/early.jpg"), 0);
    register_jpeg_decoder();
    EXPECT_NE(load_image(2, "C:/early.jpg"), 0);
}

}  // namespace
