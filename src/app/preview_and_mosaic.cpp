#include "app/preview_and_mosaic.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "app/georeferenced_cut.h"
#include "app/main_window.h"
#include "app/output_files.h"
#include "app/preview_layout.h"
#include "app/run_messages.h"
#include "imaging/drawing.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "imaging/resampling.h"
#include "imaging/scaling.h"
#include "platform/bitmap.h"
#include "platform/handles.h"
#include "platform/paths.h"
#include "services/files.h"
#include "services/text.h"
#include "ui/gadgets.h"
#include "ui/windows.h"

namespace app {
namespace {

constexpr char preview_file[] = "C:/shot.jpg";
constexpr int32_t tile_size_pixels = 256;

int32_t column_count(const tile_grid& grid) { return grid.column_span + 1; }
int32_t row_count(const tile_grid& grid) { return grid.row_span + 1; }

void show_preview(bool keep_file) {
    if (keep_file) imaging::save_image(preview_image, preview_file);
    ui::gadget_set_state(GADGET_PREVIEW, reinterpret_cast<intptr_t>(imaging::image_bitmap(preview_image)));
}

std::string pixels_text(int64_t width, int64_t height) {
    return services::integer_to_text(width) + " x " + services::integer_to_text(height) + " pixels";
}

}  // namespace

void update_preview(const tile_grid& grid, int64_t k) {
    imaging::begin_drawing(imaging::image_target(preview_image));
    imaging::load_image(preview_tile_image, tile_file_name(k));
    const int32_t columns = column_count(grid);
    const int32_t rows = row_count(grid);
    // Tile k of the walk lands in column (k - 1) mod C from the left, row 1 + (k - 1) div C
    // from the bottom.
    const auto preview_column = static_cast<int32_t>((k - 1) % columns);
    const auto preview_row = static_cast<int32_t>(1 + (k - 1) / columns);
    const preview_cell cell = preview_cell_at(columns, rows, preview_row, preview_column);
    // A tile that could not be loaded leaves its cell as it was.
    if (imaging::image_bitmap(preview_tile_image)) {
        imaging::resize_image(preview_tile_image, cell.size, cell.size);
        imaging::draw_image(imaging::image_bitmap(preview_tile_image), cell.x, cell.y);
    }
    imaging::end_drawing();
    show_preview(true);
}

int64_t mosaic_memory(const tile_grid& grid, const area& bounds, int zoom) {
    const imaging::resampler plan = mosaic_resampler(grid, bounds, zoom);
    const int64_t band = int64_t{plan.source_width()} * 3 * tile_size_pixels;
    const int64_t output_band = int64_t{plan.width()} * 3 * tile_size_pixels;
    // libjpeg's own rows (colour converted, down-sampled, one row of blocks) come to about 16
    // image rows; the resampling's plan holds some weights and places for each column and row.
    const int64_t encoder = int64_t{plan.width()} * 3 * 16;
    const int64_t plan_bytes = (int64_t{plan.width()} + plan.height()) * 64;
    // A tile loaded into the store (a picture of another kind) and one decoded whole because it
    // is larger than a cell: tiles the capture writes are neither, so a tile's worth each.
    const int64_t tiles = 2 * int64_t{tile_size_pixels} * tile_size_pixels * 4;
    // The rows of tiles the resampling reads, and the next, which the second thread decodes.
    const int64_t rows_of_tiles = row_count(grid);
    const int64_t bands =
        std::min<int64_t>(imaging::band_fed_resampling::bands_kept_for(plan, tile_size_pixels) + 1, rows_of_tiles);
    return band * bands + output_band + encoder + plan_bytes + tiles;
}

namespace {

// A tile's place in the band being filled: tile_size_pixels square, rows `stride` bytes apart.
struct tile_window {
    std::uint8_t* pixels = nullptr;
    std::size_t stride = 0;
    std::uint8_t* row(int r) const { return pixels + static_cast<std::size_t>(r) * stride; }
};

// The window of the tile in column t (from 0, left to right) of band `band`.
tile_window window_of(imaging::band_fed_resampling& resampling, int band, std::size_t t) {
    return {resampling.band_row(band, 0) + 3 * t * tile_size_pixels, resampling.band_row_bytes()};
}

// Copies a tile of 24-bit rows (`row_from_top` gives row r) into its window; a tile smaller
// than a grid cell leaves the rest black, a larger one is cut at the cell.
template <typename Rows>
void copy_rows(int width, int height, Rows row_from_top, const tile_window& window) {
    width = std::min(width, tile_size_pixels);
    height = std::min(height, tile_size_pixels);
    for (int r = 0; r < tile_size_pixels; ++r) {
        std::uint8_t* row = window.row(r);
        const int copied = r < height ? width : 0;
        if (copied > 0) std::memcpy(row, row_from_top(r), 3 * static_cast<std::size_t>(copied));
        std::memset(row + 3 * copied, 0, 3 * static_cast<std::size_t>(tile_size_pixels - copied));
    }
}

// A tile loaded into the image store, at whatever depth it came.
void copy_tile(const platform::bitmap& tile, const tile_window& window) {
    platform::bitmap_handle copy;
    const platform::bitmap* pixels = &tile;
    if (tile.depth != 24) {
        copy.reset(platform::copy_bitmap_24(&tile));
        pixels = copy.get();
    }
    // A picture that could not be converted leaves its cell black.
    copy_rows(pixels ? pixels->width : 0, pixels ? pixels->height : 0,
              [pixels](int r) { return pixels->row_from_top(r); }, window);
}

// One row of tiles read back from their files straight into the band that takes them, on a
// second thread while the row before it is resampled and encoded: the two take about as long,
// and the machine has the cores. A picture larger than a cell is decoded whole and cut.
struct tile_row_job {
    std::vector<std::string> paths;  // native paths, one per tile, left to right
    std::vector<tile_window> windows;
    imaging::decoded_picture larger;  // memory for a picture larger than a cell, kept for the next
};

// Per tile: whether it was decoded into its window. What was not is loaded on the main thread,
// as any image is: a picture of another kind, or the failure to report.
std::vector<char> decode_tile_row(tile_row_job& job) {
    std::vector<char> decoded;
    try {
        decoded.resize(job.paths.size());
    } catch (const std::bad_alloc&) {
        return {};
    }
    for (std::size_t t = 0; t < job.paths.size(); ++t) {
        const tile_window& window = job.windows[t];
        if (imaging::decode_jpeg_file_into(job.paths[t], window.pixels, window.stride, tile_size_pixels,
                                           tile_size_pixels)) {
            decoded[t] = 1;
        } else if (imaging::decode_jpeg_file(job.paths[t], job.larger)) {
            copy_rows(job.larger.width, job.larger.height, [&job](int r) { return job.larger.row(r); }, window);
            decoded[t] = 1;
        }
    }
    return decoded;
}

// Row i of the grid (counted from the bottom, as the walk goes) into band `band` of the
// resampling, its files named here: drive C's names are looked up on this thread only. No
// future at all when even that cannot be had.
std::future<std::vector<char>> start_decoding_row(const tile_grid& grid, int32_t i, int band,
                                                  imaging::band_fed_resampling& resampling, tile_row_job& job) {
    const int32_t columns = column_count(grid);
    try {
        job.paths.clear();
        job.windows.clear();
        for (int32_t j = 1; j <= columns; ++j) {
            job.paths.push_back(platform::native_path(tile_file_name(static_cast<int64_t>(i - 1) * columns + j)));
            job.windows.push_back(window_of(resampling, band, static_cast<std::size_t>(j - 1)));
        }
        try {
            return std::async(std::launch::async, decode_tile_row, std::ref(job));
        } catch (const std::system_error&) {
            // No thread to be had (a tight memory limit): the row is decoded when it is needed.
            return std::async(std::launch::deferred, decode_tile_row, std::ref(job));
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::vector<char> take_row(std::future<std::vector<char>>& pending) {
    return pending.valid() ? pending.get() : std::vector<char>{};
}

std::string tile_not_loaded(const tile_grid& grid, int64_t k) {
    const bool missing = services::file_size(tile_file_name(k)) < 0;
    const tile_position tile = walk_tile(grid, k);
    return "The tile file \"" + tile_file_name(k) + "\" (tile x = " + services::integer_to_text(tile.x) +
           ", y = " + services::integer_to_text(tile.y) + ") could not be loaded back: " +
           (missing ? "the file is missing." : "it is damaged, or there is not enough memory to read it.");
}

}  // namespace

std::string assemble_mosaic(const tile_grid& grid, const area& bounds, int zoom, int compression,
                            const std::string& image_name, temporary_files& files) {
    const int32_t columns = column_count(grid);
    const int32_t rows = row_count(grid);
    const imaging::resampler plan = mosaic_resampler(grid, bounds, zoom);
    imaging::jpeg_band_writer writer;
    std::string write_failure;
    // One band past the one being resampled is filled by the second thread meanwhile.
    imaging::band_fed_resampling resampling(
        plan, tile_size_pixels,
        [&](int, int count, const std::uint8_t* pixels, std::size_t stride) {
            errno = 0;
            if (writer.write_rows(pixels, count, static_cast<std::ptrdiff_t>(stride))) return true;
            write_failure = mosaic_file_failure(image_name);
            return false;
        },
        1);
    if (!resampling.ready()) {
        return "The mosaic of " + pixels_text(plan.width(), plan.height()) + " could not be made: not enough memory.";
    }
    errno = 0;
    imaging::report_image_file_error("");
    if (!writer.start(platform::native_path(image_name), plan.width(), plan.height(), compression))
        return mosaic_file_failure(image_name);

    // The canvas' top band is the walk's last row of tiles: the walk goes northwards from the
    // bottom row. An unfinished file is removed by the writer as it goes.
    tile_row_job job;
    std::future<std::vector<char>> next_row = start_decoding_row(grid, rows, 0, resampling, job);
    for (int32_t i = rows; i >= 1; --i) {
        const int band = rows - i;
        const std::vector<char> decoded = take_row(next_row);
        if (i > 1) next_row = start_decoding_row(grid, i - 1, band + 1, resampling, job);
        for (int32_t j = 1; j <= columns; ++j) {
            const int64_t k = static_cast<int64_t>(i - 1) * columns + j;
            const auto t = static_cast<std::size_t>(j - 1);
            if (t >= decoded.size() || !decoded[t]) {
                // What the second thread could not decode is loaded as any image is: a picture
                // of another kind, or the failure to report.
                if (!imaging::load_image(assembly_tile_image, tile_file_name(k))) return tile_not_loaded(grid, k);
                copy_tile(*imaging::image_bitmap(assembly_tile_image), window_of(resampling, band, t));
                imaging::free_image(assembly_tile_image);
            }
            files.remove_tile(k);
        }
        if (!resampling.band_filled()) {
            return write_failure.empty() ? "The mosaic could not be made: not enough memory." : write_failure;
        }
        const int32_t done = percentage(rows - i + 1, rows);
        ui::gadget_set_text(GADGET_STATUS, "Constructing : " + services::integer_to_text(done) + " %");
        ui::gadget_set_state(GADGET_PROGRESS, done);
    }
    errno = 0;
    if (!writer.finish()) return mosaic_file_failure(image_name);
    return "";
}

void clear_preview(bool keep_file) {
    imaging::begin_drawing(imaging::image_target(preview_image));
    imaging::fill_box(0, 0, preview_size, preview_size, static_cast<uint32_t>(ui::rgb(0, 0, 0)));
    imaging::end_drawing();
    show_preview(keep_file);
}

}  // namespace app
