// The end of a run alone: the mosaic assembled from tile files already on drive C (decoded
// row of tiles by row of tiles, resampled to the area, encoded), against libjpeg-turbo
// decoding the same tile files and encoding the same mosaic's pixels, in the same process.
// The tile files are pattern tiles saved as the capture saves them, so no browser is needed
// and a large area is measured in seconds.
//
//   build/bench/bench_assembly [--tiles N] [--repeat R]
//
// --tiles N: an area of at least N tiles at zoom 15 from (48.8, 2.3) north and east (default
// 5000); --repeat R: the measurement made R times, the tile files written afresh each time
// (default 3).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/area.h"
#include "app/preview_and_mosaic.h"
#include "app/temporary_files.h"
#include "app/tile_capture.h"
#include "app/tile_grid.h"
#include "common/area_of_tiles.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "pattern.h"
#include "platform/bitmap.h"
#include "services/files.h"

namespace {

using clock_type = std::chrono::steady_clock;

constexpr int zoom = 15;
constexpr int compression = 5;

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

// Tile files 1 to P of the walk, written as the capture writes them: the pattern tile in the
// tile image, saved at the run's compression.
bool write_tiles(const app::tile_grid& grid, app::temporary_files& files) {
    if (imaging::create_image(app::tile_image, 256, 256, 24) == 0) return false;
    platform::bitmap* tile = imaging::image_bitmap(app::tile_image);
    for (int64_t k = 1; k <= app::tile_count(grid); ++k) {
        const app::tile_position at = app::walk_tile(grid, k);
        const tileserver::rgb_image pattern = tileserver::pattern_tile(at.x, at.y, zoom);
        for (int y = 0; y < 256; ++y) {
            std::uint8_t* row = tile->row_from_top(y);
            const std::uint8_t* from = pattern.at(0, y);
            for (int x = 0; x < 256; ++x) {  // the store's pixels are blue, green, red
                row[3 * x] = from[3 * x + 2];
                row[3 * x + 1] = from[3 * x + 1];
                row[3 * x + 2] = from[3 * x];
            }
        }
        if (!imaging::save_image(app::tile_image, app::tile_file_name(k), imaging::jpeg_encoder, compression))
            return false;
        files.add_tile(k);
    }
    imaging::free_image(app::tile_image);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int64_t wanted = 5000;
    long repeat = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        char* end = nullptr;
        const long value = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
        if ((word != "--tiles" && word != "--repeat") || !end || *end != '\0' || value <= 0 || value > 100000) {
            std::fprintf(stderr, "usage: bench_assembly [--tiles N] [--repeat R]\n");
            return 2;
        }
        (word == "--tiles" ? wanted : repeat) = value;
        ++i;
    }
    char folder_template[] = "/tmp/bench_assembly.XXXXXX";
    if (!mkdtemp(folder_template)) return 1;
    const std::filesystem::path folder = folder_template;
    setenv("LOMTRA_SAT_DRIVE_C", (folder / "drive_c").c_str(), 1);
    std::filesystem::create_directories(folder / "drive_c");
    imaging::start_image_store();
    imaging::start_image_decoders();
    imaging::register_jpeg_encoder();
    imaging::register_jpeg_decoder();

    const app::area bounds = bench::area_of_at_least(wanted, zoom);
    const app::tile_grid grid = app::compute_grid(bounds, zoom);
    const int64_t tiles = app::tile_count(grid);
    std::printf("assembly: %lld tiles at zoom 15 (lat %.3f..%.3f, lon %.3f..%.3f), compression %d\n",
                static_cast<long long>(tiles), bounds.lat_min, bounds.lat_max, bounds.lon_min, bounds.lon_max,
                compression);
    int status = 0;
    for (long run = 1; run <= repeat && status == 0; ++run) {
        app::temporary_files files;
        if (!write_tiles(grid, files)) {
            std::fprintf(stderr, "bench_assembly: the tile files could not be written\n");
            status = 1;
            break;
        }
        // libjpeg-turbo decoding the tile files, as the assembly decodes them (they stay for it).
        auto at = clock_type::now();
        constexpr int decoded_tile = 5;
        for (int64_t k = 1; k <= tiles; ++k) {
            imaging::load_image(decoded_tile, app::tile_file_name(k));
            imaging::free_image(decoded_tile);
        }
        const double decoding = ms_since(at);
        const std::string mosaic_name = "C:/bench-mosaic.jpg", encoded_name = "C:/bench-encoded.jpg";
        at = clock_type::now();
        const std::string failure = app::assemble_mosaic(grid, bounds, zoom, compression, mosaic_name, files);
        const double assembly = ms_since(at);
        files.remove_all();
        // libjpeg-turbo encoding the same pixels from memory: the mosaic read back, encoded again.
        constexpr int mosaic_image = 6;
        double encoding = -1;
        if (failure.empty() && imaging::load_image(mosaic_image, mosaic_name) != 0) {
            at = clock_type::now();
            imaging::save_image(mosaic_image, encoded_name, imaging::jpeg_encoder, compression);
            encoding = ms_since(at);
        }
        const int width = imaging::image_width(mosaic_image), height = imaging::image_height(mosaic_image);
        imaging::free_image(mosaic_image);
        services::remove_file(mosaic_name);
        services::remove_file(encoded_name);
        if (!failure.empty() || encoding < 0) {
            std::fprintf(stderr, "bench_assembly: %s\n", failure.empty() ? "the mosaic could not be read" : failure.c_str());
            status = 1;
            break;
        }
        std::printf("  run %ld: %d x %d px; assembly %7.0f ms; libjpeg-turbo decode %6.0f + encode %6.0f ms; "
                    "ratio %.2f\n",
                    run, width, height, assembly, decoding, encoding, assembly / (decoding + encoding));
    }
    std::filesystem::remove_all(folder);
    return status;
}
