// A complete capture run of 140 tiles (lat 48.8..48.9, lon 2.3..2.4 at zoom 15) against the
// local tile server, the way a person starts one: the program's own window and main loop, START
// and Yes. Then the same tiles once more through the capture step's parts, each timed apart,
// and the assembly of the mosaic from the tile files, with the resampling of the mosaic and
// the decoding of the tile files timed apart.
// Run under a display: xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_capture
//
// Reference: GDAL's gdal_translate reading the same area at the same zoom from the plain XYZ
// path of the same server with one connection and writing one JPEG (Debian's gdal-bin). When
// it is not installed, the ratio is left out.
#include <gtk/gtk.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/capture_run.h"
#include "app/georeferenced_cut.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/output_files.h"
#include "app/preview_and_mosaic.h"
#include "app/preview_layout.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "app/tile_capture.h"
#include "app/tile_grid.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "support/toolkit.h"
#include "services/files.h"
#include "tile_server.h"
#include "ui/browser_panel.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/windows.h"

extern char** environ;

namespace {

using clock_type = std::chrono::steady_clock;

constexpr double lat_min = 48.8, lat_max = 48.9, lon_min = 2.3, lon_max = 2.4;
constexpr int zoom = 15;
constexpr int compression = 5;

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

// Passes of the program's main loop until `done` holds; false when the loop ended or 120 s passed.
template <typename Condition>
bool run_until(Condition done) {
    const auto start = clock_type::now();
    while (!done()) {
        if (ms_since(start) > 120000 || !app::main_loop_pass()) return false;
    }
    return true;
}

// The whole run as a person starts it: START, Yes, until the button reads "START" again.
double timed_run(int& boxes_seen) {
    platform::set_dialog_responder([&](const platform::dialog_request& box) {
        ++boxes_seen;
        return box.spec.title == "Download?" ? platform::dialog_answer::yes : platform::dialog_answer::ok;
    });
    gtk_range_set_value(GTK_RANGE(test_support::widget(ui::gadget_handle(app::GADGET_ZOOM))), zoom);
    gtk_range_set_value(GTK_RANGE(test_support::widget(ui::gadget_handle(app::GADGET_COMPRESSION))), compression);
    const auto start = clock_type::now();
    gtk_button_clicked(GTK_BUTTON(test_support::widget(ui::gadget_handle(app::GADGET_START))));
    const bool began = run_until([] { return app::program.run.active(); });
    const bool ended = began && run_until([] { return !app::program.run.active(); });
    return ended ? ms_since(start) : -1.0;
}

bool wait_for_page() {
    const auto start = clock_type::now();
    for (;;) {
        if (ms_since(start) > 10000) return false;
        if (ui::event_wait(100) == ui::EVENT_CONTROL && ui::event_gadget() == app::GADGET_BROWSER &&
            ui::event_type() == ui::BROWSER_EVENT_DOWNLOAD_END)
            break;
    }
    while (ui::gadget_get_attribute(app::GADGET_BROWSER, ui::BROWSER_BUSY) != 0) {
        if (ms_since(start) > 10000) return false;
        ui::event_wait(0);
    }
    return true;
}

struct step_parts {
    double page = 0, settle = 0, render = 0, encodes = 0, preview = 0;
};

struct assembly_times {
    double assembly = 0;    // the whole assembly: tiles decoded and drawn, then the mosaic made
    double resampling = 0;  // making the mosaic from the canvas, alone
    double decoding = 0;    // decoding the tile files, alone
};

// The same walk once more, each part of a capture step timed on its own: the capture of the
// priming page (number 0) and of tiles 1 to P, as the capture loop does them.
bool timed_parts(step_parts& sum, int64_t& steps, assembly_times& times) {
    app::program.bounds = {lat_min, lat_max, lon_min, lon_max};
    app::program.zoom = zoom;
    const app::tile_grid grid = app::compute_grid(app::program.bounds, zoom);
    const int64_t tiles = app::tile_count(grid);
    app::temporary_files files;
    imaging::register_jpeg_encoder();
    for (int64_t k = 0; k <= tiles; ++k) {
        auto at = clock_type::now();
        const app::tile_position tile = app::walk_tile(grid, k == 0 ? 1 : k);
        ui::gadget_set_text(app::GADGET_BROWSER, app::tile_address(tile.x, tile.y, zoom));
        if (!wait_for_page()) return false;
        sum.page += ms_since(at);

        at = clock_type::now();
        ui::pause(10);
        while (ui::event_poll() != 0) {
        }
        sum.settle += ms_since(at);

        at = clock_type::now();
        app::render_panel();
        sum.render += ms_since(at);

        at = clock_type::now();
        app::cut_tile();
        imaging::save_image(app::tile_image, app::tile_file_name(k), imaging::jpeg_encoder, compression);
        files.add_tile(k);
        sum.encodes += ms_since(at);

        if (k > 0) {
            at = clock_type::now();
            app::update_preview(grid, k);
            sum.preview += ms_since(at);
        }
    }
    steps = tiles + 1;
    // Decoding the tile files alone, as the assembly decodes them (the files stay for it).
    auto at = clock_type::now();
    constexpr int decoded_tile = 5;
    for (int64_t k = 1; k <= tiles; ++k) {
        imaging::load_image(decoded_tile, app::tile_file_name(k));
        imaging::free_image(decoded_tile);
    }
    times.decoding = ms_since(at);
    // The assembly as assemble_mosaic does it, its two halves timed apart.
    at = clock_type::now();
    bool assembled = app::draw_mosaic_canvas(grid, files).empty();
    const auto drawn = clock_type::now();
    assembled = assembled && app::cut_mosaic(app::mosaic_canvas_image, app::mosaic_image, grid,
                                             app::program.bounds, zoom);
    times.resampling = ms_since(drawn);
    times.assembly = ms_since(at);
    files.remove_all();
    imaging::free_image(app::mosaic_image);
    imaging::free_image(app::mosaic_canvas_image);
    return assembled;
}

// gdal_translate over the server's /{z}/{x}/{y}.jpg path for the same area, one connection,
// no cache. Returns its wall time, or -1 when GDAL is missing or fails; `size` is the size of
// the image it wrote, so that the two tools are seen to cover the same area.
double gdal_reference(const std::string& base_address, const std::filesystem::path& folder, std::string& size) {
    const std::filesystem::path description = folder / "xyz.xml";
    std::ofstream(description) << "<GDAL_WMS><Service name=\"TMS\"><ServerUrl>" << base_address
                               << "/${z}/${x}/${y}.jpg</ServerUrl></Service>"
                                  "<DataWindow><UpperLeftX>-20037508.34</UpperLeftX>"
                                  "<UpperLeftY>20037508.34</UpperLeftY><LowerRightX>20037508.34</LowerRightX>"
                                  "<LowerRightY>-20037508.34</LowerRightY><TileLevel>"
                               << zoom
                               << "</TileLevel><TileCountX>1</TileCountX><TileCountY>1</TileCountY>"
                                  "<YOrigin>top</YOrigin></DataWindow><Projection>EPSG:3857</Projection>"
                                  "<BlockSizeX>256</BlockSizeX><BlockSizeY>256</BlockSizeY><BandsCount>3</BandsCount>"
                                  "<MaxConnections>1</MaxConnections></GDAL_WMS>\n";
    const std::string output = (folder / "gdal.jpg").string();
    const std::vector<std::string> words = {"gdal_translate", "-q", "-of", "JPEG", "-co", "QUALITY=50",
                                            "-projwin_srs", "EPSG:4326", "-projwin",
                                            std::to_string(lon_min), std::to_string(lat_max),
                                            std::to_string(lon_max), std::to_string(lat_min),
                                            description.string(), output};
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const auto start = clock_type::now();
    pid_t child = 0;
    if (posix_spawnp(&child, "gdal_translate", nullptr, nullptr, argv.data(), environ) != 0) return -1.0;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1.0;
    const double wall_ms = ms_since(start);
    constexpr int reference_image = 4;
    if (imaging::load_image(reference_image, output) != 0) {
        size = std::to_string(imaging::image_width(reference_image)) + " x " +
               std::to_string(imaging::image_height(reference_image));
        imaging::free_image(reference_image);
    }
    return wall_ms;
}

}  // namespace

int main() {
    if (!platform::open_display()) {
        std::fprintf(stderr, "bench_capture needs a display (xvfb-run -a)\n");
        return 2;
    }
    char folder_template[] = "/tmp/bench_capture.XXXXXX";
    if (!mkdtemp(folder_template)) return 1;
    const std::filesystem::path folder = folder_template;
    setenv("LOMTRA_SAT_DRIVE_C", (folder / "drive_c").c_str(), 1);

    tileserver::server_options options;
    options.bind = "127.0.0.1";
    options.port = 0;
    options.source = tileserver::source_kind::pattern;
    tileserver::tile_server server(options);
    std::string error;
    if (server.open(error) < 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    server.start();
    setenv("LOMTRA_SAT_TILE_SERVER", server.base_address().c_str(), 1);
    setenv("LOMTRA_SAT_SITE", ("127.0.0.1:" + std::to_string(server.port())).c_str(), 1);

    app::run_settings settings;
    settings.open_result = [](std::string_view) { return 1; };
    const std::string lat_min_text = std::to_string(lat_min), lat_max_text = std::to_string(lat_max);
    const std::string lon_min_text = std::to_string(lon_min), lon_max_text = std::to_string(lon_max);
    const char* argv[] = {"lomtra-sat", "nofile", lat_min_text.c_str(), lat_max_text.c_str(),
                          lon_min_text.c_str(), lon_max_text.c_str()};
    if (!app::start_program(6, argv, settings)) return 1;
    const auto settle = clock_type::now();
    run_until([&] { return ms_since(settle) > 2000; });

    const int64_t tiles = app::tile_count(app::compute_grid({lat_min, lat_max, lon_min, lon_max}, zoom));
    int boxes = 0;
    const double run_ms = timed_run(boxes);
    const bool written = std::filesystem::exists(folder / "drive_c" / "Lomtra-SAT");

    step_parts parts;
    int64_t steps = 0;
    assembly_times assembly;
    const bool parts_ok = timed_parts(parts, steps, assembly);
    app::shut_down();
    platform::set_dialog_responder({});

    const app::rectangle cut = app::mosaic_cut(app::compute_grid({lat_min, lat_max, lon_min, lon_max}, zoom));
    std::string gdal_size = "?";
    const double gdal_ms = gdal_reference(server.base_address(), folder, gdal_size);
    server.stop();
    std::filesystem::remove_all(folder);

    if (run_ms < 0 || !written || !parts_ok || boxes != 1) {
        std::fprintf(stderr, "bench_capture: the run did not complete (%d boxes)\n", boxes);
        return 1;
    }
    const double n = static_cast<double>(steps);
    const double per_step = (parts.page + parts.settle + parts.render + parts.encodes + parts.preview) / n;
    std::printf("capture: %lld tiles at zoom %d, compression %d, against the local tile server\n",
                static_cast<long long>(tiles), zoom, compression);
    std::printf("  whole run, START to Ready (incl. assembly) %9.0f ms\n", run_ms);
    std::printf("  tiles per second                           %9.1f\n", 1000.0 * static_cast<double>(tiles) / run_ms);
    std::printf("  mean capture step (%lld steps)              %9.2f ms\n", static_cast<long long>(steps), per_step);
    std::printf("    wait for the page                        %9.2f ms\n", parts.page / n);
    std::printf("    settle (10 ms pause, window events)      %9.2f ms\n", parts.settle / n);
    std::printf("    render the panel                         %9.2f ms\n", parts.render / n);
    std::printf("    the three JPEG encodes                   %9.2f ms\n", parts.encodes / n);
    std::printf("    preview update                           %9.2f ms\n", parts.preview / (n - 1));
    std::printf("  assembly of the mosaic                     %9.0f ms\n", assembly.assembly);
    std::printf("    of which the resampling to the area      %9.0f ms (%d x %d pixels)\n", assembly.resampling,
                cut.width, cut.height);
    std::printf("  decoding the %lld tile files alone           %9.0f ms\n", static_cast<long long>(tiles),
                assembly.decoding);
    std::printf("  ratio resampling / tile decoding           %9.2f\n", assembly.resampling / assembly.decoding);
    if (gdal_ms > 0) {
        std::printf("  reference: gdal_translate, same area, XYZ  %9.0f ms\n", gdal_ms);
        std::printf("    image sizes: lomtra-sat %d x %d, gdal_translate %s\n", cut.width, cut.height,
                    gdal_size.c_str());
        std::printf("  ratio lomtra-sat / gdal_translate          %9.2f\n", run_ms / gdal_ms);
    } else {
        std::printf("  reference: gdal_translate not available (apt-get install gdal-bin); no ratio\n");
    }
    return 0;
}
