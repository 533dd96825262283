// The event loop: waiting, the window-event queue and its tail rule, the pending control event.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/toolkit.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"
#include "ui/windows.h"
#include "ui_test_support.h"

namespace {

using test_support::widget;

class EventLoop : public testing::Test {
protected:
    void SetUp() override {
        window = ui::window_open(0, 0, 0, 400, 300, "Event loop", 0xCA0001);
        ASSERT_NE(window, nullptr);
        ASSERT_NE(ui::button_create(3, 10, 10, 120, 30, "START"), nullptr);
        ui_test::settle();
    }
    void TearDown() override { ui::windows_close_all(); }

    platform::window* window = nullptr;
};

TEST_F(EventLoop, ButtonClickIsAControlEventOfTypeZero) {
    gtk_button_clicked(GTK_BUTTON(widget(ui::gadget_handle(3))));
    const ui_test::seen_event event = ui_test::wait_for_event(ui::EVENT_CONTROL);
    EXPECT_EQ(event.code, ui::EVENT_CONTROL);
    EXPECT_EQ(event.gadget, 3);
    EXPECT_EQ(event.type, 0);
    EXPECT_EQ(event.window, 0);
}

TEST_F(EventLoop, CloseRequestIsReportedAndTheWindowStays) {
    gtk_button_clicked(GTK_BUTTON(widget(ui::gadget_handle(3))));
    ASSERT_EQ(ui_test::wait_for_event(ui::EVENT_CONTROL).gadget, 3);

    gtk_window_close(GTK_WINDOW(widget(window)));
    const ui_test::seen_event event = ui_test::wait_for_event(ui::EVENT_CLOSE);
    EXPECT_EQ(event.code, ui::EVENT_CLOSE);
    EXPECT_EQ(event.type, -1);
    EXPECT_EQ(event.gadget, 3);  // kept from the last control event
    ui_test::settle();
    EXPECT_TRUE(platform::is_window_visible(window));
    EXPECT_EQ(ui::window_handle(0), window);
}

TEST_F(EventLoop, RepeatedCloseWhileQueuedIsQueuedOnce) {
    gtk_window_close(GTK_WINDOW(widget(window)));
    gtk_window_close(GTK_WINDOW(widget(window)));
    // Both requests are handled before the application takes the first one.
    ui::handle_waiting_events();
    const auto seen = ui_test::settle();
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const auto& e) { return e.code == ui::EVENT_CLOSE; }), 1);
}

TEST_F(EventLoop, OneCloseRequestOrOneMoveIsOneEvent) {
    const auto count = [](const std::vector<ui_test::seen_event>& seen, int code) {
        return std::count_if(seen.begin(), seen.end(), [&](const auto& e) { return e.code == code; });
    };
    gtk_window_close(GTK_WINDOW(widget(window)));
    EXPECT_EQ(count(ui_test::settle(), ui::EVENT_CLOSE), 1);
    gtk_window_move(GTK_WINDOW(widget(window)), 123, 77);
    EXPECT_EQ(count(ui_test::settle(), ui::EVENT_MOVE), 1);
}

TEST_F(EventLoop, QueuedHappeningsKeepTheirOrder) {
    // Happenings handled outside the wait are queued; the queue is served first, in order.
    gtk_window_close(GTK_WINDOW(widget(window)));
    ui::handle_waiting_events();
    ui::window_set_colour(0, ui::rgb(1, 2, 3));
    platform::run_toolkit_for(300);
    gtk_window_close(GTK_WINDOW(widget(window)));
    ui::handle_waiting_events();
    std::vector<int> codes;
    for (int code = ui::event_poll(); code != 0; code = ui::event_poll()) codes.push_back(code);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.front(), ui::EVENT_CLOSE);
    EXPECT_EQ(codes.back(), ui::EVENT_CLOSE);
    EXPECT_NE(std::find(codes.begin(), codes.end(), ui::EVENT_REPAINT), codes.end());
}

TEST_F(EventLoop, PostedControlEventsComeAfterThoseWaiting) {
    platform::control* button = ui::gadget_handle(3);
    gtk_button_clicked(GTK_BUTTON(widget(button)));
    ASSERT_TRUE(ui::post_control_event(button, 77));
    const ui_test::seen_event first = ui_test::wait_for_event(ui::EVENT_CONTROL);
    EXPECT_EQ(first.type, 0);
    const ui_test::seen_event second = ui_test::wait_for_event(ui::EVENT_CONTROL);
    EXPECT_EQ(second.type, 77);
    EXPECT_EQ(second.gadget, 3);
}

TEST_F(EventLoop, EventRaisedOutsideTheWaitKeepsItsType) {
    // A gadget event handled by some other loop (a modal box, a browser panel's start-up)
    // stays pending and is returned, with its own type, by the next wait.
    ui::post_control_event(ui::gadget_handle(3), 6);
    ui::handle_waiting_events();
    EXPECT_EQ(ui::event_wait(100), ui::EVENT_CONTROL);
    EXPECT_EQ(ui::event_gadget(), 3);
    EXPECT_EQ(ui::event_type(), 6);
}

TEST_F(EventLoop, WaitWithoutLimitReturnsTheNextEvent) {
    ui::post_control_event(ui::gadget_handle(3), 5);
    int code = 0;
    // Window happenings may come first; the wait never returns "nothing".
    for (int i = 0; i < 20 && code != ui::EVENT_CONTROL; ++i) {
        code = ui::event_wait(-1);
        EXPECT_NE(code, 0);
    }
    EXPECT_EQ(code, ui::EVENT_CONTROL);
    EXPECT_EQ(ui::event_type(), 5);
}

TEST_F(EventLoop, ControlsOfUnknownNumbersDoNothing) {
    EXPECT_EQ(ui::gadget_get_text(99), "");
    EXPECT_EQ(ui::gadget_get_state(99), 0);
    EXPECT_EQ(ui::gadget_handle(99), nullptr);
    ui::gadget_set_text(99, "x");
    ui::gadget_disable(99, 1);
    ui::window_set_colour(7, 0);
    EXPECT_EQ(ui::window_handle(7), nullptr);
    EXPECT_EQ(ui::window_open(-1, 0, 0, 10, 10, "", 0), nullptr);
}

}  // namespace
