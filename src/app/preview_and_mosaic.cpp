#include "app/preview_and_mosaic.h"

#include "app/georeferenced_cut.h"
#include "app/main_window.h"
#include "app/preview_layout.h"
#include "app/program_state.h"
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

int32_t column_count() { return program.grid.column_span + 1; }
int32_t row_count() { return program.grid.row_span + 1; }

void show_preview() {
    imaging::save_image(preview_image, preview_file);
    ui::gadget_set_state(GADGET_PREVIEW, reinterpret_cast<intptr_t>(imaging::image_bitmap(preview_image)));
}

}  // namespace

std::string tile_file_name(int64_t k) { return "C:/" + services::integer_to_text(k) + ".jpg"; }

void update_preview(int64_t k) {
    imaging::begin_drawing(imaging::image_target(preview_image));
    imaging::load_image(preview_tile_image, tile_file_name(k));
    const int32_t columns = column_count();
    const int32_t rows = row_count();
    program.preview_scale = preview_scale(columns, rows);
    const preview_cell cell = preview_cell_at(columns, rows, program.preview_row, program.preview_column);
    // A tile that could not be loaded leaves its cell as it was; the counters still advance.
    if (imaging::image_bitmap(preview_tile_image)) {
        imaging::resize_image(preview_tile_image, cell.size, cell.size);
        imaging::draw_image(imaging::image_bitmap(preview_tile_image), cell.x, cell.y);
    }
    if (++program.preview_column == columns) {
        program.preview_column = 0;
        ++program.preview_row;
    }
    imaging::end_drawing();
    show_preview();
}

void assemble_mosaic() {
    draw_mosaic_canvas();
    cut_mosaic(mosaic_canvas_image, mosaic_image, program.grid, program.bounds, program.zoom);
}

void draw_mosaic_canvas() {
    const int32_t columns = column_count();
    const int32_t rows = row_count();
    imaging::create_image(mosaic_canvas_image, columns * tile_size_pixels, rows * tile_size_pixels);
    imaging::begin_drawing(imaging::image_target(mosaic_canvas_image));
    for (int32_t i = 1; i <= rows; ++i) {
        for (int32_t j = 1; j <= columns; ++j) {
            const int64_t k = static_cast<int64_t>(i - 1) * columns + j;
            imaging::load_image(assembly_tile_image, tile_file_name(k));
            imaging::draw_image(imaging::image_bitmap(assembly_tile_image), (j - 1) * tile_size_pixels,
                                (rows - i) * tile_size_pixels);
            imaging::free_image(assembly_tile_image);
            services::remove_file(tile_file_name(k));
        }
        const int32_t done = percentage(i, rows);
        ui::gadget_set_text(GADGET_STATUS, "Constructing : " + services::integer_to_text(done) + " %");
        ui::gadget_set_state(GADGET_PROGRESS, done);
    }
    imaging::end_drawing();
}

void clear_preview() {
    imaging::begin_drawing(imaging::image_target(preview_image));
    imaging::fill_box(0, 0, preview_size, preview_size, static_cast<uint32_t>(ui::rgb(0, 0, 0)));
    imaging::end_drawing();
    show_preview();
}

}  // namespace app
