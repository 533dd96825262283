#include "app/preview_and_mosaic.h"

#include "app/georeferenced_cut.h"
#include "app/main_window.h"
#include "app/preview_layout.h"
#include "app/run_messages.h"
#include "imaging/drawing.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/scaling.h"
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

int64_t mosaic_memory(const tile_grid& grid) {
    const int64_t canvas_width = int64_t{column_count(grid)} * tile_size_pixels;
    const int64_t canvas_height = int64_t{row_count(grid)} * tile_size_pixels;
    const rectangle cut = mosaic_cut(grid);
    const auto bytes = [](int64_t width, int64_t height) { return (width * 3 + 3) / 4 * 4 * height; };
    return bytes(canvas_width, canvas_height) + bytes(cut.width, cut.height);
}

std::string assemble_mosaic(const tile_grid& grid, const area& bounds, int zoom, temporary_files& files) {
    const std::string drawn = draw_mosaic_canvas(grid, files);
    if (!drawn.empty()) return drawn;
    const bool cut_made = cut_mosaic(mosaic_canvas_image, mosaic_image, grid, bounds, zoom);
    // The canvas is not needed once the mosaic is made; its memory goes back at once.
    imaging::free_image(mosaic_canvas_image);
    if (cut_made) return "";
    const rectangle cut = mosaic_cut(grid);
    return "The mosaic of " + pixels_text(cut.width, cut.height) + " (" +
           size_text(int64_t{cut.width} * cut.height * 3) + ") could not be made from its canvas: not enough memory.";
}

std::string draw_mosaic_canvas(const tile_grid& grid, temporary_files& files) {
    // Whatever happens below, the mosaic image never shows an earlier run's mosaic.
    imaging::free_image(mosaic_image);
    imaging::free_image(mosaic_canvas_image);
    const int32_t columns = column_count(grid);
    const int32_t rows = row_count(grid);
    const int64_t canvas_width = int64_t{columns} * tile_size_pixels;
    const int64_t canvas_height = int64_t{rows} * tile_size_pixels;
    if (!imaging::create_image(mosaic_canvas_image, static_cast<int>(canvas_width), static_cast<int>(canvas_height))) {
        return "The mosaic canvas of " + pixels_text(canvas_width, canvas_height) + " (" +
               size_text(canvas_width * canvas_height * 3) + ") could not be allocated: not enough memory.";
    }
    if (!imaging::begin_drawing(imaging::image_target(mosaic_canvas_image))) {
        imaging::free_image(mosaic_canvas_image);
        return "The mosaic canvas could not be drawn on: not enough memory.";
    }
    for (int32_t i = 1; i <= rows; ++i) {
        for (int32_t j = 1; j <= columns; ++j) {
            const int64_t k = static_cast<int64_t>(i - 1) * columns + j;
            if (!imaging::load_image(assembly_tile_image, tile_file_name(k))) {
                const bool missing = services::file_size(tile_file_name(k)) < 0;
                imaging::end_drawing();
                imaging::free_image(mosaic_canvas_image);
                const tile_position tile = walk_tile(grid, k);
                return "The tile file \"" + tile_file_name(k) + "\" (tile x = " + services::integer_to_text(tile.x) +
                       ", y = " + services::integer_to_text(tile.y) + ") could not be loaded back: " +
                       (missing ? "the file is missing." : "it is damaged, or there is not enough memory to read it.");
            }
            imaging::draw_image(imaging::image_bitmap(assembly_tile_image), (j - 1) * tile_size_pixels,
                                (rows - i) * tile_size_pixels);
            imaging::free_image(assembly_tile_image);
            files.remove_tile(k);
        }
        const int32_t done = percentage(i, rows);
        ui::gadget_set_text(GADGET_STATUS, "Constructing : " + services::integer_to_text(done) + " %");
        ui::gadget_set_state(GADGET_PROGRESS, done);
    }
    imaging::end_drawing();
    return "";
}

void clear_preview(bool keep_file) {
    imaging::begin_drawing(imaging::image_target(preview_image));
    imaging::fill_box(0, 0, preview_size, preview_size, static_cast<uint32_t>(ui::rgb(0, 0, 0)));
    imaging::end_drawing();
    show_preview(keep_file);
}

}  // namespace app
