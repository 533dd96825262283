// The event loop: waiting, the window-event queue and its tail rule, the pending control event.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>

#include "platform/message_pump.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "ui/controls.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/windows.h"
#include "ui_test_support.h"

namespace {

class EventLoop : public testing::Test {
protected:
    void SetUp() override {
        window = ui::window_open(0, 0, 0, 400, 300, "Event loop", 0xCA0001);
        ASSERT_NE(window, nullptr);
        ASSERT_NE(ui::button_create(3, 10, 10, 120, 30, "START"), nullptr);
        ui_test::settle();
    }
    void TearDown() override { ui::windows_close_all(); }

    GtkWidget* window = nullptr;
};

TEST_F(EventLoop, ButtonClickIsAControlEventOfTypeZero) {
    gtk_button_clicked(GTK_BUTTON(ui::gadget_handle(3)));
    const ui_test::seen_event event = ui_test::wait_for_event(ui::EVENT_CONTROL);
    EXPECT_EQ(event.code, ui::EVENT_CONTROL);
    EXPECT_EQ(event.gadget, 3);
    EXPECT_EQ(event.type, 0);
    EXPECT_EQ(event.window, 0);
}

TEST_F(EventLoop, CloseRequestIsReportedAndTheWindowStays) {
    gtk_button_clicked(GTK_BUTTON(ui::gadget_handle(3)));
    ASSERT_EQ(ui_test::wait_for_event(ui::EVENT_CONTROL).gadget, 3);

    gtk_window_close(GTK_WINDOW(window));
    const ui_test::seen_event event = ui_test::wait_for_event(ui::EVENT_CLOSE);
    EXPECT_EQ(event.code, ui::EVENT_CLOSE);
    EXPECT_EQ(event.type, -1);
    EXPECT_EQ(event.gadget, 3);  // kept from the last control event
    ui_test::settle();
    EXPECT_TRUE(platform::is_window(window));
    EXPECT_TRUE(gtk_widget_get_visible(window));
    EXPECT_EQ(ui::window_handle(0), window);
}

TEST_F(EventLoop, RepeatedCloseWhileQueuedIsQueuedOnce) {
    gtk_window_close(GTK_WINDOW(window));
    gtk_window_close(GTK_WINDOW(window));
    // Both requests are handled before the application takes the first one.
    while (platform::queued_message_count() < 2 && g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
    platform::dispatch_waiting_messages();
    const auto seen = ui_test::settle();
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const auto& e) { return e.code == ui::EVENT_CLOSE; }), 1);
}

TEST_F(EventLoop, OneCloseRequestOrOneMoveIsOneEvent) {
    for (const auto& [message, code] : {std::pair{platform::WM_CLOSE, ui::EVENT_CLOSE},
                                        std::pair{platform::WM_MOVE, ui::EVENT_MOVE}}) {
        platform::post_message(window, message, 0, 0);
        const auto seen = ui_test::settle();
        EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [&](const auto& e) { return e.code == code; }), 1)
            << code;
    }
}

TEST_F(EventLoop, QueuedHappeningsKeepTheirOrder) {
    platform::post_message(window, platform::WM_CLOSE, 0, 0);
    platform::post_message(window, platform::WM_MOVE, 0, 0);
    platform::post_message(window, platform::WM_CLOSE, 0, 0);
    platform::dispatch_waiting_messages();
    // The queue is served before any new message is looked at.
    EXPECT_EQ(ui::event_poll(), ui::EVENT_CLOSE);
    EXPECT_EQ(ui::event_poll(), ui::EVENT_MOVE);
    EXPECT_EQ(ui::event_poll(), ui::EVENT_CLOSE);
}

TEST_F(EventLoop, PostedControlEventsComeAfterThoseWaiting) {
    GtkWidget* button = ui::gadget_handle(3);
    gtk_button_clicked(GTK_BUTTON(button));
    ASSERT_TRUE(ui::post_control_event(button, 77));
    const ui_test::seen_event first = ui_test::wait_for_event(ui::EVENT_CONTROL);
    EXPECT_EQ(first.type, 0);
    const ui_test::seen_event second = ui_test::wait_for_event(ui::EVENT_CONTROL);
    EXPECT_EQ(second.type, 77);
    EXPECT_EQ(second.gadget, 3);
}

TEST_F(EventLoop, EventRaisedOutsideTheWaitKeepsItsType) {
    // A control event dispatched by some other loop (a modal box, a control's start-up pump)
    // stays pending and is returned, with its own type, by the next wait that dispatches.
    ui::post_control_event(ui::gadget_handle(3), 6);
    platform::dispatch_waiting_messages();
    platform::post_message(window, platform::WM_MOUSEMOVE, 0, 0);
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

TEST_F(EventLoop, RawMessagesComeBackAsTheirCode) {
    platform::post_message(window, platform::WM_MOUSEMOVE, 0, platform::make_wparam(5, 7));
    EXPECT_EQ(ui::event_wait(100), 0x200);
    EXPECT_EQ(ui::event_type(), -1);
    EXPECT_EQ(ui::event_lparam(), platform::make_wparam(5, 7));
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
