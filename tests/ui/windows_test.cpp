// Opening windows: client size, placement on the screen, background colour.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/toolkit.h"
#include "ui/events.h"
#include "ui/window_placement.h"
#include "ui/windows.h"
#include "ui_test_support.h"

namespace {

using test_support::widget;

constexpr uint32_t MAIN_WINDOW_FLAGS =
    ui::WINDOW_TITLE_BAR | ui::WINDOW_CLOSE_BOX | ui::WINDOW_MINIMISE_BOX | ui::WINDOW_CENTRE_ON_SCREEN;

class Windows : public testing::Test {
protected:
    void TearDown() override { ui::windows_close_all(); }
};

TEST_F(Windows, ClientAreaHasExactlyTheAskedSize) {
    GtkWidget* window = widget(ui::window_open(0, 0, 0, 333, 222, "Client", MAIN_WINDOW_FLAGS));
    ASSERT_NE(window, nullptr);
    ui_test::settle();
    GdkWindow* native = gtk_widget_get_window(window);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(gdk_window_get_width(native), 333);
    EXPECT_EQ(gdk_window_get_height(native), 222);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(window)), "Client");
    EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(window)));
    EXPECT_TRUE(gtk_window_get_deletable(GTK_WINDOW(window)));
}

TEST_F(Windows, CentredOnTheScreen) {
    platform::window* window = ui::window_open(0, 0, 0, 300, 200, "Centred", MAIN_WINDOW_FLAGS);
    ui_test::settle();
    const platform::rect screen = platform::screen_rect();
    const platform::rect outer = platform::window_rect(window);
    EXPECT_EQ(outer.x, (screen.width - outer.width) / 2);
    EXPECT_EQ(outer.y, (screen.height - outer.height) / 2);
    EXPECT_GT(outer.width, 300);  // the frame is outside the client area
}

TEST_F(Windows, LargerThanTheScreenIsCutAndPinnedToTheCorner) {
    const platform::rect screen = platform::screen_rect();
    platform::window* window =
        ui::window_open(0, 0, 0, screen.width + 500, screen.height + 300, "Big", MAIN_WINDOW_FLAGS);
    ASSERT_NE(window, nullptr);
    ui_test::settle();
    const platform::rect outer = platform::window_rect(window);
    EXPECT_EQ(outer.x, 0);
    EXPECT_EQ(outer.y, 0);
    EXPECT_EQ(outer.width, screen.width);
    EXPECT_EQ(outer.height, screen.height);
}

TEST(WindowPlacement, CentringRules) {
    const platform::rect screen{0, 0, 1024, 768};
    // Odd remainders truncate.
    auto placed = ui::place_window(0, 0, 301, 201, 1, screen, std::nullopt);
    EXPECT_EQ(placed.outer.x, 361);
    EXPECT_EQ(placed.outer.y, 283);
    // Only the direction that is too large is cut.
    placed = ui::place_window(0, 0, 2000, 100, 1, screen, std::nullopt);
    EXPECT_EQ(placed.outer.x, 0);
    EXPECT_EQ(placed.outer.width, 1024);
    EXPECT_EQ(placed.outer.y, 334);
    // On a parent: never left of or above the screen's origin.
    placed = ui::place_window(0, 0, 400, 400, 2, screen, platform::rect{10, 20, 100, 100});
    EXPECT_EQ(placed.outer.x, 0);
    EXPECT_EQ(placed.outer.y, 0);
    placed = ui::place_window(0, 0, 100, 100, 2, screen, platform::rect{100, 200, 300, 300});
    EXPECT_EQ(placed.outer.x, 200);
    EXPECT_EQ(placed.outer.y, 300);
    // No centring: the position as given, or the system's choice.
    placed = ui::place_window(7, 9, 100, 100, 0, screen, std::nullopt);
    EXPECT_EQ(placed.outer.x, 7);
    EXPECT_FALSE(placed.system_places);
    EXPECT_TRUE(ui::place_window(ui::WINDOW_DEFAULT_POSITION, 9, 100, 100, 0, screen, std::nullopt).system_places);
}

TEST_F(Windows, ReopeningANumberReplacesTheWindow) {
    GtkWidget* first = widget(ui::window_open(0, 0, 0, 100, 100, "One", MAIN_WINDOW_FLAGS));
    bool first_destroyed = false;
    g_signal_connect(first, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer flag) { *static_cast<bool*>(flag) = true; }),
                     &first_destroyed);
    platform::window* second = ui::window_open(0, 0, 0, 100, 100, "Two", MAIN_WINDOW_FLAGS);
    EXPECT_NE(second, nullptr);
    EXPECT_TRUE(first_destroyed);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(widget(second))), "Two");
    EXPECT_EQ(ui::window_handle(0), second);
    EXPECT_EQ(ui::window_number_of(second), 0);
}

TEST_F(Windows, HiddenAndNotParentOptions) {
    platform::window* main = ui::window_open(0, 0, 0, 100, 100, "Main", MAIN_WINDOW_FLAGS);
    platform::window* hidden = ui::window_open(3, 0, 0, 100, 100, "Hidden", ui::WINDOW_HIDDEN | ui::WINDOW_NOT_PARENT);
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(platform::is_window_visible(hidden));
    EXPECT_EQ(ui::current_parent_window(), main);
    EXPECT_EQ(ui::window_number_of(hidden), 3);
    ui::windows_close_all();
    EXPECT_EQ(ui::window_handle(0), nullptr);
    EXPECT_EQ(ui::window_handle(3), nullptr);
    EXPECT_EQ(ui::current_parent_window(), nullptr);
}

}  // namespace
