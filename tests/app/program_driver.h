#pragma once
// Drives the real program in-process: its main window, its main loop, a local tile server on
// loopback and a stand-in for the person who answers the message boxes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <thread>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/capture_run.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/output_files.h"
#include "app/program_state.h"
#include "app/startup.h"
#include "options.h"
#include "platform/paths.h"
#include "support/ports.h"
#include "support/toolkit.h"
#include "tile_server.h"
#include "ui/gadgets.h"
#include "ui/windows.h"

namespace app_test {

struct shown_box {
    std::string title;
    std::string text;
    platform::dialog_buttons buttons;
};

using test_support::widget;

class program_driver : public testing::Test {
protected:
    static constexpr int answer_ok = 1;
    static constexpr int answer_yes = 6;
    static constexpr int answer_no = 7;

    // Starts the tile server (pattern tiles unless told otherwise) and points the program at it;
    // on a free port, or on `port` to bring a stopped server back where it was.
    void start_server(tileserver::server_options options = pattern_options(), int port = 0) {
        options.bind = "127.0.0.1";
        options.port = port;
        server = std::make_unique<tileserver::tile_server>(options);
        std::string error;
        ASSERT_GT(server->open(error), 0) << error;
        server->start();
        point_program_at(server->port());
    }

    static void point_program_at(int port) {
        const std::string host = "127.0.0.1:" + std::to_string(port);
        setenv("LOMTRA_SAT_TILE_SERVER", ("http://" + host).c_str(), 1);
        setenv("LOMTRA_SAT_SITE", host.c_str(), 1);
    }

    // A loopback port free a moment ago, the program pointed at it: for a server started after
    // a child process, which must not inherit the server's threads (a lock one of them held
    // at the fork would stay held in the child for ever).
    static int port_for_a_later_server() {
        const int port = test_support::unused_loopback_port();
        point_program_at(port);
        return port;
    }

    static tileserver::server_options pattern_options() {
        tileserver::server_options options;
        options.source = tileserver::source_kind::pattern;
        options.no_cache = true;  // a tile asked for again after a fault comes from the server
        return options;
    }

    // Starts the program with these words after its name; boxes are answered from `answers`
    // (OK for boxes with one button when the queue is empty).
    bool start(const std::vector<std::string>& words) {
        platform::set_dialog_responder([this](const platform::dialog_request& box) {
            boxes.push_back({box.spec.title, box.spec.text, box.spec.buttons});
            if (answers.empty()) return platform::dialog_answer::ok;
            const int answer = answers.front();
            answers.pop_front();
            return static_cast<platform::dialog_answer>(answer);
        });
        settings.open_result = [this](std::string_view path) {
            opened.emplace_back(path);
            return 1;
        };
        std::vector<const char*> argv = {"lomtra-sat"};
        for (const std::string& word : words) argv.push_back(word.c_str());
        started = app::start_program(static_cast<int>(argv.size()), argv.data(), settings);
        return started;
    }

    void TearDown() override {
        while (!children.empty()) exit_status(children.front(), 0);  // one a failed test left running
        if (started) app::shut_down();
        platform::set_dialog_responder({});
        server.reset();
    }

    // Runs passes of the main loop until `done` holds (true), the loop ends or time runs out.
    bool run_until(const std::function<bool()>& done, int timeout_ms = 20000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (!done()) {
            if (loop_ended || std::chrono::steady_clock::now() > end) return false;
            loop_ended = !app::main_loop_pass();
        }
        return true;
    }

    // Lets the window settle: passes for about `ms` milliseconds.
    void run_for(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        run_until([&] { return std::chrono::steady_clock::now() > end; }, ms + 1000);
    }

    void click_start() { gtk_button_clicked(GTK_BUTTON(widget(ui::gadget_handle(app::GADGET_START)))); }

    void type_into(int field, const std::string& text) {
        gtk_entry_set_text(GTK_ENTRY(widget(ui::gadget_handle(field))), text.c_str());
    }

    void move_trackbar(int trackbar, int position) {
        gtk_range_set_value(GTK_RANGE(widget(ui::gadget_handle(trackbar))), position);
    }

    void set_area(double lat_min, double lat_max, double lon_min, double lon_max) {
        type_into(app::GADGET_LAT_MIN, std::to_string(lat_min));
        type_into(app::GADGET_LAT_MAX, std::to_string(lat_max));
        type_into(app::GADGET_LON_MIN, std::to_string(lon_min));
        type_into(app::GADGET_LON_MAX, std::to_string(lon_max));
    }

    // Starts the program on `bounds`, presses START at `zoom` and answers Yes.
    void start_run(const app::area& bounds, int zoom, int compression = 10) {
        ASSERT_TRUE(start({"nofile", std::to_string(bounds.lat_min), std::to_string(bounds.lat_max),
                           std::to_string(bounds.lon_min), std::to_string(bounds.lon_max)}));
        move_trackbar(app::GADGET_ZOOM, zoom);
        move_trackbar(app::GADGET_COMPRESSION, compression);
        run_for(50);
        confirm_start();
    }

    // Presses START and answers Yes.
    void confirm_start() {
        answers = {answer_yes};
        click_start();
        ASSERT_TRUE(run_until([] { return app::program.run.active(); }, 5000));
    }

    // The files of the output folder with this extension.
    static std::vector<std::filesystem::path> output_files(const std::string& extension) {
        std::vector<std::filesystem::path> files;
        const std::filesystem::path folder = platform::native_path(app::output_folder);
        if (!std::filesystem::is_directory(folder)) return files;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == extension) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }

    // The files at the root of drive C, by name.
    static std::vector<std::string> drive_c_files() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(platform::native_path("C:/")))
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs `body` in a child process, as a second program on the same machine (and the same
    // drive C) would run; its result is the child's exit status. Call before this process
    // starts its own program: the child must not inherit a running toolkit.
    pid_t in_child_process(const std::function<int()>& body) {
        const pid_t child = fork();
        if (child == 0) _exit(body());
        children.push_back(child);
        return child;
    }

    // Waits, without running any program in this process, until `done` holds; false on timeout.
    static bool wait_for(const std::function<bool()>& done, int timeout_ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // The exit status of a child of in_child_process (128 + n when signal n ended it), or -1
    // when it has not ended within timeout_ms: it is then killed.
    int exit_status(pid_t child, int timeout_ms) {
        const auto mine = std::find(children.begin(), children.end(), child);
        if (mine == children.end()) return -1;
        children.erase(mine);  // reaped below either way: its number is never used again
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        do {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child)
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return -1;
    }

    // Asks to close the window as the window manager's close box does; true once the loop ended.
    bool close_window() {
        gtk_window_close(GTK_WINDOW(widget(ui::window_handle(app::main_window_number))));
        return run_until([] { return false; }, 5000) || loop_ended;
    }

    bool run_finished() const { return !app::program.run.active() && app::program.run.capture_count() == 0; }

    std::string text_of(int gadget) { return ui::gadget_get_text(gadget); }

    // The settings of the program a test starts (set them before start): a fixed clock, a
    // short patience. The finished mosaic never goes to an image viewer: its name lands in
    // `opened`.
    app::run_settings settings;
    std::vector<std::string> opened;
    std::vector<pid_t> children;
    std::unique_ptr<tileserver::tile_server> server;
    std::deque<int> answers;
    std::vector<shown_box> boxes;
    bool started = false;
    bool loop_ended = false;
};

}  // namespace app_test
