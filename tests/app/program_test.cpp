// The program's window, its main loop and START, driven in-process as a person would.
#include <filesystem>
#include <set>

#include "app/start_checks.h"
#include "platform/paths.h"
#include "program_driver.h"
#include "support/temp_dir.h"

namespace {

using app_test::program_driver;
namespace fs = std::filesystem;

class Program : public program_driver {
protected:
    void SetUp() override { start_server(); }

    std::vector<std::string> bound_fields() {
        return {text_of(app::GADGET_LAT_MIN), text_of(app::GADGET_LAT_MAX), text_of(app::GADGET_LON_MIN),
                text_of(app::GADGET_LON_MAX)};
    }

    void expect_idle_button() {
        EXPECT_EQ(text_of(app::GADGET_START), "START");
        EXPECT_TRUE(gtk_widget_get_sensitive(app_test::widget(ui::gadget_handle(app::GADGET_START))));
        EXPECT_EQ(app::program.run.state(), app::run_state::idle);
    }

    // Presses START at `zoom` and returns the boxes it showed.
    std::vector<app_test::shown_box> press_start(int zoom) {
        move_trackbar(app::GADGET_ZOOM, zoom);
        run_for(50);
        boxes.clear();
        click_start();
        run_until([&] { return !boxes.empty() && text_of(app::GADGET_START) == "START"; }, 5000);
        run_for(20);
        return boxes;
    }
};

TEST_F(Program, StartsWithTheDefaultAreaAndIdleControls) {
    ASSERT_TRUE(start({}));
    EXPECT_EQ(bound_fields(), (std::vector<std::string>{"-60.000000", "75.000000", "-169.000000", "169.000000"}));
    EXPECT_EQ(ui::gadget_get_state(app::GADGET_ZOOM), 5);
    EXPECT_EQ(ui::gadget_get_state(app::GADGET_COMPRESSION), 5);
    EXPECT_EQ(text_of(app::GADGET_ZOOM_LABEL), "Zoom");
    EXPECT_EQ(text_of(app::GADGET_COMPRESSION_LABEL), "Compression 1:Max 10:Min");
    EXPECT_EQ(text_of(app::GADGET_STATUS), "Ready..........");
    EXPECT_EQ(text_of(app::GADGET_START), "START");
    EXPECT_EQ(ui::gadget_get_state(app::GADGET_PROGRESS), 0);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(app_test::widget(ui::window_handle(0)))), "Lomtra-Systems / Kestrom");
    for (int gadget = 1; gadget <= 19; ++gadget) EXPECT_NE(ui::gadget_handle(gadget), nullptr) << gadget;
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Program, AMissingKmlFileIsReportedAndLeavesZeros) {
    test_support::temp_dir folder;
    ASSERT_TRUE(start({folder.file("missing.kml")}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Information");
    EXPECT_EQ(boxes[0].text, "Impossible d'ouvrir le fichier!");
    EXPECT_EQ(bound_fields(), (std::vector<std::string>{"0.000000", "0.000000", "0.000000", "0.000000"}));
}

TEST_F(Program, ThreeNumbersAreIgnoredAndFourAreUsed) {
    ASSERT_TRUE(start({"nofile", "43.1", "43.3", "5.2"}));
    EXPECT_EQ(bound_fields(), (std::vector<std::string>{"-60.000000", "75.000000", "-169.000000", "169.000000"}));
    app::shut_down();
    started = false;
    ASSERT_TRUE(start({"nofile", "43.1", "43.3", "5.2", "5.5"}));
    EXPECT_EQ(bound_fields(), (std::vector<std::string>{"43.100000", "43.300000", "5.200000", "5.500000"}));
}

TEST_F(Program, TrackbarLabelsFollowTheirTrackbars) {
    ASSERT_TRUE(start({}));
    move_trackbar(app::GADGET_ZOOM, 12);
    EXPECT_TRUE(run_until([&] { return text_of(app::GADGET_ZOOM_LABEL) == "Zoom = 12"; }, 3000));
    move_trackbar(app::GADGET_COMPRESSION, 3);
    EXPECT_TRUE(run_until(
        [&] { return text_of(app::GADGET_COMPRESSION_LABEL) == "Compression = 3 // 1:Max 10:Min"; }, 3000));
    EXPECT_EQ(text_of(app::GADGET_ZOOM_LABEL), "Zoom = 12");
}

TEST_F(Program, ReversedBoundsGetOnlyTheErrorBox) {
    ASSERT_TRUE(start({"nofile", "48.9", "48.8", "2.3", "2.4"}));
    const auto shown = press_start(10);  // the grid is also too small at zoom 10
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(shown[0].text, "Check the values (maximum and minimum)");
    expect_idle_button();
    EXPECT_EQ(text_of(app::GADGET_LAT_MIN), "48.900000");  // the fields keep what the user typed
}

TEST_F(Program, EqualLatitudesAreTooSmall) {
    ASSERT_TRUE(start({"nofile", "48.85", "48.85", "2.3", "2.4"}));
    const auto shown = press_start(12);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Zoom too low");
    EXPECT_EQ(shown[0].text, "Increase the zoom level");
    expect_idle_button();
}

TEST_F(Program, APoleIsRefusedWithAReason) {
    ASSERT_TRUE(start({"nofile", "80", "90", "2.3", "2.4"}));
    auto shown = press_start(12);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_NE(shown[0].text.find("90"), std::string::npos) << shown[0].text;
    expect_idle_button();
    // Just short of the pole the latitude is within -90 to 90: the grid's end is what is wrong.
    type_into(app::GADGET_LAT_MAX, "89.9999999");
    shown = press_start(12);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("89.9999999 degrees lies too close to the pole"), std::string::npos)
        << shown[0].text;
    expect_idle_button();
}

TEST_F(Program, TabVisitsTheFieldsTrackbarsAndStartButNoBrowserPanel) {
    ASSERT_TRUE(start({}));
    platform::window* window = ui::window_handle(app::main_window_number);
    std::set<int> visited;
    GtkWidget* top = app_test::widget(window);
    for (int press = 0; press < 16; ++press) {
        // The Tab key as the window receives it.
        GdkEvent* tab = gdk_event_new(GDK_KEY_PRESS);
        tab->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(top)));
        tab->key.keyval = GDK_KEY_Tab;
        gtk_widget_event(top, tab);
        gdk_event_free(tab);
        visited.insert(ui::gadget_number_of(platform::focused_control(window)));
    }
    EXPECT_EQ(visited, (std::set<int>{app::GADGET_START, app::GADGET_LAT_MIN, app::GADGET_LAT_MAX,
                                      app::GADGET_LON_MIN, app::GADGET_LON_MAX, app::GADGET_ZOOM,
                                      app::GADGET_COMPRESSION}));
}

TEST_F(Program, TheConfirmationNamesTheFullCountAndNoRefuses) {
    ASSERT_TRUE(start({}));
    for (const auto& [zoom, count] : std::vector<std::pair<int, std::string>>{
             {1, "4"}, {5, "576"}, {20, "549506419182"}}) {
        answers = {answer_no};
        const auto shown = press_start(zoom);
        ASSERT_EQ(shown.size(), 1u) << zoom;
        EXPECT_EQ(shown[0].title, "Download?");
        EXPECT_EQ(shown[0].text, count + " files to download - Are you sure ?");
        EXPECT_EQ(shown[0].buttons, platform::dialog_buttons::yes_no);
        expect_idle_button();
    }
}

TEST_F(Program, AMosaicTooLargeForOneImageIsRefusedAfterYes) {
    ASSERT_TRUE(start({}));
    answers = {answer_yes};
    const auto shown = press_start(20);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Download?");
    EXPECT_EQ(shown[1].title, "Error");
    EXPECT_NE(shown[1].text.find("too large"), std::string::npos);
    expect_idle_button();
}

TEST_F(Program, AnEmptiedFieldCountsAsZero) {
    ASSERT_TRUE(start({"nofile", "-10", "10", "-20", "20"}));
    type_into(app::GADGET_LAT_MIN, "");
    answers = {answer_no};
    const auto shown = press_start(5);
    ASSERT_EQ(shown.size(), 1u);
    const int64_t count = app::tile_count(app::compute_grid(app::area{0, 10, -20, 20}, 5));
    EXPECT_EQ(shown[0].text, app::confirmation_text(count));
    EXPECT_DOUBLE_EQ(app::program.bounds.lat_min, 0.0);
}

TEST_F(Program, YesStartsTheRunWithTheButtonDisabled) {
    ASSERT_TRUE(start({"nofile", "48.8", "48.9", "2.3", "2.4"}));
    move_trackbar(app::GADGET_ZOOM, 12);
    move_trackbar(app::GADGET_COMPRESSION, 10);
    run_for(50);
    answers = {answer_yes};
    click_start();
    ASSERT_TRUE(run_until([&] { return app::program.run.active(); }, 5000));
    EXPECT_EQ(text_of(app::GADGET_START), "......");
    EXPECT_FALSE(gtk_widget_get_sensitive(app_test::widget(ui::gadget_handle(app::GADGET_START))));
    EXPECT_EQ(app::program.run.plan().zoom, 12);
    EXPECT_EQ(app::program.run.plan().compression, 10);
    EXPECT_EQ(app::program.run.next_tile().x, 2074);
    EXPECT_EQ(app::program.run.next_tile().y, 1410);
    // The priming capture comes on a following pass and requests the first tile.
    ASSERT_TRUE(run_until([&] { return app::program.run.state() == app::run_state::page_requested; }, 10000));
    EXPECT_NE(text_of(app::GADGET_BROWSER).find("x=2074&s=&y=1410&z=12"), std::string::npos);
    EXPECT_EQ(text_of(app::GADGET_STATUS), "Ready..........");
}

TEST_F(Program, ClosingEndsTheLoopAndRemovesTheFixedTemporaryFiles) {
    ASSERT_TRUE(start({}));
    for (const char* name : {"c:\\Screenshot.jpg", "C:/shot.jpg", "C:/essai.jpg", "C:/0.jpg"}) {
        ASSERT_TRUE(test_support::write_file(platform::native_path(name), "x"));
    }
    EXPECT_TRUE(close_window());
    for (const char* name : {"C:/screenshot.jpg", "C:/shot.jpg", "C:/essai.jpg"}) {
        EXPECT_FALSE(fs::exists(platform::native_path(name))) << name;
    }
    // No run was under way, so no numbered file is the program's to delete.
    EXPECT_TRUE(fs::exists(platform::native_path("C:/0.jpg")));
}

TEST(ProgramExit, ClosingTheWindowEndsTheProgramWithCodeZero) {
    tileserver::server_options options;
    options.source = tileserver::source_kind::pattern;
    options.port = 0;
    tileserver::tile_server server(options);
    std::string error;
    ASSERT_GT(server.open(error), 0) << error;
    server.start();
    setenv("LOMTRA_SAT_SITE", ("127.0.0.1:" + std::to_string(server.port())).c_str(), 1);
    // The close request arrives through the main loop, as the close box's would.
    g_timeout_add(1500, [](gpointer) -> gboolean {
        if (GtkWidget* window = app_test::widget(ui::window_handle(0))) gtk_window_close(GTK_WINDOW(window));
        return G_SOURCE_REMOVE;
    }, nullptr);
    const char* argv[] = {"lomtra-sat", "nofile", "1", "2", "3", "4"};
    EXPECT_EQ(app::run_program(6, argv), 0);
    EXPECT_EQ(ui::window_handle(0), nullptr);
}

}  // namespace
