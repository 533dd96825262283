// How fast a browser panel takes a tile from the local tile server, the way the capture loop
// drives it: set its address, wait for the download-end event, wait until the busy attribute
// reads 0, render the panel into the capture pixels.
// Run under a display (xvfb-run -a bench/bench_browser [tiles]).
//
// Reference: the same tiles fetched over HTTP and decoded directly, in this process, which is
// the floor that network, server and JPEG decoding put under any browser.
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "jpeg_memory.h"
#include "pattern.h"
#include "platform/bitmap.h"
#include "platform/gui.h"
#include "tile_server.h"
#include "ui/browser_panel.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/windows.h"

namespace {

using clock_type = std::chrono::steady_clock;

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

std::string tile_path(int i) {
    return "/kh/v=109&src=app&x=" + std::to_string(2074 + i % 10) + "&s=&y=" +
           std::to_string(1410 + i / 10) + "&z=12&s=Gal";
}

// Runs the program's event loop until panel 1 reports the end of a download (at most 5 s).
bool wait_for_download_end() {
    const auto start = clock_type::now();
    while (ms_since(start) < 5000)
        if (ui::event_wait(100) == ui::EVENT_CONTROL && ui::event_gadget() == 1 &&
            ui::event_type() == ui::BROWSER_EVENT_DOWNLOAD_END)
            return true;
    return false;
}

bool wait_until_not_busy() {
    const auto start = clock_type::now();
    while (ui::gadget_get_attribute(1, ui::BROWSER_BUSY) != 0) {
        if (ms_since(start) > 5000) return false;
        ui::event_wait(0);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int tiles = argc > 1 ? std::atoi(argv[1]) : 100;
    if (tiles <= 0 || !platform::open_display()) {
        std::fprintf(stderr, "usage: bench_browser [tiles] (needs a display)\n");
        return 2;
    }
    tileserver::server_options options;
    options.port = 0;
    options.source = tileserver::source_kind::pattern;
    tileserver::tile_server server(options);
    std::string error;
    if (server.open(error) < 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    server.start();

    // Reference run.
    httplib::Client client("127.0.0.1", server.port());
    auto start = clock_type::now();
    for (int i = 0; i < tiles; ++i) {
        tileserver::rgb_image tile;
        auto answer = client.Get(tile_path(i).c_str());
        if (!answer || !tileserver::decode_jpeg(answer->body, tile)) return 1;
    }
    const double reference_ms = ms_since(start) / tiles;

    ui::window_open(0, 0, 0, 1024, 710, "bench_browser", 0xCA0001);
    platform::control* panel = ui::browser_panel_create(1, 0, 0, 500, 400, "");
    if (!panel) return 1;

    const platform::bitmap_handle capture(platform::create_section_bitmap(500, 400, 24));

    double to_finished = 0, to_idle = 0, rendering = 0;
    int failures = 0, stale = 0;
    start = clock_type::now();
    for (int i = 0; i < tiles; ++i) {
        const auto step = clock_type::now();
        ui::gadget_set_text(1, server.base_address() + tile_path(i));
        if (!wait_for_download_end()) ++failures;
        to_finished += ms_since(step);
        const auto idle = clock_type::now();
        if (!wait_until_not_busy()) ++failures;
        to_idle += ms_since(idle);
        const auto render = clock_type::now();
        if (!platform::render_control(panel, *capture)) ++failures;
        rendering += ms_since(render);
        // A render that still shows the previous tile would be a wrong capture, not a slow one.
        const tileserver::rgb want =
            tileserver::pattern_colour((2074 + i % 10) * 256 + 40, (1410 + i / 10) * 256 + 40, 12);
        const std::uint8_t* got = capture->row_from_top(15 + 40) + (10 + 40) * 3;
        if (std::abs(got[0] - want.blue) > 12 || std::abs(got[2] - want.red) > 12) ++stale;
    }
    const double total_ms = ms_since(start);
    const double mean_ms = total_ms / tiles;

    std::printf("browser: %d tiles from the local tile server, %d failures, %d wrong renders\n",
                tiles, failures, stale);
    std::printf("  tiles per second:                          %8.1f\n", 1000.0 * tiles / total_ms);
    std::printf("  mean navigate -> end -> not busy -> render %8.2f ms\n", mean_ms);
    std::printf("    navigate -> download end                 %8.2f ms\n", to_finished / tiles);
    std::printf("    download end -> not busy                 %8.2f ms\n", to_idle / tiles);
    std::printf("    render into the capture pixels           %8.2f ms\n", rendering / tiles);
    std::printf("  reference (HTTP fetch + JPEG decode)       %8.2f ms\n", reference_ms);
    std::printf("  ratio browser / reference                  %8.1f\n", mean_ms / reference_ms);

    ui::windows_close_all();
    return failures == 0 && stale == 0 ? 0 : 1;
}
