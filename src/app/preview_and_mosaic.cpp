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
    const int64_t tile = int64_t{tile_size_pixels} * tile_size_pixels * 4;
    // The row of tiles being copied and the next one being decoded.
    const int64_t decoded_rows = 2 * int64_t{column_count(grid)} * tile_size_pixels * tile_size_pixels * 3;
    return band * imaging::band_fed_resampling::bands_kept_for(plan, tile_size_pixels) + output_band + encoder +
           plan_bytes + tile + decoded_rows;
}

namespace {

// Copies a tile of 24-bit rows (`row_from_top` gives row r) into its place in the band being
// filled: tile_size_pixels columns from `left`; a tile smaller than a grid cell leaves the rest
// black.
template <typename Rows>
void copy_rows(int width, int height, Rows row_from_top, imaging::band_fed_resampling& resampling, int32_t left) {
    width = std::min(width, tile_size_pixels);
    height = std::min(height, tile_size_pixels);
    for (int r = 0; r < tile_size_pixels; ++r) {
        std::uint8_t* row = resampling.next_band_row(r) + 3 * static_cast<std::size_t>(left);
        const int copied = r < height ? width : 0;
        if (copied > 0) std::memcpy(row, row_from_top(r), 3 * static_cast<std::size_t>(copied));
        std::memset(row + 3 * copied, 0, 3 * static_cast<std::size_t>(tile_size_pixels - copied));
    }
}

// A tile loaded into the image store, at whatever depth it came.
void copy_tile(const platform::bitmap& tile, imaging::band_fed_resampling& resampling, int32_t left) {
    platform::bitmap_handle copy;
    const platform::bitmap* pixels = &tile;
    if (tile.depth != 24) {
        copy.reset(platform::copy_bitmap_24(&tile));
        pixels = copy.get();
    }
    // A picture that could not be converted leaves its cell black.
    copy_rows(pixels ? pixels->width : 0, pixels ? pixels->height : 0,
              [pixels](int r) { return pixels->row_from_top(r); }, resampling, left);
}

// A tile decoded apart from the image store.
void copy_tile(const imaging::decoded_picture& tile, imaging::band_fed_resampling& resampling, int32_t left) {
    copy_rows(tile.width, tile.height, [&tile](int r) { return tile.row(r); }, resampling, left);
}

// One row of tiles read back from their files. It is decoded on a second thread while the row
// before it is resampled and encoded: the two take about as long, and the machine has the cores.
struct tile_row {
    std::vector<imaging::decoded_picture> tiles;
    std::vector<char> decoded;  // per tile: whether the second thread could decode it
};

// Short of memory, the row comes back empty: its tiles are then loaded one by one, and the
// first that cannot be is reported. `row` is one decoded before, whose memory is used again:
// the two rows the assembly holds are all it ever holds, whichever thread made them.
tile_row decode_tile_row(const std::vector<std::string>& paths, tile_row row) {
    try {
        row.tiles.resize(paths.size());
        row.decoded.resize(paths.size());
    } catch (const std::bad_alloc&) {
        return tile_row{};
    }
    for (std::size_t t = 0; t < paths.size(); ++t)
        row.decoded[t] = !paths[t].empty() && imaging::decode_jpeg_file(paths[t], row.tiles[t]);
    return row;
}

// Row i of the grid (counted from the bottom, as the walk goes), its files named here: drive
// C's names are looked up on this thread only. No future at all when even that cannot be had.
std::future<tile_row> start_decoding_row(const tile_grid& grid, int32_t i, tile_row spare) {
    const int32_t columns = column_count(grid);
    try {
        std::vector<std::string> paths;
        for (int32_t j = 1; j <= columns; ++j)
            paths.push_back(platform::native_path(tile_file_name(static_cast<int64_t>(i - 1) * columns + j)));
        try {
            return std::async(std::launch::async, decode_tile_row, std::move(paths), std::move(spare));
        } catch (const std::system_error&) {
            // No thread to be had (a tight memory limit): the row is decoded when it is needed.
            return std::async(std::launch::deferred, decode_tile_row, std::move(paths), std::move(spare));
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
}

tile_row take_row(std::future<tile_row>& pending) { return pending.valid() ? pending.get() : tile_row{}; }

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
    imaging::band_fed_resampling resampling(
        plan, tile_size_pixels, [&](int, int count, const std::uint8_t* pixels, std::size_t stride) {
            errno = 0;
            if (writer.write_rows(pixels, count, static_cast<std::ptrdiff_t>(stride))) return true;
            write_failure = mosaic_file_failure(image_name);
            return false;
        });
    if (!resampling.ready()) {
        return "The mosaic of " + pixels_text(plan.width(), plan.height()) + " could not be made: not enough memory.";
    }
    errno = 0;
    imaging::report_image_file_error("");
    if (!writer.start(platform::native_path(image_name), plan.width(), plan.height(), compression))
        return mosaic_file_failure(image_name);

    // The canvas' top band is the walk's last row of tiles: the walk goes northwards from the
    // bottom row. An unfinished file is removed by the writer as it goes.
    std::future<tile_row> next_row = start_decoding_row(grid, rows, tile_row{});
    tile_row spare;
    for (int32_t i = rows; i >= 1; --i) {
        tile_row row = take_row(next_row);
        if (i > 1) next_row = start_decoding_row(grid, i - 1, std::move(spare));
        for (int32_t j = 1; j <= columns; ++j) {
            const int64_t k = static_cast<int64_t>(i - 1) * columns + j;
            const auto t = static_cast<std::size_t>(j - 1);
            if (t < row.decoded.size() && row.decoded[t]) {
                copy_tile(row.tiles[t], resampling, (j - 1) * tile_size_pixels);
            } else {
                // What the second thread could not decode is loaded as any image is: a picture
                // of another kind, or the failure to report.
                if (!imaging::load_image(assembly_tile_image, tile_file_name(k))) return tile_not_loaded(grid, k);
                copy_tile(*imaging::image_bitmap(assembly_tile_image), resampling, (j - 1) * tile_size_pixels);
                imaging::free_image(assembly_tile_image);
            }
            files.remove_tile(k);
        }
        spare = std::move(row);
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
