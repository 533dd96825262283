// One window with a control of every kind, as the user sees it. With LOMTRA_GALLERY_PNG set,
// the window is saved to that file (used for the documentation picture).
#include <gtest/gtest.h>

#include <cstdlib>

#include "../ui/ui_test_support.h"
#include "imaging/image_store.h"
#include "platform/bitmap.h"
#include "support/toolkit.h"
#include "ui/gadgets.h"
#include "ui/image_control.h"
#include "ui/standard_gadgets.h"
#include "ui/windows.h"

namespace {

using test_support::widget;

TEST(ControlsGallery, EveryKindFitsItsRectangle) {
    GtkWidget* window = widget(ui::window_open(0, 0, 0, 420, 260, "Controls", 0xCA0001));
    ASSERT_NE(window, nullptr);
    ui::window_set_colour(0, ui::rgb(212, 208, 200));
    ui::button_create(3, 10, 10, 120, 30, "START");
    ui::button_create(20, 140, 10, 120, 30, "Disabled");
    ui::gadget_disable(20, 1);
    ui::string_field_create(4, 10, 50, 120, 20, "-60.000000");
    ui::gadget_set_colour(4, 2, ui::rgb(212, 255, 200));
    ui::string_field_create(5, 140, 50, 120, 20, "75.000000");
    ui::trackbar_create(8, 10, 80, 250, 20, 1, 20, 1);
    ui::gadget_set_state(8, 5);
    ui::text_create(9, 10, 100, 250, 20, "Zoom", 1);
    ui::gadget_set_colour(9, 2, ui::rgb(212, 208, 200));
    ui::trackbar_create(10, 10, 120, 250, 20, 1, 10, 0);
    ui::gadget_set_state(10, 5);
    ui::text_create(11, 10, 140, 250, 20, "Compression 1:Max 10:Min", 1);
    ui::progress_bar_create(12, 10, 170, 250, 20, 0, 100);
    ui::gadget_set_state(12, 40);
    ui::text_create(13, 10, 200, 250, 20, "Ready..........", 1);
    ui::text_create(14, 10, 225, 120, 20, "Left text", 0);
    ui::text_create(15, 140, 225, 120, 20, "Sunken right", 2 | 0x20000);
    ui::trackbar_create(16, 280, 10, 30, 180, 1, 10, 2 | 1);
    ui::gadget_set_state(16, 10);
    // A picture: red across, blue down.
    const intptr_t picture = imaging::create_image(1, 90, 90);
    platform::bitmap* pixels = imaging::image_bitmap(1);
    for (int y = 0; y < 90; ++y) {
        std::uint8_t* row = pixels->row_from_top(y);
        for (int x = 0; x < 90; ++x) {
            row[x * 3 + 0] = static_cast<std::uint8_t>(y * 255 / 89);
            row[x * 3 + 1] = 64;
            row[x * 3 + 2] = static_cast<std::uint8_t>(x * 255 / 89);
        }
    }
    ui::image_control_create(2, 320, 10, 250, 250, picture);

    ui_test::settle();
    for (int gadget : {2, 3, 4, 8, 9, 10, 11, 12, 13, 16}) {
        GtkAllocation allocation;
        gtk_widget_get_allocation(widget(ui::gadget_handle(gadget)), &allocation);
        const platform::rect wanted = platform::control_rect(ui::gadget_handle(gadget));
        EXPECT_EQ(allocation.width, wanted.width) << "gadget " << gadget;
        EXPECT_EQ(allocation.height, wanted.height) << "gadget " << gadget;
    }
    if (const char* png = std::getenv("LOMTRA_GALLERY_PNG")) {
        GdkWindow* gdk_window = gtk_widget_get_window(window);
        GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_window, 0, 0, gdk_window_get_width(gdk_window),
                                                     gdk_window_get_height(gdk_window));
        ASSERT_NE(shot, nullptr);
        EXPECT_TRUE(gdk_pixbuf_save(shot, png, "png", nullptr, nullptr));
        g_object_unref(shot);
    }
    ui::windows_close_all();
    imaging::free_all_images();
}

}  // namespace
