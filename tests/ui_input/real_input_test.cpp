// Real input through the display (xdotool): clicks, keys, a drag, and a message box answered
// with the Return key. These tests move the pointer and take the keyboard focus, so they run
// alone.
#include <gtest/gtest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../ui/ui_test_support.h"
#include "support/toolkit.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/message_box.h"
#include "ui/standard_gadgets.h"
#include "ui/windows.h"

namespace {

using test_support::widget;

bool have_xdotool() {
    gchar* path = g_find_program_in_path("xdotool");
    const bool found = path != nullptr;
    g_free(path);
    return found;
}

// Runs xdotool with the arguments and waits for it; true when it succeeded.
bool xdotool(const std::vector<std::string>& arguments) {
    std::vector<gchar*> argv{const_cast<gchar*>("xdotool")};
    for (const std::string& argument : arguments) argv.push_back(const_cast<gchar*>(argument.c_str()));
    argv.push_back(nullptr);
    gint status = -1;
    const gboolean ran = g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
                                      nullptr, &status, nullptr);
    return ran && g_spawn_check_wait_status(status, nullptr);
}

std::string xid_of(GtkWidget* window) {
    return std::to_string(gdk_x11_window_get_xid(gtk_widget_get_window(window)));
}

// Screen coordinates of a point of a control.
void screen_point(GtkWidget* control, int x, int y, int& screen_x, int& screen_y) {
    gint origin_x = 0, origin_y = 0;
    gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(control)), &origin_x, &origin_y);
    GtkAllocation allocation;
    gtk_widget_get_allocation(control, &allocation);
    screen_x = origin_x + allocation.x + x;
    screen_y = origin_y + allocation.y + y;
}

bool click(GtkWidget* control) {
    int x = 0, y = 0;
    screen_point(control, gtk_widget_get_allocated_width(control) / 2, gtk_widget_get_allocated_height(control) / 2,
                 x, y);
    return xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
}

class RealInput : public testing::Test {
protected:
    void SetUp() override {
        if (!have_xdotool()) GTEST_SKIP() << "xdotool is not installed";
        window = widget(ui::window_open(0, 0, 0, 400, 300, "Lomtra input test", 0xCA0001));
        ASSERT_NE(window, nullptr);
        ui_test::move_pointer_away();
        ui_test::settle();
    }
    void TearDown() override {
        ui_test::move_pointer_away();
        ui::windows_close_all();
    }

    int control_events(const std::vector<ui_test::seen_event>& seen, int gadget) {
        return static_cast<int>(std::count_if(seen.begin(), seen.end(), [gadget](const auto& e) {
            return e.code == ui::EVENT_CONTROL && e.gadget == gadget;
        }));
    }

    GtkWidget* window = nullptr;
};

TEST_F(RealInput, ClicksOnAButtonAndNoneWhileItIsDisabled) {
    GtkWidget* button = widget(ui::button_create(3, 20, 20, 250, 40, "START"));
    ui_test::settle();
    ASSERT_TRUE(click(button));
    const ui_test::seen_event clicked = ui_test::wait_for_event(ui::EVENT_CONTROL, 3);
    EXPECT_EQ(clicked.code, ui::EVENT_CONTROL);
    EXPECT_EQ(clicked.type, 0);

    ui::gadget_disable(3, 1);
    ui_test::settle();
    ASSERT_TRUE(click(button));
    EXPECT_EQ(control_events(ui_test::settle(300), 3), 0);

    ui::gadget_disable(3, 0);
    ui_test::settle();
    ASSERT_TRUE(click(button));
    EXPECT_EQ(ui_test::wait_for_event(ui::EVENT_CONTROL, 3).type, 0);
}

TEST_F(RealInput, TrackbarDraggedToItsRightEnd) {
    GtkWidget* bar = widget(ui::trackbar_create(8, 20, 20, 250, 20, 1, 20, ui::TRACKBAR_TICKS));
    ui::gadget_set_state(8, 5);
    ui_test::settle();
    gint slider_start = 0, slider_end = 0;
    gtk_range_get_slider_range(GTK_RANGE(bar), &slider_start, &slider_end);
    int x = 0, y = 0;
    screen_point(bar, (slider_start + slider_end) / 2, 8, x, y);
    ASSERT_TRUE(xdotool({"mousemove", std::to_string(x), std::to_string(y), "mousedown", "1"}));
    ui_test::settle(100);
    ASSERT_TRUE(xdotool({"mousemove", std::to_string(x + 400), std::to_string(y), "mouseup", "1"}));
    const ui_test::seen_event moved = ui_test::wait_for_event(ui::EVENT_CONTROL, 8);
    EXPECT_EQ(moved.type, 0);
    ui_test::settle();
    EXPECT_EQ(ui::gadget_get_state(8), 20);
}

TEST_F(RealInput, TabAndShiftTabMoveTheFocusAndFieldsReportIt) {
    ui::button_create(3, 10, 10, 120, 30, "START");
    ui::string_field_create(4, 10, 50, 120, 20, "1.0");
    ui::text_create(9, 10, 80, 120, 20, "no tab stop", ui::TEXT_CENTRE);
    ui::trackbar_create(8, 10, 110, 200, 20, 1, 20, 0);
    ui::string_field_create(5, 10, 140, 120, 20, "disabled");
    ui::gadget_disable(5, 1);
    ui_test::settle();
    ASSERT_TRUE(xdotool({"windowfocus", "--sync", xid_of(window)}));
    ASSERT_TRUE(ui_test::run_until([&] { return gtk_window_is_active(GTK_WINDOW(window)); }));
    ui_test::settle();

    const auto focused_gadget = [&] { return ui::gadget_number_of(platform::focused_control(ui::window_handle(0))); };
    const auto press = [&](const char* key, int expected) {
        EXPECT_TRUE(xdotool({"key", "--clearmodifiers", key}));
        EXPECT_TRUE(ui_test::run_until([&] { return focused_gadget() == expected; })) << key << " to " << expected;
    };
    press("Tab", 3);  // nothing focused: the first tab stop

    EXPECT_TRUE(xdotool({"key", "--clearmodifiers", "Tab"}));
    const ui_test::seen_event gained = ui_test::wait_for_event(ui::EVENT_CONTROL, 4);
    EXPECT_EQ(gained.type, 256);  // the field's own focus notification comes first
    const ui_test::seen_event posted = ui_test::wait_for_event(ui::EVENT_CONTROL, 4);
    EXPECT_EQ(posted.type, ui::EVENT_TYPE_FOCUS_GAINED);
    EXPECT_EQ(focused_gadget(), 4);

    press("Tab", 8);  // the text has no tab stop
    bool lost = false;
    for (const auto& e : ui_test::settle())
        lost = lost || (e.code == ui::EVENT_CONTROL && e.gadget == 4 && e.type == ui::EVENT_TYPE_FOCUS_LOST);
    EXPECT_TRUE(lost);
    press("Tab", 3);        // the disabled field is skipped, and the order wraps round
    press("shift+Tab", 8);  // backwards, wrapping from the first to the last
    press("shift+Tab", 4);
}

TEST_F(RealInput, BoxIsOwnedByTheWindowInTheForeground) {
    ASSERT_TRUE(xdotool({"windowfocus", "--sync", xid_of(window)}));
    ASSERT_TRUE(ui_test::run_until([&] { return gtk_window_is_active(GTK_WINDOW(window)); }));
    platform::window* owner = nullptr;
    bool enabled_during = true;
    platform::set_dialog_responder([&](const platform::dialog_request& request) {
        owner = request.owner;
        enabled_during = platform::is_window_enabled(ui::window_handle(0));
        return platform::dialog_answer::ok;
    });
    EXPECT_EQ(ui::message_box_ok("Error", "Zoom too low"), ui::ANSWER_OK);
    platform::set_dialog_responder({});
    EXPECT_EQ(owner, ui::window_handle(0));
    EXPECT_FALSE(enabled_during);
    EXPECT_TRUE(platform::is_window_enabled(ui::window_handle(0)));
}

TEST_F(RealInput, ReturnKeyAnswersYes) {
    const char* title = "Lomtra key test";
    // Presses Return once the box is on screen and has the keyboard focus.
    const std::string script = std::string("xdotool search --sync --onlyvisible --name '^") + title +
                               "$' windowfocus --sync key --clearmodifiers Return";
    gchar* argv[] = {const_cast<gchar*>("sh"), const_cast<gchar*>("-c"), const_cast<gchar*>(script.c_str()), nullptr};
    GPid pid = 0;
    ASSERT_TRUE(g_spawn_async(nullptr, argv, nullptr,
                              static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr,
                              &pid, nullptr));
    // Should the key never come, close the box after a while so that the test fails, not hangs.
    const guint watchdog = g_timeout_add_seconds(
        30,
        [](gpointer) -> gboolean {
            GList* windows = gtk_window_list_toplevels();
            for (GList* item = windows; item; item = item->next)
                if (GTK_IS_MESSAGE_DIALOG(item->data)) gtk_dialog_response(GTK_DIALOG(item->data), GTK_RESPONSE_NONE);
            g_list_free(windows);
            return G_SOURCE_REMOVE;
        },
        nullptr);

    const int answer = ui::message_box(title, "12 files to download - Are you sure ?", ui::MESSAGE_BOX_YES_NO);
    EXPECT_EQ(answer, ui::ANSWER_YES);
    if (answer != 0) g_source_remove(watchdog);
    int status = 0;
    waitpid(pid, &status, 0);
    g_spawn_close_pid(pid);
    EXPECT_TRUE(platform::is_window_enabled(ui::window_handle(0)));
}

}  // namespace
