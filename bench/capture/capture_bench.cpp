// Capture runs against the local tile server, the way a person starts one: the program's own
// window and main loop, START and Yes; once as the program runs by default and once with
// LOMTRA_SAT_PREFETCH=0 (the program reads it when a run starts; until it prefetches, the two
// runs do the same). Then, on the same area, what the browser alone does (navigate, load,
// render each tile of the walk) and what gdal_translate does with one connection and with its
// default connections, each against a tile server of its own on a port of its own, so that no
// HTTP cache carries tiles from one measurement to the next. Then the same tiles once more
// through the capture step's parts, each timed apart, and the assembly of the mosaic. The
// browser alone is measured twice: as the panel loads tiles now, and with the prefetcher
// fetching the walk's next tiles four at once, which is what a run may gain from it. Before
// all of it, the browser alone loads and renders 20 tiles of a server of its own, so that what
// the engine does once in a process is not charged to whichever measurement comes first.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_capture [--delay MS] [--tiles N]
//
// --delay MS: the tile server waits MS milliseconds before each tile (tiles stay cacheable for
// a day, as a public server's do); --tiles N: an area of at least N tiles at zoom 15 (default:
// lat 48.8..48.9, lon 2.3..2.4, 140 tiles). GDAL is Debian's gdal-bin; without it, its
// figures are left out.
#include <gtk/gtk.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/capture_run.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/output_files.h"
#include "app/preview_and_mosaic.h"
#include "app/preview_layout.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "app/tile_capture.h"
#include "app/tile_grid.h"
#include "common/area_of_tiles.h"
#include "imaging/image_files.h"
#include "imaging/image_store.h"
#include "imaging/jpeg_codec.h"
#include "platform/bitmap.h"
#include "platform/handles.h"
#include "platform/prefetcher.h"
#include "platform/gui.h"
#include "services/files.h"
#include "support/toolkit.h"
#include "tile_server.h"
#include "ui/browser_panel.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/windows.h"

extern char** environ;

namespace {

using clock_type = std::chrono::steady_clock;

constexpr int zoom = 15;
constexpr int compression = 5;

app::area area{48.8, 48.9, 2.3, 2.4};
int server_delay_ms = 0;

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

app::tile_grid area_grid() { return app::compute_grid(area, zoom); }

// A pattern tile server with the bench's delay, on a free port of its own; null when it fails.
std::unique_ptr<tileserver::tile_server> new_server(int delay_ms) {
    tileserver::server_options options;
    options.bind = "127.0.0.1";
    options.port = 0;
    options.source = tileserver::source_kind::pattern;
    options.delay_ms = delay_ms;
    auto server = std::make_unique<tileserver::tile_server>(options);
    std::string error;
    if (server->open(error) < 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return nullptr;
    }
    server->start();
    return server;
}

// Passes of the program's main loop until `done` holds; false when the loop ended or the time
// a run of this size may take at most passed.
template <typename Condition>
bool run_until(Condition done) {
    const double limit_ms = 120000.0 + 1000.0 * static_cast<double>(app::tile_count(area_grid()));
    const auto start = clock_type::now();
    while (!done()) {
        if (ms_since(start) > limit_ms || !app::main_loop_pass()) return false;
    }
    return true;
}

// The pace of a run's first and last tenth of tiles, in tiles per second, and of each tenth
// between: a run that slows down as drive C fills or memory grows shows it here, and a slow
// stretch in the middle tells a passing load on the machine from a steady slowing.
struct tenths {
    double first = 0, last = 0;
    std::vector<double> each;
};

// Notes when the run has captured the tiles that open and close each tenth.
struct tenth_watch {
    int64_t tiles = 0;
    // When 1, 1 + P/10, 1 + 2P/10, ..., 1 + 9P/10 and P - 2 tiles were done, then P - 2 - P/10
    // for the last tenth: the pass in which the last but one tile is kept also keeps the last
    // and ends the run.
    std::vector<clock_type::time_point> at;
    clock_type::time_point last_tenth_from{};
    int64_t span() const { return std::max<int64_t>(1, tiles / 10); }
    int64_t mark(std::size_t i) const { return i < 10 ? 1 + static_cast<int64_t>(i) * span() : tiles - 2; }
    void look() {
        const int64_t done = app::program.run.capture_count() - 1;
        if (last_tenth_from == clock_type::time_point{} && done >= tiles - 2 - span()) last_tenth_from = clock_type::now();
        while (at.size() < 11 && done >= mark(at.size())) at.push_back(clock_type::now());
    }
    tenths rates() const {
        if (at.size() < 11) return {};
        const auto rate = [](int64_t count, auto from, auto to) {
            return static_cast<double>(count) * 1000.0 / std::chrono::duration<double, std::milli>(to - from).count();
        };
        tenths pace{rate(span(), at[0], at[1]), rate(span(), last_tenth_from, at[10]), {}};
        for (std::size_t i = 0; i < 10; ++i) pace.each.push_back(rate(mark(i + 1) - mark(i), at[i], at[i + 1]));
        return pace;
    }
};

// The whole run as a person starts it: START, Yes, until the button reads "START" again.
double timed_run(int& boxes_seen, tenths* pace = nullptr) {
    platform::set_dialog_responder([&](const platform::dialog_request& box) {
        ++boxes_seen;
        return box.spec.title == "Download?" ? platform::dialog_answer::yes : platform::dialog_answer::ok;
    });
    gtk_range_set_value(GTK_RANGE(test_support::widget(ui::gadget_handle(app::GADGET_ZOOM))), zoom);
    gtk_range_set_value(GTK_RANGE(test_support::widget(ui::gadget_handle(app::GADGET_COMPRESSION))), compression);
    const auto start = clock_type::now();
    gtk_button_clicked(GTK_BUTTON(test_support::widget(ui::gadget_handle(app::GADGET_START))));
    const bool began = run_until([] { return app::program.run.active(); });
    tenth_watch watch{app::tile_count(area_grid()), {}};
    const bool ended = began && run_until([&] {
                           watch.look();
                           return !app::program.run.active();
                       });
    if (pace) *pace = watch.rates();
    return ended ? ms_since(start) : -1.0;
}

// One whole run against a fresh server, with prefetching as `prefetch` says (empty: the
// program's default). Returns the run's milliseconds (-1 when it did not complete) and the
// tile requests the server saw.
double program_run(const char* prefetch, std::unique_ptr<tileserver::tile_server>& server, int& requests,
                   tenths* pace = nullptr) {
    server = new_server(server_delay_ms);
    if (!server) return -1.0;
    setenv("LOMTRA_SAT_TILE_SERVER", server->base_address().c_str(), 1);
    if (prefetch) {
        setenv("LOMTRA_SAT_PREFETCH", prefetch, 1);
    } else {
        unsetenv("LOMTRA_SAT_PREFETCH");
    }
    int boxes = 0;
    const double run_ms = timed_run(boxes, pace);
    unsetenv("LOMTRA_SAT_PREFETCH");
    requests = server->tile_requests();
    if (boxes != 1) {
        std::fprintf(stderr, "bench_capture: the run showed %d boxes\n", boxes);
        return -1.0;
    }
    return run_ms;
}

bool wait_for_page() {
    const auto start = clock_type::now();
    for (;;) {
        if (ms_since(start) > 10000 + server_delay_ms) return false;
        if (ui::event_wait(100) == ui::EVENT_CONTROL && ui::event_gadget() == app::GADGET_BROWSER &&
            ui::event_type() == ui::BROWSER_EVENT_DOWNLOAD_END)
            break;
    }
    while (ui::gadget_get_attribute(app::GADGET_BROWSER, ui::BROWSER_BUSY) != 0) {
        if (ms_since(start) > 10000 + server_delay_ms) return false;
        ui::event_wait(0);
    }
    return true;
}

// The browser alone, in the program's panel: each tile of the walk navigated to, loaded
// (download end, then not busy) and rendered into pixels, from a server that has not served
// them before; with `prefetch_depth` > 0, a prefetcher fetches the walk's tiles that many at
// once ahead of the panel; with `limit` > 0, only the walk's first `limit` tiles. Returns its
// milliseconds, -1 when a page did not come.
double browser_alone(int prefetch_depth, int& requests, int64_t limit = 0) {
    const auto server = new_server(server_delay_ms);
    if (!server) return -1.0;
    setenv("LOMTRA_SAT_TILE_SERVER", server->base_address().c_str(), 1);
    platform::control* panel = ui::gadget_handle(app::GADGET_BROWSER);
    int width = 0, height = 0;
    platform::control_size(panel, width, height);
    const platform::bitmap_handle pixels(platform::create_section_bitmap(width, height, 24));
    const app::tile_grid grid = area_grid();
    const int64_t tiles = limit > 0 ? std::min(limit, app::tile_count(grid)) : app::tile_count(grid);
    const auto start = clock_type::now();
    platform::prefetcher ahead(panel, std::max(prefetch_depth, 1));
    if (prefetch_depth > 0) {
        std::vector<std::string> walk;
        for (int64_t k = 2; k <= tiles; ++k) {
            const app::tile_position tile = app::walk_tile(grid, k);
            walk.push_back(app::tile_address(tile.x, tile.y, zoom));
        }
        ahead.fetch(walk);
    }
    for (int64_t k = 1; k <= tiles; ++k) {
        const app::tile_position tile = app::walk_tile(grid, k);
        ui::gadget_set_text(app::GADGET_BROWSER, app::tile_address(tile.x, tile.y, zoom));
        if (!wait_for_page() || !platform::render_control(panel, *pixels)) return -1.0;
    }
    const double elapsed = ms_since(start);
    requests = server->tile_requests();
    return elapsed;
}

struct step_parts {
    double page = 0, settle = 0, render = 0, encodes = 0, preview = 0;
};

struct assembly_times {
    double assembly = 0;  // the whole assembly: tiles decoded, the mosaic resampled and encoded
    double decoding = 0;  // decoding the tile files, alone
    double encoding = 0;  // encoding the mosaic's pixels whole, alone
};

// The same walk once more, each part of a capture step timed on its own: the capture of the
// priming page (number 0) and of tiles 1 to P, as the capture loop does them.
bool timed_parts(step_parts& sum, int64_t& steps, assembly_times& times) {
    app::program.bounds = area;
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
        const double page_ms = ms_since(at);
        sum.page += page_ms;

        // The 10 ms a page settles count from its request, as in a run.
        at = clock_type::now();
        ui::pause(static_cast<int>(std::max(0.0, 10.0 - page_ms)));
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
    // The assembly as the end of a run does it, into a file of its own.
    const std::string mosaic_name = "C:/bench-mosaic.jpg", encoded_name = "C:/bench-encoded.jpg";
    at = clock_type::now();
    const bool assembled =
        app::assemble_mosaic(grid, app::program.bounds, zoom, compression, mosaic_name, files).empty();
    times.assembly = ms_since(at);
    files.remove_all();
    // libjpeg-turbo encoding the same pixels from memory: the mosaic read back, encoded again.
    constexpr int mosaic_image = 6;
    if (assembled && imaging::load_image(mosaic_image, mosaic_name) != 0) {
        at = clock_type::now();
        imaging::save_image(mosaic_image, encoded_name, imaging::jpeg_encoder, compression);
        times.encoding = ms_since(at);
    }
    imaging::free_image(mosaic_image);
    services::remove_file(mosaic_name);
    services::remove_file(encoded_name);
    return assembled;
}

// The most resident memory this process (the program and its window) has held, from
// /proc/self/status, in MB; -1 where it cannot be read.
double peak_resident_mb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return -1.0;
}

struct gdal_result {
    double ms = -1.0;  // wall time; -1 when GDAL is missing or failed
    int requests = 0;  // tile requests its server saw
    std::string size = "?";  // the size of the image it wrote
};

// gdal_translate over the /{z}/{x}/{y}.jpg path of a fresh server for the same area, writing
// one JPEG: with `connections` at once, or with GDAL's default when it is 0.
gdal_result gdal_reference(int connections, const std::filesystem::path& folder) {
    gdal_result result;
    const auto server = new_server(server_delay_ms);
    if (!server) return result;
    const std::filesystem::path description = folder / "xyz.xml";
    std::ofstream(description) << "<GDAL_WMS><Service name=\"TMS\"><ServerUrl>" << server->base_address()
                               << "/${z}/${x}/${y}.jpg</ServerUrl></Service>"
                                  "<DataWindow><UpperLeftX>-20037508.34</UpperLeftX>"
                                  "<UpperLeftY>20037508.34</UpperLeftY><LowerRightX>20037508.34</LowerRightX>"
                                  "<LowerRightY>-20037508.34</LowerRightY><TileLevel>"
                               << zoom
                               << "</TileLevel><TileCountX>1</TileCountX><TileCountY>1</TileCountY>"
                                  "<YOrigin>top</YOrigin></DataWindow><Projection>EPSG:3857</Projection>"
                                  "<BlockSizeX>256</BlockSizeX><BlockSizeY>256</BlockSizeY><BandsCount>3</BandsCount>"
                               << (connections > 0 ? "<MaxConnections>" + std::to_string(connections) + "</MaxConnections>"
                                                   : std::string())
                               << "</GDAL_WMS>\n";
    const std::string output = (folder / "gdal.jpg").string();
    const std::vector<std::string> words = {"gdal_translate", "-q", "-of", "JPEG", "-co", "QUALITY=50",
                                            "-projwin_srs", "EPSG:4326", "-projwin",
                                            std::to_string(area.lon_min), std::to_string(area.lat_max),
                                            std::to_string(area.lon_max), std::to_string(area.lat_min),
                                            description.string(), output};
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const auto start = clock_type::now();
    pid_t child = 0;
    if (posix_spawnp(&child, "gdal_translate", nullptr, nullptr, argv.data(), environ) != 0) return result;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return result;
    result.ms = ms_since(start);
    result.requests = server->tile_requests();
    constexpr int reference_image = 4;
    if (imaging::load_image(reference_image, output) != 0) {
        result.size = std::to_string(imaging::image_width(reference_image)) + " x " +
                      std::to_string(imaging::image_height(reference_image));
        imaging::free_image(reference_image);
    }
    std::filesystem::remove(output);
    return result;
}

bool read_options(int argc, char** argv, int64_t& tiles) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if ((word == "--delay" || word == "--tiles") && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 100000 || (word == "--tiles" && value == 0)) return false;
            if (word == "--delay") {
                server_delay_ms = static_cast<int>(value);
            } else {
                tiles = value;
            }
        } else {
            return false;
        }
    }
    return true;
}

void print_rate(const char* what, int64_t tiles, double ms, int requests) {
    if (ms <= 0) {
        std::printf("  %-44s %9s\n", what, "-");
        return;
    }
    std::printf("  %-44s %9.1f %9d\n", what, 1000.0 * static_cast<double>(tiles) / ms, requests);
}

}  // namespace

int main(int argc, char** argv) {
    int64_t wanted_tiles = 0;
    if (!read_options(argc, argv, wanted_tiles)) {
        std::fprintf(stderr, "usage: bench_capture [--delay MS] [--tiles N]\n");
        return 2;
    }
    if (!platform::open_display()) {
        std::fprintf(stderr, "bench_capture needs a display (xvfb-run -a)\n");
        return 2;
    }
    if (wanted_tiles > 0) area = bench::area_of_at_least(wanted_tiles, zoom);
    char folder_template[] = "/tmp/bench_capture.XXXXXX";
    if (!mkdtemp(folder_template)) return 1;
    const std::filesystem::path folder = folder_template;
    setenv("LOMTRA_SAT_DRIVE_C", (folder / "drive_c").c_str(), 1);

    // The information pages come from a server of their own, without delay.
    const auto pages = new_server(0);
    if (!pages) return 1;
    setenv("LOMTRA_SAT_SITE", ("127.0.0.1:" + std::to_string(pages->port())).c_str(), 1);

    app::run_settings settings;
    settings.open_result = [](std::string_view) { return 1; };
    const std::string lat_min_text = std::to_string(area.lat_min), lat_max_text = std::to_string(area.lat_max);
    const std::string lon_min_text = std::to_string(area.lon_min), lon_max_text = std::to_string(area.lon_max);
    const char* program_argv[] = {"lomtra-sat", "nofile", lat_min_text.c_str(), lat_max_text.c_str(),
                                  lon_min_text.c_str(), lon_max_text.c_str()};
    if (!app::start_program(6, program_argv, settings)) return 1;
    const auto settle = clock_type::now();
    run_until([&] { return ms_since(settle) > 2000; });

    // The engine warmed up on a few tiles from a server of its own, so that the first
    // measurement does not alone pay for what the engine does once in a process (a first
    // image decoded, a first connection, a first snapshot).
    int warm_up_requests = 0;
    if (browser_alone(0, warm_up_requests, 20) < 0) return 1;

    const int64_t tiles = app::tile_count(area_grid());
    std::unique_ptr<tileserver::tile_server> prefetching_server, plain_server;
    int prefetching_requests = 0, plain_requests = 0, browser_requests = 0;
    tenths pace;
    const double prefetching_ms = program_run(nullptr, prefetching_server, prefetching_requests, &pace);
    const double plain_ms = program_run("0", plain_server, plain_requests);
    // The program's own peak, before the measurements below hold whole images of their own.
    const double program_peak_mb = peak_resident_mb();
    const bool written = std::filesystem::exists(folder / "drive_c" / "Lomtra-SAT");
    const double browser_ms = browser_alone(0, browser_requests);
    int prefetched_requests = 0;
    const double prefetched_ms = browser_alone(4, prefetched_requests);

    // The parts of a step, against the first run's server: its tiles are in the browser's cache.
    if (prefetching_server) setenv("LOMTRA_SAT_TILE_SERVER", prefetching_server->base_address().c_str(), 1);
    step_parts parts;
    int64_t steps = 0;
    assembly_times assembly;
    const bool parts_ok = timed_parts(parts, steps, assembly);
    app::shut_down();
    platform::set_dialog_responder({});

    const app::rectangle cut = app::mosaic_cut(area_grid());
    const gdal_result gdal_one = gdal_reference(1, folder);
    const gdal_result gdal_default = gdal_reference(0, folder);
    std::filesystem::remove_all(folder);

    if (prefetching_ms < 0 || plain_ms < 0 || browser_ms < 0 || prefetched_ms < 0 || !written || !parts_ok) {
        std::fprintf(stderr, "bench_capture: a run did not complete\n");
        return 1;
    }
    const double n = static_cast<double>(steps);
    const double per_step = (parts.page + parts.settle + parts.render + parts.encodes + parts.preview) / n;
    std::printf("capture: %lld tiles at zoom %d (lat %.3f..%.3f, lon %.3f..%.3f), compression %d,\n"
                "  local tile server answering each tile after %d ms (cacheable for a day)\n",
                static_cast<long long>(tiles), zoom, area.lat_min, area.lat_max, area.lon_min, area.lon_max,
                compression, server_delay_ms);
    std::printf("  %-44s %9s %9s\n", "", "tiles/s", "requests");
    print_rate("lomtra-sat, START to Ready (default)", tiles, prefetching_ms, prefetching_requests);
    print_rate("lomtra-sat, LOMTRA_SAT_PREFETCH=0", tiles, plain_ms, plain_requests);
    print_rate("browser alone: navigate, load, render", tiles, browser_ms, browser_requests);
    print_rate("browser alone, prefetching 4 at once", tiles, prefetched_ms, prefetched_requests);
    print_rate("gdal_translate, 1 connection", tiles, gdal_one.ms, gdal_one.requests);
    print_rate("gdal_translate, default connections", tiles, gdal_default.ms, gdal_default.requests);
    if (gdal_one.ms < 0) std::printf("  (gdal_translate not available: apt-get install gdal-bin)\n");
    std::printf("  lomtra-sat rate / browser-alone rate                %6.2f\n", browser_ms / prefetching_ms);
    std::printf("  lomtra-sat rate without the assembly / browser      %6.2f\n",
                browser_ms / (prefetching_ms - assembly.assembly));
    // The settling time before each capture caps a run's pace, however quick the browser is and
    // however far ahead tiles are fetched.
    const double settled_pace = 1000.0 / static_cast<double>(app::settle_ms);
    const double browser_pace = static_cast<double>(tiles) * 1000.0 / browser_ms;
    std::printf("  most the %lld ms settle allows (%.0f tiles/s) / browser %6.2f\n",
                static_cast<long long>(app::settle_ms), settled_pace, settled_pace / browser_pace);
    const double program_pace = static_cast<double>(tiles) * 1000.0 / (prefetching_ms - assembly.assembly);
    std::printf("  lomtra-sat rate without the assembly / that most    %6.2f\n", program_pace / settled_pace);
    if (gdal_one.ms > 0 && gdal_default.ms > 0) {
        std::printf("  lomtra-sat rate / gdal_translate 1 connection       %6.2f\n", gdal_one.ms / prefetching_ms);
        std::printf("  lomtra-sat rate / gdal_translate default            %6.2f\n", gdal_default.ms / prefetching_ms);
        std::printf("  image sizes: lomtra-sat %d x %d, gdal_translate %s\n", cut.width, cut.height,
                    gdal_default.size.c_str());
    }
    std::printf("  prefetching gain (rate with / rate without)         %6.2f\n", plain_ms / prefetching_ms);
    std::printf("  lomtra-sat (default): first tenth of the tiles %6.1f tiles/s, last tenth %6.1f (ratio %.2f)\n",
                pace.first, pace.last, pace.first > 0 ? pace.last / pace.first : 0.0);
    std::printf("    each tenth, tiles/s:");
    for (const double rate : pace.each) std::printf(" %.1f", rate);
    std::printf("\n");
    std::printf("  peak resident memory after the program's runs (VmHWM)  %6.0f MB\n", program_peak_mb);
    std::printf("  mean capture step, tiles cached (%lld steps)  %9.2f ms\n", static_cast<long long>(steps), per_step);
    std::printf("    wait for the page                        %9.2f ms\n", parts.page / n);
    std::printf("    settle (what is left of 10 ms, window events) %5.2f ms\n", parts.settle / n);
    std::printf("    render the panel                         %9.2f ms\n", parts.render / n);
    std::printf("    the three JPEG encodes                   %9.2f ms\n", parts.encodes / n);
    std::printf("    preview update                           %9.2f ms\n", parts.preview / (n - 1));
    const double reference_ms = assembly.decoding + assembly.encoding;
    std::printf("  assembly of the mosaic, streamed: tiles decoded, resampled, encoded %9.0f ms (%d x %d pixels)\n",
                assembly.assembly, cut.width, cut.height);
    std::printf("  libjpeg-turbo: decoding the %lld tile files %9.0f ms + encoding the mosaic %9.0f ms\n",
                static_cast<long long>(tiles), assembly.decoding, assembly.encoding);
    std::printf("  ratio assembly / libjpeg-turbo decode + encode  %6.2f\n", assembly.assembly / reference_ms);
    std::printf("  peak resident memory at the end, with the reference's whole image (VmHWM)  %6.0f MB\n", peak_resident_mb());
    return 0;
}
