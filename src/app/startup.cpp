#include "app/startup.h"

#include <cstdlib>
#include <iostream>

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
#include "ui/events.h"
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

bool start_program(int argc, const char* const* argv, run_settings settings) {
    clear_program_variables(std::move(settings));
    start_services(argc, argv);

    program.parameters = read_start_parameters();
    program.bounds = choose_area(program.parameters, [](std::string_view title, std::string_view text) {
        ui::message_box_ok(title, text);
    });

    return open_main_window(program.bounds);
}

int run_program(int argc, const char* const* argv, run_settings settings) {
    if (!ui::display_available()) {
        const char* display = std::getenv("DISPLAY");
        std::cerr << (argc > 0 && argv[0] ? argv[0] : "lomtra-sat") << ": cannot open display "
                  << (display && *display ? display : "(DISPLAY is not set)") << "\n";
        return 1;
    }
    int status = 0;
    if (start_program(argc, argv, std::move(settings))) {
        ui::catch_termination_signals();
        run_main_loop();
        // Ended from outside: the conventional status of a process ended by that signal.
        if (const int signal = ui::termination_signal()) status = 128 + signal;
    }
    shut_down();
    return status;
}

}  // namespace app
