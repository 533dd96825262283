#include "app/startup.h"

#include "app/area_input.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "imaging/drawing.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "services/command_line.h"
#include "services/files.h"
#include "ui/message_box.h"
#include "ui/windows.h"

namespace app {
namespace {

void start_services(int argc, const char* const* argv) {
    imaging::start_image_decoders();
    imaging::start_drawing_layer();
    imaging::start_image_store();
    services::set_command_words(argc, argv);
    imaging::register_jpeg_decoder();
}

}  // namespace

// Releases users before what they use: controls and windows, then files, then images.
void shut_down() {
    ui::windows_close_all();
    services::close_all_files();
    imaging::free_all_images();
    imaging::end_drawing_layer();
}

bool start_program(int argc, const char* const* argv) {
    clear_program_variables();
    start_services(argc, argv);

    program.parameters = read_start_parameters();
    program.bounds = choose_area(program.parameters, [](std::string_view title, std::string_view text) {
        ui::message_box_ok(title, text);
    });

    if (!open_main_window(program.bounds)) return false;
    program.page_state = PAGE_WAITING;
    program.run_active = 0;
    return true;
}

int run_program(int argc, const char* const* argv) {
    if (start_program(argc, argv)) run_main_loop();
    shut_down();
    return 0;
}

}  // namespace app
