// Image file throughput: save_image and load_image against libjpeg-turbo called directly with
// the same settings on the same pixels, the preview shrink, and the peak memory of a large save.
//
//   bench_imaging [--large-side N]   (N = 0 skips the large save; default 30000)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <sys/stat.h>

#include "imaging/drawing.h"
#include "imaging/image_files.h"
#include "imaging/jpeg_codec.h"
#include "imaging/scaling.h"
#include "platform/paths.h"

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_of(const std::function<void()>& work) {
    const auto start = clock_type::now();
    work();
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// Runs the two alternately and keeps the best time of each, so a busy moment of the machine
// does not land on one side only.
std::pair<double, double> best_of(const std::function<void()>& ours, const std::function<void()>& direct,
                                  int repeats) {
    double best_ours = 1e30, best_direct = 1e30;
    for (int i = 0; i < repeats; ++i) {
        best_ours = std::min(best_ours, seconds_of(ours));
        best_direct = std::min(best_direct, seconds_of(direct));
    }
    return {best_ours, best_direct};
}

// A picture with smooth shapes and grain, so the coder has real work (not a flat colour).
void paint(imaging::image_number number) {
    platform::bitmap* picture = imaging::image_bitmap(number);
    std::uint32_t seed = 12345;
    for (int y = 0; y < picture->height; ++y) {
        std::uint8_t* row = picture->row_from_top(y);
        for (int x = 0; x < picture->width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 27) - 16;
            const double wave = 60.0 * std::sin(x / 17.0 + y / 23.0) + 40.0 * std::cos(y / 41.0 - x / 57.0);
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = static_cast<std::uint8_t>(std::clamp(128 + static_cast<int>(wave) * (c + 1) / 3 + grain, 0, 255));
        }
    }
}

// The same pixels as top-down red, green, blue rows: what a direct libjpeg caller hands over.
std::vector<std::uint8_t> rgb_rows(imaging::image_number number) {
    const platform::bitmap* picture = imaging::image_bitmap(number);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture->width) * picture->height * 3);
    for (int y = 0; y < picture->height; ++y) {
        const std::uint8_t* in = picture->row_from_top(y);
        std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * picture->width * 3;
        for (int x = 0; x < picture->width; ++x) {
            out[x * 3] = in[x * 3 + 2];
            out[x * 3 + 1] = in[x * 3 + 1];
            out[x * 3 + 2] = in[x * 3];
        }
    }
    return rgb;
}

void direct_save(const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height, int level) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::exit(1);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, imaging::jpeg_quality(level), FALSE);
    jpeg_start_compress(&cinfo, TRUE);
    for (int y = 0; y < height; ++y) {
        JSAMPROW row = const_cast<JSAMPLE*>(rgb.data() + static_cast<std::size_t>(y) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

// Reads the whole file, decodes with the slow integer DCT into a new RGB picture.
void direct_load(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) std::exit(1);
    std::fseek(file, 0, SEEK_END);
    std::vector<unsigned char> data(static_cast<std::size_t>(std::ftell(file)));
    std::fseek(file, 0, SEEK_SET);
    if (std::fread(data.data(), 1, data.size(), file) != data.size()) std::exit(1);
    std::fclose(file);
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    const std::size_t row_bytes = static_cast<std::size_t>(cinfo.output_width) * 3;
    auto* picture = static_cast<std::uint8_t*>(std::calloc(row_bytes, cinfo.output_height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = picture + row_bytes * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(picture);
}

// Seconds one name mapping takes; measured once in main().
double mapping_seconds = 0;

void compare(const char* what, int width, int height, int count, int level, int repeats) {
    imaging::create_image(1, width, height);
    paint(1);
    const std::vector<std::uint8_t> rgb = rgb_rows(1);
    const std::string ours_name = "C:/bench-ours.jpg";
    const std::string ours_path = platform::native_path(ours_name);
    const std::string direct_path = platform::native_path("C:/bench-direct.jpg");
    const double megapixels = static_cast<double>(width) * height * count / 1e6;

    const auto [save_ours, save_direct] = best_of(
        [&] {
            for (int i = 0; i < count; ++i) imaging::save_image(1, ours_name, imaging::jpeg_encoder, level);
        },
        [&] {
            for (int i = 0; i < count; ++i) direct_save(direct_path, rgb, width, height, level);
        },
        repeats);
    const auto [load_ours, load_direct] = best_of(
        [&] {
            for (int i = 0; i < count; ++i) imaging::load_image(2, ours_name);
        },
        [&] {
            for (int i = 0; i < count; ++i) direct_load(direct_path);
        },
        repeats);
    // The direct calls get a ready path; the glue maps a program file name first.
    const double mapping = mapping_seconds * count;
    std::printf("%-22s level %2d  save %6.1f MP/s vs direct %6.1f MP/s  ratio %.3f (%.3f without name mapping)   "
                "load %6.1f MP/s vs direct %6.1f MP/s  ratio %.3f (%.3f)\n",
                what, level, megapixels / save_ours, megapixels / save_direct, save_direct / save_ours,
                save_direct / (save_ours - mapping), megapixels / load_ours, megapixels / load_direct,
                load_direct / load_ours, load_direct / (load_ours - mapping));
    std::remove(ours_path.c_str());
    std::remove(direct_path.c_str());
    imaging::free_image(1);
    imaging::free_image(2);
}

long status_kb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

void large_save(int side) {
    if (imaging::create_image(65001, side, side) == 0) {
        std::printf("large save: cannot make a %d x %d image\n", side, side);
        return;
    }
    // Touch every pixel so the image's own memory is resident before the save is measured.
    platform::bitmap* picture = imaging::image_bitmap(65001);
    for (int y = 0; y < side; ++y) {
        std::uint8_t* row = picture->row_from_top(y);
        for (int x = 0; x < side * 3; ++x) row[x] = static_cast<std::uint8_t>((x * 7 + y * 3) ^ (x >> 5));
    }
    const double image_mb = static_cast<double>(picture->size_in_bytes()) / (1 << 20);
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak count from here
    const long before = status_kb("VmHWM:");
    const auto start = clock_type::now();
    const int saved = imaging::save_image(65001, "C:/bench-large.jpg", imaging::jpeg_encoder, 5);
    const double took = std::chrono::duration<double>(clock_type::now() - start).count();
    const long after = status_kb("VmHWM:");
    std::printf("large save %d x %d level 5: result %d in %.1f s; image %.0f MB; peak resident %.0f MB before, "
                "%.0f MB during the save (+%.1f MB)\n",
                side, side, saved, took, image_mb, static_cast<double>(before) / 1024.0, static_cast<double>(after) / 1024.0,
                static_cast<double>(after - before) / 1024.0);
    std::remove(platform::native_path("C:/bench-large.jpg").c_str());
    imaging::free_image(65001);
}

}  // namespace

int main(int argc, char** argv) {
    int large_side = 30000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--large-side") large_side = std::atoi(argv[i + 1]);
    // Files go to memory-backed storage when there is some, so disk flushes do not drown the
    // difference being measured; LOMTRA_SAT_DRIVE_C chooses another place.
    if (!std::getenv("LOMTRA_SAT_DRIVE_C")) {
        struct stat info {};
        const bool shm = ::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode);
        setenv("LOMTRA_SAT_DRIVE_C", shm ? "/dev/shm/lomtra-bench-drive-c" : "/tmp/lomtra-bench-drive-c", 1);
    }
    std::printf("drive C: %s\n", platform::drive_c_root().c_str());
    {
        constexpr int calls = 2000;
        const double took = seconds_of([] {
            for (int i = 0; i < calls; ++i) platform::native_path("C:/bench-ours.jpg");
        });
        mapping_seconds = took / calls;
        std::printf("name mapping (part of every save_image and load_image): %.1f us per call\n",
                    mapping_seconds * 1e6);
    }

    imaging::start_image_decoders();
    imaging::start_drawing_layer();
    imaging::start_image_store();
    imaging::register_jpeg_decoder();
    imaging::register_jpeg_encoder();

    for (int level : {5, 10}) compare("256 x 256 tiles (x100)", 256, 256, 100, level, 7);
    for (int level : {5, 10}) compare("8192 x 8192", 8192, 8192, 1, level, 5);

    // The preview shrink: a loaded tile resized to a 126-pixel cell, as in a 2 x 2 grid.
    imaging::create_image(1, 256, 256);
    paint(1);
    imaging::save_image(1, "C:/bench-tile.jpg", imaging::jpeg_encoder, 5);
    constexpr int shrinks = 500;
    double shrink_total = 0;
    for (int i = 0; i < shrinks; ++i) {
        imaging::load_image(2, "C:/bench-tile.jpg");
        const auto start = clock_type::now();
        imaging::resize_image(2, 126, 126);
        shrink_total += std::chrono::duration<double>(clock_type::now() - start).count();
    }
    std::printf("preview shrink 256 -> 126 (smooth): %.1f us each (mean of %d)\n", shrink_total / shrinks * 1e6,
                shrinks);
    std::remove(platform::native_path("C:/bench-tile.jpg").c_str());

    if (large_side > 0) large_save(large_side);
    imaging::free_all_images();
    return 0;
}
