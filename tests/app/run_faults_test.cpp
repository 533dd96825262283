// Capture runs off the healthy path, driven in-process against the local tile server: a server
// that goes away, tiles that never answer, a full drive C, too little memory, a second window
// on the same drive C and a termination signal. Each ends in a complete, exact mosaic or in an
// "Error" box with no output and drive C as the run found it.
#include <sys/mount.h>
#include <sys/resource.h>
#include <sched.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/startup.h"
#include "services/settings.h"
#include "jpeg_memory.h"
#include "pattern_match.h"
#include "program_driver.h"
#include "support/temp_dir.h"
#include "ui/events.h"

namespace {

using app_test::program_driver;
using std::chrono::milliseconds;
namespace fs = std::filesystem;

const app::area paris{48.8, 48.9, 2.3, 2.4};

class RunFaults : public program_driver {
protected:
    static tileserver::rgb_image decoded(const fs::path& image) {
        tileserver::rgb_image pixels;
        EXPECT_TRUE(tileserver::decode_jpeg(test_support::read_file(image.string()), pixels)) << image;
        return pixels;
    }

    // Checks that the mosaic shows the pattern where its world file places it.
    static void expect_exact(const fs::path& image, int zoom, const std::string& what) {
        fs::path base = image;
        base.replace_extension(".jgw");
        app_test::world_placement placement;
        ASSERT_TRUE(app_test::parse_world_file(test_support::read_file(base.string()), placement));
        app_test::expect_exact_placement(decoded(image), placement, zoom, what);
    }

    static bool lomtra_folder_exists() { return fs::exists(platform::native_path(app::output_folder)); }

    // The "Error" boxes shown so far.
    std::vector<app_test::shown_box> error_boxes() const {
        std::vector<app_test::shown_box> errors;
        for (const auto& box : boxes)
            if (box.title == "Error") errors.push_back(box);
        return errors;
    }
};

// Bytes of private memory this process has (what RLIMIT_DATA counts).
int64_t data_in_use() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmData:", 0) == 0) return std::stoll(line.substr(7)) * 1024;
    return -1;
}

// Lets the process have only `room` bytes of private memory more than it has now; restores
// the previous limit when it goes.
class memory_limit {
public:
    explicit memory_limit(int64_t room) {
        getrlimit(RLIMIT_DATA, &previous_);
        rlimit tight = previous_;
        tight.rlim_cur = static_cast<rlim_t>(data_in_use() + room);
        set_ = setrlimit(RLIMIT_DATA, &tight) == 0;
    }
    ~memory_limit() { setrlimit(RLIMIT_DATA, &previous_); }
    memory_limit(const memory_limit&) = delete;
    memory_limit& operator=(const memory_limit&) = delete;
    bool set() const { return set_; }

private:
    rlimit previous_{};
    bool set_ = false;
};

TEST_F(RunFaults, AServerStoppedMidRunAndBackTenSecondsLaterGivesTheUndisturbedMosaic) {
    start_server();
    settings.patience.no_answer = milliseconds{5000};
    settings.patience.waits = {milliseconds{250}, milliseconds{500}, milliseconds{1000}, milliseconds{2000}};
    settings.patience.before_asking = milliseconds{60000};
    start_run(paris, 12);
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000));
    ASSERT_EQ(output_files(".jpg").size(), 1u);
    const tileserver::rgb_image undisturbed = decoded(output_files(".jpg")[0]);

    confirm_start();
    ASSERT_TRUE(run_until([] { return app::program.run.capture_count() >= 3; }, 30000));
    const int port = server->port();
    server.reset();
    std::string awaited;
    const auto back_at = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    run_until([&] {
        const std::string status = text_of(app::GADGET_STATUS);
        if (status.find("attempt") != std::string::npos) awaited = status;
        return std::chrono::steady_clock::now() > back_at;
    }, 11000);
    EXPECT_NE(awaited.find("zoom = 12"), std::string::npos) << awaited;
    EXPECT_FALSE(run_finished());  // the run waits for its tile
    start_server(pattern_options(), port);
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000));

    EXPECT_TRUE(error_boxes().empty());
    ASSERT_EQ(opened.size(), 2u);
    const tileserver::rgb_image disturbed = decoded(platform::native_path(opened[1]));
    ASSERT_EQ(disturbed.width, undisturbed.width);
    ASSERT_EQ(disturbed.height, undisturbed.height);
    EXPECT_TRUE(disturbed.pixels == undisturbed.pixels);
    EXPECT_EQ(drive_c_files(), std::vector<std::string>{"shot.jpg"});
}

// A panel that cannot be drawn (hidden) gives no picture of the tile it shows, though the
// next tile has already been asked for by then: that tile is the one waited for, and the run,
// once the panel is back, gives the exact mosaic.
TEST_F(RunFaults, APanelThatCannotBeDrawnForAWhileIsWaitedForAndTheMosaicIsExact) {
    start_server();
    settings.patience.waits = {milliseconds{100}, milliseconds{200}};
    settings.patience.before_asking = milliseconds{60000};
    start_run(paris, 14);
    // Early in a row of tiles: the tile waited for and the one after it are neighbours, which
    // the pattern tells apart.
    ASSERT_TRUE(run_until([] { return app::program.run.capture_count() >= 3; }, 30000));
    GtkWidget* panel = test_support::widget(ui::gadget_handle(app::GADGET_BROWSER));
    gtk_widget_hide(panel);
    std::string awaited;
    ASSERT_TRUE(run_until([&] {
        awaited = text_of(app::GADGET_STATUS);
        return awaited.find("attempt 2") != std::string::npos;
    }, 10000)) << awaited;
    EXPECT_NE(awaited.find("could not be rendered"), std::string::npos) << awaited;
    const int64_t stalled_at = app::program.run.capture_count();
    run_for(300);
    EXPECT_EQ(app::program.run.capture_count(), stalled_at);
    gtk_widget_show(panel);
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000));

    EXPECT_TRUE(error_boxes().empty());
    ASSERT_EQ(output_files(".jpg").size(), 1u);
    expect_exact(output_files(".jpg")[0], 14, "a run whose panel was hidden for a while");
}

TEST_F(RunFaults, AServerThatNeverComesBackAsksAndNoLeavesDriveCAsItWas) {
    start_server();
    settings.patience.no_answer = milliseconds{3000};
    settings.patience.waits = {milliseconds{100}, milliseconds{200}};
    settings.patience.before_asking = milliseconds{1000};
    ASSERT_TRUE(test_support::write_file(platform::native_path("C:/") + "/notes.txt", "not the run's"));
    const std::vector<std::string> before = drive_c_files();
    start_run(paris, 12);
    ASSERT_TRUE(run_until([] { return app::program.run.capture_count() >= 2; }, 30000));
    server.reset();
    answers = {answer_yes, answer_no};  // go on once, then stop
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 30000));

    const auto errors = error_boxes();
    ASSERT_EQ(errors.size(), 2u);
    for (const auto& box : errors) {
        EXPECT_NE(box.text.find("did not arrive after"), std::string::npos) << box.text;
        EXPECT_NE(box.text.find(", zoom = 12"), std::string::npos) << box.text;
        EXPECT_NE(box.text.find("Address: http://127.0.0.1:"), std::string::npos) << box.text;
        EXPECT_EQ(box.buttons, platform::dialog_buttons::yes_no);
    }
    EXPECT_EQ(drive_c_files(), before);
    EXPECT_FALSE(lomtra_folder_exists());
    EXPECT_EQ(text_of(app::GADGET_STATUS), "Ready..........");
    EXPECT_EQ(text_of(app::GADGET_START), "START");
}

TEST_F(RunFaults, NothingAnsweringAtTheTileAddressAsksAtOnceAndNamesWhereTheSourceIsChosen) {
    start_server();
    const int port = server->port();
    server.reset();  // nothing answers at the configured address; the patience stays the program's own
    const std::vector<std::string> before = drive_c_files();
    ASSERT_TRUE(start({"nofile", "48.8", "48.9", "2.3", "2.4"}));
    move_trackbar(app::GADGET_ZOOM, 12);
    run_for(50);
    answers = {answer_yes, answer_no};
    const auto pressed = std::chrono::steady_clock::now();
    click_start();
    ASSERT_TRUE(run_until([&] { return error_boxes().size() == 1 && run_finished(); }, 20000));
    // At once: not after the two minutes a tile is otherwise awaited.
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(15));

    const std::string text = error_boxes()[0].text;
    EXPECT_NE(text.find("Address: http://127.0.0.1:" + std::to_string(port) + "/"), std::string::npos) << text;
    EXPECT_NE(text.find("No tile of this run has arrived yet"), std::string::npos) << text;
    EXPECT_NE(text.find("LOMTRA_SAT_TILE_URL"), std::string::npos) << text;
    EXPECT_NE(text.find(services::settings_file_path()), std::string::npos) << text;
    EXPECT_EQ(drive_c_files(), before);
    EXPECT_FALSE(lomtra_folder_exists());
}

TEST_F(RunFaults, ATileThatNeverAnswersIsAskedForAgainAndTheWindowStillCloses) {
    tileserver::server_options options = pattern_options();
    options.hang = true;
    start_server(options);
    settings.patience.no_answer = milliseconds{700};
    settings.patience.waits = {milliseconds{300}};
    start_run(paris, 12);
    ASSERT_TRUE(run_until([&] { return text_of(app::GADGET_STATUS).find("attempt 2") != std::string::npos; }, 20000));
    EXPECT_NE(text_of(app::GADGET_STATUS).find("x = 2074, y = 1410, zoom = 12"), std::string::npos);
    ASSERT_TRUE(run_until([&] { return text_of(app::GADGET_STATUS).find("no answer within") != std::string::npos; },
                          5000));
    EXPECT_TRUE(close_window());
    EXPECT_TRUE(drive_c_files().empty());
    EXPECT_TRUE(error_boxes().empty());
}

TEST_F(RunFaults, AFullDriveCStopsTheRunWithAnErrorAndWritesNoOutput) {
    // Drive C on a small file system of the test's own, seen by this process only.
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        GTEST_SKIP() << "mounting needs root: " << std::strerror(errno);
    const std::string root = test_support::drive_c_root();
    fs::create_directories(root);
    ASSERT_EQ(mount("lomtra-test", root.c_str(), "tmpfs", 0, "size=640k"), 0) << std::strerror(errno);
    // Unmounted when the test ends, so that the test process can remove its folders.
    const std::unique_ptr<const std::string, void (*)(const std::string*)> unmount(
        &root, [](const std::string* mounted) { umount2(mounted->c_str(), MNT_DETACH); });
    start_server();
    start_run(paris, 14);  // 48 tiles of about 40 KB: the drive fills after a few
    ASSERT_TRUE(run_until([&] { return run_finished(); }, 60000));
    const auto errors = error_boxes();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].text.find("could not be written: No space left on device"), std::string::npos)
        << errors[0].text;
    EXPECT_TRUE(drive_c_files().empty());
    EXPECT_FALSE(lomtra_folder_exists());
    EXPECT_TRUE(opened.empty());
}

TEST_F(RunFaults, TooLittleMemoryRefusesTheRunOrStopsItWithAnErrorAndNoOutput) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer's own memory counts against the limit; the normal build runs this";
#endif
    start_server();
    ASSERT_TRUE(start({"nofile", "48.8", "48.9", "2.3", "2.4"}));
    move_trackbar(app::GADGET_ZOOM, 14);  // 6 x 8 tiles: rows of tiles 1536 pixels wide, 1.1 MB each
    move_trackbar(app::GADGET_COMPRESSION, 10);
    run_for(50);
    {
        memory_limit limit(8 << 20);
        ASSERT_TRUE(limit.set());
        boxes.clear();
        answers = {answer_yes};
        click_start();
        ASSERT_TRUE(run_until([&] { return boxes.size() == 2; }, 5000));
    }
    EXPECT_EQ(boxes[1].title, "Error");
    EXPECT_NE(boxes[1].text.find("of memory, but only"), std::string::npos) << boxes[1].text;
    run_for(50);
    EXPECT_FALSE(app::program.run.active());

    // Memory that runs out while the run goes on: the assembly's rows cannot be had.
    confirm_start();
    const int64_t tiles = app::tile_count(app::program.run.plan().grid);
    // The last tile asked for: every earlier one has been rendered.
    ASSERT_TRUE(run_until([&] { return app::program.run.capture_count() >= tiles - 1; }, 60000));
    {
        memory_limit limit(3 << 19);
        ASSERT_TRUE(run_until([&] { return run_finished(); }, 30000));
    }
    const auto errors = error_boxes();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[1].text.find("The mosaic of "), std::string::npos) << errors[1].text;
    EXPECT_NE(errors[1].text.find("not enough memory"), std::string::npos);
    EXPECT_FALSE(lomtra_folder_exists());
    EXPECT_TRUE(drive_c_files().empty());
    EXPECT_TRUE(opened.empty());
}

TEST_F(RunFaults, ASecondWindowOnTheSameDriveCIsRefusedAndTheFirstRunIsExact) {
    tileserver::server_options slow = pattern_options();
    slow.delay_ms = 400;  // the first window's run lasts a few seconds
    const int port = port_for_a_later_server();
    const pid_t first = in_child_process([&] {
        start_run(paris, 13);
        const bool done = app::program.run.active() && run_until([&] { return run_finished(); }, 90000);
        app::shut_down();
        return done && opened.size() == 1 && error_boxes().empty() ? 0 : 1;
    });
    start_server(slow, port);
    const std::string lock = platform::native_path(app::drive_lock_file);
    // The first window starts a whole program first: slow under the sanitizers on a busy machine.
    ASSERT_TRUE(wait_for([&] { return fs::exists(lock); }, 90000));

    ASSERT_TRUE(start({"nofile", "48.8", "48.9", "2.3", "2.4"}));
    move_trackbar(app::GADGET_ZOOM, 13);
    run_for(50);
    click_start();
    ASSERT_TRUE(run_until([&] { return !boxes.empty() && text_of(app::GADGET_START) == "START"; }, 5000));
    ASSERT_EQ(boxes.size(), 1u);  // refused before the question
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_NE(boxes[0].text.find("Another Lomtra-SAT window is capturing"), std::string::npos);
    EXPECT_TRUE(fs::exists(lock));
    EXPECT_TRUE(close_window());  // touches nothing of the first window's run

    ASSERT_EQ(exit_status(first, 90000), 0);
    const auto images = output_files(".jpg");
    ASSERT_EQ(images.size(), 1u);
    expect_exact(images[0], 13, "the first window's mosaic");
    EXPECT_EQ(drive_c_files(), std::vector<std::string>{"shot.jpg"});
}

TEST_F(RunFaults, SigtermMidRunTakesTheClosePathAndEndsWith143) {
    tileserver::server_options slow = pattern_options();
    slow.delay_ms = 300;
    const int port = port_for_a_later_server();
    ASSERT_TRUE(test_support::write_file(platform::native_path("C:/") + "/notes.txt", "not the run's"));
    const std::vector<std::string> before = drive_c_files();
    const pid_t program = in_child_process([] {
        // The whole program as main() runs it, START pressed and Yes answered once it is up.
        platform::set_dialog_responder([](const platform::dialog_request&) { return platform::dialog_answer::yes; });
        g_timeout_add(500, [](gpointer) -> gboolean {
            if (app::program.run.active()) return G_SOURCE_REMOVE;
            GtkWidget* start = app_test::widget(ui::gadget_handle(app::GADGET_START));
            // A click made while the window is still being built may be lost: click until it takes.
            if (ui::gadget_handle(app::GADGET_ADVERT_RIGHT) && gtk_widget_get_sensitive(start)) {
                gtk_range_set_value(GTK_RANGE(app_test::widget(ui::gadget_handle(app::GADGET_ZOOM))), 13);
                gtk_button_clicked(GTK_BUTTON(start));
            }
            return G_SOURCE_CONTINUE;
        }, nullptr);
        app::run_settings quiet;
        quiet.open_result = [](std::string_view) { return 1; };
        const char* argv[] = {"lomtra-sat", "nofile", "48.8", "48.9", "2.3", "2.4"};
        return app::run_program(6, argv, quiet);
    });
    start_server(slow, port);
    ASSERT_TRUE(wait_for([] { return fs::exists(platform::native_path("C:/3.jpg")); }, 60000));
    kill(program, SIGTERM);
    EXPECT_EQ(exit_status(program, 30000), 128 + SIGTERM);
    EXPECT_EQ(drive_c_files(), before);
    EXPECT_FALSE(lomtra_folder_exists());
}

}  // namespace
