// Checks that need a display where nothing else happens: no other test's window taking the
// focus or repainting over ours (these tests run alone).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "../ui/ui_test_support.h"
#include "support/toolkit.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"
#include "ui/windows.h"

namespace {

using test_support::widget;

using clock_type = std::chrono::steady_clock;

int elapsed_ms(clock_type::time_point since) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(clock_type::now() - since).count());
}

class QuietDisplay : public testing::Test {
protected:
    void SetUp() override {
        window = ui::window_open(0, 0, 0, 300, 200, "Quiet", 0xCA0001);
        ASSERT_NE(window, nullptr);
        ui_test::move_pointer_away();
        ui_test::settle();
    }
    void TearDown() override { ui::windows_close_all(); }

    platform::window* window = nullptr;
};

TEST_F(QuietDisplay, NothingWaitingReturnsNothingAndLeavesTheLastEventAlone) {
    ASSERT_NE(ui::button_create(3, 10, 10, 120, 30, "START"), nullptr);
    ui_test::settle();
    gtk_button_clicked(GTK_BUTTON(widget(ui::gadget_handle(3))));
    ASSERT_EQ(ui_test::wait_for_event(ui::EVENT_CONTROL).gadget, 3);

    const auto started = clock_type::now();
    EXPECT_EQ(ui::event_wait(100), 0);
    EXPECT_GE(elapsed_ms(started), 95);
    EXPECT_EQ(ui::event_gadget(), 3);
    EXPECT_EQ(ui::event_type(), 0);

    const auto polled = clock_type::now();
    EXPECT_EQ(ui::event_poll(), 0);
    EXPECT_LT(elapsed_ms(polled), 90);  // far below a wait's timeout: it did not wait
    EXPECT_EQ(ui::event_gadget(), 3);
    EXPECT_EQ(ui::event_type(), 0);
}

TEST_F(QuietDisplay, SameWindowColourTwiceDoesNotRepaint) {
    ui::window_set_colour(0, ui::rgb(10, 200, 30));
    EXPECT_EQ(ui_test::wait_for_event(ui::EVENT_REPAINT).code, ui::EVENT_REPAINT);
    ui_test::settle();
    const int paints = platform::background_paint_count(window);

    ui::window_set_colour(0, ui::rgb(10, 200, 30));
    const auto seen = ui_test::settle(300);
    EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](const auto& e) { return e.code == ui::EVENT_REPAINT; }));
    EXPECT_EQ(platform::background_paint_count(window), paints);

    // The colour really is on screen.
    if (!ui_test::exact_colour_display()) return;
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(widget(window)), 50, 50, 1, 1);
    ASSERT_NE(shot, nullptr);
    const guchar* pixel = gdk_pixbuf_get_pixels(shot);
    EXPECT_EQ(pixel[0], 10);
    EXPECT_EQ(pixel[1], 200);
    EXPECT_EQ(pixel[2], 30);
    g_object_unref(shot);
}

TEST_F(QuietDisplay, AControlRepaintingItselfDoesNotEraseTheWindow) {
    ASSERT_NE(ui::button_create(3, 10, 10, 120, 30, "START"), nullptr);
    ui_test::settle();
    gtk_widget_queue_draw(widget(ui::gadget_handle(3)));
    auto seen = ui_test::settle(300);
    EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](const auto& e) { return e.code == ui::EVENT_REPAINT; }));
    gtk_widget_queue_draw(widget(window));
    seen = ui_test::settle(300);
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](const auto& e) { return e.code == ui::EVENT_REPAINT; }));
}

}  // namespace
