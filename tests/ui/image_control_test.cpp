// The image control: size, unscaled drawing from the image's own pixels, mouse events.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/image_store.h"
#include "platform/bitmap.h"
#include "support/toolkit.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/image_control.h"
#include "ui/standard_gadgets.h"
#include "ui/windows.h"
#include "ui_test_support.h"

namespace {

using test_support::widget;

class ImageControl : public testing::Test {
protected:
    void SetUp() override {
        window = ui::window_open(0, 0, 0, 800, 300, "Image", 0xCA0001);
        ASSERT_NE(window, nullptr);
        preview = imaging::create_image(64999, 250, 250);
        ASSERT_NE(preview, 0);
        control = widget(ui::image_control_create(2, 525, 5, 250, 250, preview));
        ASSERT_NE(control, nullptr);
    }
    void TearDown() override {
        ui::windows_close_all();
        imaging::free_all_images();
    }

    // Colour (0x00RRGGBB) of a pixel of the control as it draws itself.
    uint32_t control_pixel(int x, int y) {
        const int width = gtk_widget_get_allocated_width(control);
        const int height = gtk_widget_get_allocated_height(control);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        cairo_t* cr = cairo_create(surface);
        gtk_widget_draw(control, cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        const auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFFu;
        cairo_surface_destroy(surface);
        return pixel;
    }

    void send_button(GdkEventType type, unsigned button, double x, double y) {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(control)));
        event->button.button = button;
        event->button.x = x;
        event->button.y = y;
        event->button.time = GDK_CURRENT_TIME;
        gtk_widget_event(control, event);
        gdk_event_free(event);
    }

    void send_motion(double x, double y) {
        GdkEvent* event = gdk_event_new(GDK_MOTION_NOTIFY);
        event->motion.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(control)));
        event->motion.x = x;
        event->motion.y = y;
        event->motion.state = GDK_BUTTON1_MASK;
        gtk_widget_event(control, event);
        gdk_event_free(event);
    }

    platform::window* window = nullptr;
    GtkWidget* control = nullptr;
    intptr_t preview = 0;
};

TEST_F(ImageControl, TakesTheSizeOfItsImageAtTheSameCorner) {
    EXPECT_EQ(ui::gadget_get_state(2), preview);
    platform::rect placed = platform::control_rect(ui::gadget_handle(2));
    EXPECT_EQ(placed.width, 250);
    EXPECT_EQ(placed.height, 250);

    const intptr_t small = imaging::create_image(5, 100, 50);
    ui::gadget_set_state(2, small);
    GtkAllocation allocation;
    // The new size is laid out at the toolkit's next layout pass (later on a busy machine).
    ui_test::run_until([&] {
        gtk_widget_get_allocation(control, &allocation);
        return allocation.width == 100;
    });
    EXPECT_EQ(allocation.x, 525);
    EXPECT_EQ(allocation.y, 5);
    EXPECT_EQ(allocation.width, 100);
    EXPECT_EQ(allocation.height, 50);
    EXPECT_EQ(ui::gadget_get_state(2), small);
}

TEST_F(ImageControl, DrawsTheImagesCurrentPixelsUnscaled) {
    ui_test::settle();
    EXPECT_EQ(control_pixel(0, 0), 0x000000u);  // a new image is black

    // Paint the image's top row red and the rest blue, then show the same handle again.
    platform::bitmap* picture = imaging::image_bitmap(64999);
    for (int y = 0; y < picture->height; ++y) {
        std::uint8_t* row = picture->row_from_top(y);
        for (int x = 0; x < picture->width; ++x) {
            row[x * 3 + 0] = y == 0 ? 0 : 255;
            row[x * 3 + 1] = 0;
            row[x * 3 + 2] = y == 0 ? 255 : 0;
        }
    }
    ui::gadget_set_state(2, preview);
    EXPECT_EQ(control_pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(control_pixel(249, 0), 0xFF0000u);
    EXPECT_EQ(control_pixel(0, 1), 0x0000FFu);
    EXPECT_EQ(control_pixel(249, 249), 0x0000FFu);
}

TEST_F(ImageControl, AnImageThatIsGoneIsNotDrawn) {
    imaging::free_image(64999);
    ui_test::settle();
    EXPECT_EQ(ui::gadget_get_state(2), preview);  // still the handle it was given
    control_pixel(0, 0);                          // and drawing reads no freed memory
}

TEST_F(ImageControl, MouseEvents) {
    ui_test::settle();
    send_button(GDK_BUTTON_PRESS, 1, 10, 10);
    send_button(GDK_BUTTON_RELEASE, 1, 10, 10);
    EXPECT_EQ(ui_test::wait_for_event(ui::EVENT_CONTROL, 2).type, ui::IMAGE_EVENT_LEFT_CLICK);

    send_button(GDK_BUTTON_PRESS, 1, 10, 10);
    send_button(GDK_2BUTTON_PRESS, 1, 10, 10);
    EXPECT_EQ(ui_test::wait_for_event(ui::EVENT_CONTROL, 2).type, ui::IMAGE_EVENT_LEFT_DOUBLE_CLICK);
    send_button(GDK_BUTTON_RELEASE, 1, 10, 10);
    for (const auto& e : ui_test::settle()) EXPECT_NE(e.code, ui::EVENT_CONTROL);  // no extra click

    send_button(GDK_BUTTON_PRESS, 3, 10, 10);
    send_button(GDK_BUTTON_RELEASE, 3, 10, 10);
    EXPECT_EQ(ui_test::wait_for_event(ui::EVENT_CONTROL, 2).type, ui::IMAGE_EVENT_RIGHT_CLICK);

    // The release after a right double click is not a further right click.
    send_button(GDK_2BUTTON_PRESS, 3, 10, 10);
    send_button(GDK_BUTTON_RELEASE, 3, 10, 10);
    auto seen = ui_test::settle();
    ASSERT_FALSE(seen.empty());
    int controls = 0;
    for (const auto& e : seen) {
        if (e.code != ui::EVENT_CONTROL) continue;
        ++controls;
        EXPECT_EQ(e.type, ui::IMAGE_EVENT_RIGHT_DOUBLE_CLICK);
    }
    EXPECT_EQ(controls, 1);

    // Moving a little is still a click; moving beyond the drag distance starts a drag.
    send_button(GDK_BUTTON_PRESS, 1, 10, 10);
    send_motion(11, 11);
    send_motion(40, 10);
    EXPECT_EQ(ui_test::wait_for_event(ui::EVENT_CONTROL, 2).type, ui::EVENT_TYPE_DRAG_STARTED);
    send_button(GDK_BUTTON_RELEASE, 1, 40, 10);
    seen = ui_test::settle();
    for (const auto& e : seen) EXPECT_NE(e.code, ui::EVENT_CONTROL);  // a drag is no click
}

}  // namespace
