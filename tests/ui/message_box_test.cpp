// Message boxes: answers, and the program's windows disabled only while a box is up.
#include <gtest/gtest.h>

#include <vector>

#include "support/toolkit.h"
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
        platform::set_dialog_responder({});
        ui::windows_close_all();
    }

    // Answers every box with `button`, noting which windows were enabled meanwhile.
    void answer_with(platform::dialog_answer button) {
        platform::set_dialog_responder([this, button](const platform::dialog_request& request) {
            seen.push_back(request);
            enabled_during.clear();
            for (platform::window* window : {main_window, second_window})
                enabled_during.push_back(platform::is_window_enabled(window));
            return button;
        });
    }

    platform::window* main_window = nullptr;
    platform::window* second_window = nullptr;
    std::vector<platform::dialog_request> seen;
    std::vector<bool> enabled_during;
};

TEST_F(MessageBoxes, YesAndNoAreSixAndSeven) {
    answer_with(platform::dialog_answer::yes);
    EXPECT_EQ(ui::message_box("Information", "12 files to download - Are you sure ?", ui::MESSAGE_BOX_YES_NO), 6);
    answer_with(platform::dialog_answer::no);
    EXPECT_EQ(ui::message_box("Information", "12 files to download - Are you sure ?", ui::MESSAGE_BOX_YES_NO), 7);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].spec.title, "Information");
    EXPECT_EQ(seen[0].spec.text, "12 files to download - Are you sure ?");
    EXPECT_EQ(seen[0].spec.buttons, platform::dialog_buttons::yes_no);
}

TEST_F(MessageBoxes, EveryWindowIsDisabledWhileTheBoxIsUpAndEnabledAfter) {
    answer_with(platform::dialog_answer::ok);
    EXPECT_EQ(ui::message_box_ok("Error", "Zoom too low"), 1);
    EXPECT_EQ(enabled_during, (std::vector<bool>{false, false}));
    EXPECT_TRUE(platform::is_window_enabled(main_window));
    EXPECT_TRUE(platform::is_window_enabled(second_window));
}

TEST_F(MessageBoxes, AWindowDisabledBeforeStaysDisabled) {
    platform::enable_window(second_window, false);
    answer_with(platform::dialog_answer::ok);
    ui::message_box_ok("Error", "x");
    EXPECT_TRUE(platform::is_window_enabled(main_window));
    EXPECT_FALSE(platform::is_window_enabled(second_window));
}

TEST_F(MessageBoxes, YesIsTheDefaultButton) {
    // Return presses the default button; the responder does what Return does.
    platform::set_dialog_responder([](const platform::dialog_request& request) {
        gtk_window_activate_default(GTK_WINDOW(request.dialog));
        return platform::dialog_answer::none;
    });
    EXPECT_EQ(ui::message_box("Information", "Sure ?", ui::MESSAGE_BOX_YES_NO), ui::ANSWER_YES);
}

TEST_F(MessageBoxes, WindowEventsDuringTheBoxArriveAfterIt) {
    platform::set_dialog_responder([this](const platform::dialog_request&) {
        const int paints = platform::background_paint_count(main_window);
        ui::window_set_colour(0, ui::rgb(1, 2, 3));
        // Let the window repaint while the box is still up (bounded wait).
        for (int i = 0; i < 250 && platform::background_paint_count(main_window) == paints; ++i)
            platform::run_toolkit_for(20);
        return platform::dialog_answer::ok;
    });
    ui_test::settle();
    ui::message_box_ok("Error", "x");
    const ui_test::seen_event repaint = ui_test::wait_for_event(ui::EVENT_REPAINT);
    EXPECT_EQ(repaint.code, ui::EVENT_REPAINT);
    EXPECT_EQ(repaint.window, 0);
}

}  // namespace
