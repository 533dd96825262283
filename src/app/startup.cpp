#include "app/startup.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/area_input.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/tile_template.h"
#include "app/usage.h"
#include "imaging/drawing.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "platform/paths.h"
#include "services/command_line.h"
#include "services/files.h"
#include "services/settings.h"
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

// "--help" or "--version" as the only word after the program's name; the empty text otherwise.
std::string_view only_option(int argc, const char* const* argv) {
    if (argc != 2) return {};
    const std::string_view word = argv[1];
    return (word == "--help" || word == "--version") ? word : std::string_view();
}

}  // namespace

bool apply_settings() {
    for (const std::string& warning : services::load_settings(services::settings_file_path())) {
        std::fprintf(stderr, "lomtra-sat: warning: %s\n", warning.c_str());
    }
    platform::set_drive_c_folder(services::setting("LOMTRA_SAT_DRIVE_C"));
    const std::string refusal = tile_template_refusal();
    if (refusal.empty()) return true;
    std::fprintf(stderr, "lomtra-sat: %s\n", refusal.c_str());
    ui::message_box_ok("Error", refusal);
    return false;
}

// Releases users before what they use: gadgets and windows, then files, then images.
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
    const std::string_view option = only_option(argc, argv);
    if (!option.empty()) {
        std::fputs((option == "--help" ? usage_text() : version_text()).c_str(), stdout);
        return 0;
    }
    if (!ui::display_available()) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "%s: cannot open display %s\n", argc > 0 && argv[0] ? argv[0] : "lomtra-sat",
                     display && *display ? display : "(DISPLAY is not set)");
        return 1;
    }
    if (!apply_settings()) return exit_bad_setting;
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
