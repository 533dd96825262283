// Message boxes: answers, and the program's windows disabled only while a box is up.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <vector>

#include "platform/message_dialog_testing.h"
#include "platform/window.h"
#include "ui/events.h"
#include "ui/message_box.h"
#include "ui/windows.h"
#include "ui_test_support.h"

namespace {

class MessageBoxes : public testing::Test {
protected:
    void SetUp() override {
        main_window = ui::window_open(0, 0, 0, 300, 200, "Main", 0xCA0001);
        second_window = ui::window_open(1, 0, 0, 100, 100, "Second", 0xCA0001 | ui::WINDOW_NOT_PARENT);
        ASSERT_NE(main_window, nullptr);
        ASSERT_NE(second_window, nullptr);
        ui_test::settle();
    }
    void TearDown() override {
        platform::set_message_dialog_responder({});
        ui::windows_close_all();
    }

    // Answers every box with `button`, noting which windows were enabled meanwhile.
    void answer_with(int button) {
        platform::set_message_dialog_responder([this, button](const platform::message_dialog_request& request) {
            seen.push_back(request);
            enabled_during.clear();
            for (GtkWidget* window : {main_window, second_window})
                enabled_during.push_back(platform::is_window_enabled(window));
            return button;
        });
    }

    GtkWidget* main_window = nullptr;
    GtkWidget* second_window = nullptr;
    std::vector<platform::message_dialog_request> seen;
    std::vector<bool> enabled_during;
};

TEST_F(MessageBoxes, YesAndNoAreSixAndSeven) {
    answer_with(6);
    EXPECT_EQ(ui::message_box("Information", "12 files to download - Are you sure ?", 4), 6);
    answer_with(7);
    EXPECT_EQ(ui::message_box("Information", "12 files to download - Are you sure ?", 4), 7);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].title, "Information");
    EXPECT_EQ(seen[0].text, "12 files to download - Are you sure ?");
    EXPECT_EQ(seen[0].flags, 4u);
}

TEST_F(MessageBoxes, EveryWindowIsDisabledWhileTheBoxIsUpAndEnabledAfter) {
    answer_with(1);
    EXPECT_EQ(ui::message_box_ok("Error", "Zoom too low"), 1);
    EXPECT_EQ(enabled_during, (std::vector<bool>{false, false}));
    EXPECT_TRUE(platform::is_window_enabled(main_window));
    EXPECT_TRUE(platform::is_window_enabled(second_window));
}

TEST_F(MessageBoxes, AWindowDisabledBeforeStaysDisabled) {
    platform::enable_window(second_window, false);
    answer_with(1);
    ui::message_box_ok("Error", "x");
    EXPECT_TRUE(platform::is_window_enabled(main_window));
    EXPECT_FALSE(platform::is_window_enabled(second_window));
}

TEST_F(MessageBoxes, YesIsTheDefaultButton) {
    // Return presses the default button; the responder does what Return does.
    platform::set_message_dialog_responder([](const platform::message_dialog_request& request) {
        gtk_window_activate_default(GTK_WINDOW(request.dialog));
        return 0;
    });
    EXPECT_EQ(ui::message_box("Information", "Sure ?", 4), 6);
}

TEST_F(MessageBoxes, WindowEventsDuringTheBoxArriveAfterIt) {
    platform::set_message_dialog_responder([this](const platform::message_dialog_request&) {
        const int paints = platform::background_paint_count(main_window);
        ui::window_set_colour(0, ui::rgb(1, 2, 3));
        // Let the window repaint while the box is still up (bounded wait).
        const gint64 end = g_get_monotonic_time() + 5 * G_USEC_PER_SEC;
        while (platform::background_paint_count(main_window) == paints && g_get_monotonic_time() < end)
            g_main_context_iteration(nullptr, TRUE);
        return 1;
    });
    ui_test::settle();
    ui::message_box_ok("Error", "x");
    const ui_test::seen_event repaint = ui_test::wait_for_event(ui::EVENT_REPAINT);
    EXPECT_EQ(repaint.code, ui::EVENT_REPAINT);
    EXPECT_EQ(repaint.window, 0);
}

}  // namespace
