// Per-kind behaviour of the standard controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/toolkit.h"
#include "ui/brushes.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/standard_gadgets.h"
#include "ui/windows.h"
#include "ui_test_support.h"

namespace {

using test_support::widget;

class Controls : public testing::Test {
protected:
    void SetUp() override {
        window = ui::window_open(0, 0, 0, 500, 400, "Controls", 0xCA0001);
        ASSERT_NE(window, nullptr);
        ui::window_set_colour(0, ui::rgb(212, 208, 200));
    }
    void TearDown() override { ui::windows_close_all(); }

    // Colour of one client pixel as 0x00BBGGRR, drawn off screen (other test processes' windows
    // may cover ours on the shared display).
    int pixel_at(int x, int y) {
        GtkWidget* client = gtk_bin_get_child(GTK_BIN(widget(window)));
        const int width = gtk_widget_get_allocated_width(client);
        const int height = gtk_widget_get_allocated_height(client);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        cairo_t* cr = cairo_create(surface);
        gtk_widget_draw(client, cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        const auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x];  // 0x00RRGGBB
        cairo_surface_destroy(surface);
        return ui::rgb((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

    platform::window* window = nullptr;
};

TEST_F(Controls, TrackbarDraggedToTheRightEndReadsItsMaximum) {
    GtkWidget* bar = widget(ui::trackbar_create(8, 10, 10, 250, 20, 1, 20, ui::TRACKBAR_TICKS));
    ASSERT_NE(bar, nullptr);
    ui::gadget_set_state(8, 5);
    EXPECT_EQ(ui::gadget_get_state(8), 5);
    ui_test::settle();
    // What the End key or a drag to the end does.
    g_signal_emit_by_name(bar, "move-slider", GTK_SCROLL_END);
    const ui_test::seen_event event = ui_test::wait_for_event(ui::EVENT_CONTROL, 8);
    EXPECT_EQ(event.type, 0);
    EXPECT_EQ(ui::gadget_get_state(8), 20);
}

TEST_F(Controls, VerticalTrackbarReadsItsLargestValueAtTheTop) {
    GtkWidget* bar = widget(ui::trackbar_create(9, 10, 10, 30, 200, 1, 10, ui::TRACKBAR_VERTICAL));
    ASSERT_NE(bar, nullptr);
    g_signal_emit_by_name(bar, "move-slider", GTK_SCROLL_START);  // to the top
    EXPECT_EQ(ui::gadget_get_state(9), 10);
    ui::gadget_set_state(9, 3);
    EXPECT_EQ(ui::gadget_get_state(9), 3);
    EXPECT_EQ(static_cast<int>(gtk_range_get_value(GTK_RANGE(bar))), 8);  // three steps above the bottom
}

TEST_F(Controls, TrackbarRangeAndProgrammaticMoves) {
    ui::trackbar_create(10, 10, 10, 250, 20, -4, 20, 0);
    EXPECT_EQ(ui::gadget_get_attribute(10, 1), 0);  // limits are at least 0
    EXPECT_EQ(ui::gadget_get_state(10), 0);         // starts at the minimum
    ui_test::settle();
    ui::gadget_set_state(10, 12);
    ui::gadget_set_attribute(10, 2, 8);  // the position follows the shrinking range
    EXPECT_EQ(ui::gadget_get_attribute(10, 2), 8);
    EXPECT_EQ(ui::gadget_get_state(10), 8);
    ui::gadget_set_state(10, 99);
    EXPECT_EQ(ui::gadget_get_state(10), 8);
    // The program's own moves are not reported as the user's.
    const auto seen = ui_test::settle();
    EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](const auto& e) { return e.code == ui::EVENT_CONTROL; }));
}

TEST_F(Controls, ProgressBarClampsToItsRange) {
    GtkWidget* bar = widget(ui::progress_bar_create(12, 5, 50, 490, 20, 0, 100));
    ASSERT_NE(bar, nullptr);
    ui::gadget_set_state(12, 150);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 1.0);
    EXPECT_EQ(ui::gadget_get_state(12), 100);
    ui::gadget_set_state(12, 25);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 0.25);
    ui::gadget_set_attribute(12, 2, 50);
    EXPECT_EQ(ui::gadget_get_attribute(12, 1), 0);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 0.5);
    ui::gadget_set_state(12, -3);
    EXPECT_EQ(ui::gadget_get_state(12), 0);
}

TEST_F(Controls, ProgressBarColours) {
    ui::progress_bar_create(12, 5, 50, 200, 20, 0, 100);
    ui::gadget_set_state(12, 100);
    ui::gadget_set_colour(12, 1, ui::rgb(200, 0, 0));
    ui_test::settle();
    EXPECT_EQ(pixel_at(100, 60), ui::rgb(200, 0, 0));
    ui::gadget_set_colour(12, 1, -1);
    ui_test::settle();
    EXPECT_NE(pixel_at(100, 60), ui::rgb(200, 0, 0));
}

TEST_F(Controls, ButtonLabelAndState) {
    ui::button_create(3, 10, 10, 250, 40, "START");
    ui::gadget_set_text(3, "......");
    EXPECT_EQ(ui::gadget_get_text(3), "......");
    ui::gadget_disable(3, 1);
    EXPECT_FALSE(gtk_widget_is_sensitive(widget(ui::gadget_handle(3))));
    ui::gadget_disable(3, 0);
    EXPECT_TRUE(gtk_widget_is_sensitive(widget(ui::gadget_handle(3))));
    ui::gadget_set_state(3, 5);
    EXPECT_EQ(ui::gadget_get_state(3), 1);
}

TEST_F(Controls, LabelsOfOneColourShareOneBrush) {
    ui::text_create(9, 10, 10, 250, 20, "Zoom", ui::TEXT_CENTRE);
    ui::text_create(11, 10, 40, 250, 20, "Compression", ui::TEXT_CENTRE);
    const int green = ui::rgb(20, 180, 40);
    ui::gadget_set_colour(9, 2, green);
    ui::gadget_set_colour(11, 2, green);
    EXPECT_EQ(ui::brush_count(), 1);
    EXPECT_EQ(ui::brush_users(green), 2);
    ui_test::settle();
    EXPECT_EQ(pixel_at(12, 12), green);

    ui::gadget_set_colour(9, 2, -1);
    EXPECT_EQ(ui::brush_users(green), 1);
    EXPECT_EQ(ui::gadget_get_colour(9, 2), -1);
    ui_test::settle();
    EXPECT_EQ(pixel_at(12, 42), green);  // the other label keeps its colour
    EXPECT_EQ(pixel_at(12, 12), ui::rgb(212, 208, 200));

    ui::gadget_set_colour(11, 2, -1);
    EXPECT_EQ(ui::brush_count(), 0);
}

TEST_F(Controls, DestroyedControlGivesBackItsBrushAndNumber) {
    ui::string_field_create(4, 10, 10, 120, 20, "1");
    ui::gadget_set_colour(4, 2, ui::rgb(212, 255, 200));
    EXPECT_EQ(ui::brush_count(), 1);
    ui::windows_close_all();
    EXPECT_EQ(ui::brush_count(), 0);
    EXPECT_EQ(ui::gadget_handle(4), nullptr);
}

TEST_F(Controls, FieldColoursAreShown) {
    ui::string_field_create(4, 10, 10, 120, 20, "");
    ui::gadget_set_colour(4, 2, ui::rgb(212, 255, 200));
    ui_test::settle();
    EXPECT_EQ(pixel_at(100, 20), ui::rgb(212, 255, 200));
}

TEST_F(Controls, LongFieldTextComesBackWhole) {
    ui::string_field_create(4, 10, 10, 120, 20, "-60.000000");
    EXPECT_EQ(ui::gadget_get_text(4), "-60.000000");
    std::string long_text;
    for (int i = 0; i < 120; ++i) long_text += std::to_string(i) + ",";
    ASSERT_GT(long_text.size(), 256u);
    ui::gadget_set_text(4, long_text);
    EXPECT_EQ(ui::gadget_get_text(4), long_text);
}

TEST_F(Controls, TextAlignmentAndContent) {
    GtkWidget* centred = widget(ui::text_create(13, 0, 0, 500, 20, "Ready..........", ui::TEXT_CENTRE));
    GtkWidget* right = widget(ui::text_create(14, 0, 30, 500, 20, "R", ui::TEXT_RIGHT));
    EXPECT_FLOAT_EQ(gtk_label_get_xalign(GTK_LABEL(centred)), 0.5f);
    EXPECT_FLOAT_EQ(gtk_label_get_xalign(GTK_LABEL(right)), 1.0f);
    ui::gadget_set_text(13, "Download 50 %");
    EXPECT_EQ(ui::gadget_get_text(13), "Download 50 %");
}

TEST_F(Controls, ControlsSitAtTheirClientCoordinates) {
    GtkWidget* button = widget(ui::button_create(3, 25, 45, 250, 40, "START"));
    ui_test::settle();
    GtkAllocation allocation;
    gtk_widget_get_allocation(button, &allocation);
    EXPECT_EQ(allocation.x, 25);
    EXPECT_EQ(allocation.y, 45);
    EXPECT_EQ(allocation.width, 250);
    EXPECT_EQ(allocation.height, 40);
}

TEST_F(Controls, NewControlUnderAUsedNumberReplacesTheOld) {
    platform::control* first = ui::text_create(500, 0, 0, 50, 20, "one", 0);
    platform::control* second = ui::text_create(500, 0, 30, 50, 20, "two", 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(ui::gadget_handle(500), second);
    EXPECT_EQ(ui::gadget_get_text(500), "two");
}

TEST(ControlsWithoutWindow, CannotBeMade) {
    EXPECT_EQ(ui::button_create(3, 0, 0, 10, 10, "x"), nullptr);
    EXPECT_EQ(ui::gadget_handle(3), nullptr);
}

}  // namespace
