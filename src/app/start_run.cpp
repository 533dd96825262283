// The START handler: reads the window, checks the area, asks for confirmation and sets up the
// run so that the capture step begins on the next pass.
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/start_checks.h"
#include "platform/memory.h"
#include "services/text.h"
#include "ui/gadgets.h"
#include "ui/message_box.h"

namespace app {
namespace {

double read_bound(int field) { return services::text_to_real(ui::gadget_get_text(field)); }

void refuse_run() {
    program.run.release_drive();
    ui::gadget_disable(GADGET_START, 0);
    ui::gadget_set_text(GADGET_START, "START");
}

bool refused_by(const refusal& verdict) {
    if (!verdict.refused()) return false;
    ui::message_box_ok(verdict.title, verdict.text);
    refuse_run();
    return true;
}

}  // namespace

void start_handler() {
    ui::gadget_disable(GADGET_START, 1);
    ui::gadget_set_text(GADGET_START, "......");

    program.zoom = static_cast<int8_t>(ui::gadget_get_state(GADGET_ZOOM));
    program.bounds.lat_min = read_bound(GADGET_LAT_MIN);
    program.bounds.lon_min = read_bound(GADGET_LON_MIN);
    program.bounds.lat_max = read_bound(GADGET_LAT_MAX);
    program.bounds.lon_max = read_bound(GADGET_LON_MAX);
    program.compression = static_cast<int8_t>(ui::gadget_get_state(GADGET_COMPRESSION));

    program.grid = compute_grid(program.bounds, program.zoom);
    if (refused_by(check_start(program.bounds, program.zoom, program.grid))) return;
    // Two windows on one drive C would write the same temporary files: one run at a time.
    if (!program.run.claim_drive() && refused_by(drive_in_use())) return;

    const std::string question = confirmation_text(tile_count(program.grid));
    if (ui::message_box("Download?", question, ui::MESSAGE_BOX_YES_NO) != ui::ANSWER_YES) {
        refuse_run();
        return;
    }
    // The count above is shown in full whatever its size; only now is it clear that the user
    // wants the run, and a mosaic that cannot be built is refused with a reason.
    if (refused_by(check_image_size(program.grid))) return;
    if (refused_by(check_memory(program.grid, program.bounds, program.zoom, platform::available_memory()))) return;

    program.run.begin(run_plan{program.bounds, program.zoom, program.compression, program.grid});
}

}  // namespace app
