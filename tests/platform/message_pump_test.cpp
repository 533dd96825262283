// The GUI thread's message queue, and top-level windows as the display sees them.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <vector>

#include "platform/message_dialog.h"
#include "platform/message_dialog_testing.h"
#include "platform/message_pump.h"
#include "platform/messages.h"
#include "platform/window.h"

namespace {

std::vector<platform::message> received;

intptr_t record_procedure(GtkWidget* window, unsigned code, intptr_t wparam, intptr_t lparam) {
    received.push_back({window, code, wparam, lparam});
    return 0;
}

GtkWidget* make_window(int width, int height) {
    platform::window_spec spec;
    spec.title = "Pump";
    spec.style = platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX;
    const platform::frame_size frame = platform::frame_for_style(spec.style, false);
    spec.outer = {0, 0, width + frame.left + frame.right, height + frame.top + frame.bottom};
    spec.procedure = record_procedure;
    return platform::create_window(spec);
}

void drop_waiting_messages() {
    platform::message msg;
    while (platform::peek_message(msg)) {
    }
}

// Dispatches messages until one with `code` arrives (bounded).
bool dispatch_until(unsigned code, int timeout_ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < end) {
        platform::message msg;
        if (!platform::wait_for_input(20) || !platform::peek_message(msg)) continue;
        platform::dispatch_message(msg);
        if (msg.code == code) return true;
    }
    return false;
}

TEST(MessagePump, PostedMessagesComeOutInOrderToTheirWindow) {
    GtkWidget* window = make_window(100, 80);
    ASSERT_NE(window, nullptr);
    drop_waiting_messages();
    platform::post_message(window, platform::MSG_CONTROL_EVENT, 4, 6);
    platform::post_message(window, platform::MSG_CONTROL_EVENT, 5, 2);
    platform::message first, second;
    ASSERT_TRUE(platform::peek_message(first));
    ASSERT_TRUE(platform::peek_message(second));
    EXPECT_EQ(first.wparam, 4);
    EXPECT_EQ(second.wparam, 5);
    received.clear();
    platform::dispatch_message(first);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].window, window);
    EXPECT_EQ(received[0].lparam, 6);
    platform::destroy_window(window);
}

TEST(MessagePump, WaitingForNothingTimesOut) {
    ASSERT_NE(make_window(50, 50), nullptr);
    drop_waiting_messages();
    const auto started = std::chrono::steady_clock::now();
    const bool arrived = platform::wait_for_input(60);
    const auto waited = std::chrono::steady_clock::now() - started;
    if (!arrived) {
        EXPECT_GE(waited, std::chrono::milliseconds(55));
    }
    // A posted message ends the wait at once.
    platform::post_message(platform::top_level_windows().front(), 0x400, 0, 0);
    EXPECT_TRUE(platform::wait_for_input(10000));
}

TEST(MessagePump, MessagesOfADestroyedWindowAreDropped) {
    GtkWidget* window = make_window(50, 50);
    platform::post_message(window, platform::WM_CLOSE, 0, 0);
    platform::destroy_window(window);
    EXPECT_FALSE(platform::is_window(window));
    platform::message msg;
    while (platform::peek_message(msg)) EXPECT_NE(msg.window, window);
}

TEST(TopLevelWindows, CloseRequestOnlyPostsACloseMessage) {
    GtkWidget* window = make_window(120, 90);
    platform::show_window(window, platform::show_mode::normal);
    received.clear();
    gtk_window_close(GTK_WINDOW(window));
    EXPECT_TRUE(dispatch_until(platform::WM_CLOSE));
    EXPECT_TRUE(platform::is_window(window));
    EXPECT_TRUE(gtk_widget_get_visible(window));
}

TEST(TopLevelWindows, ClientAreaIsExactEvenWhenAControlWantsMore) {
    GtkWidget* window = make_window(120, 90);
    GtkWidget* big = gtk_label_new("a label that is much wider than the window it sits in");
    platform::show_window(window, platform::show_mode::normal);
    gtk_fixed_put(GTK_FIXED(platform::client_area(window)), big, 0, 0);
    gtk_widget_show(big);
    EXPECT_TRUE(dispatch_until(platform::WM_ERASEBKGND));  // shown and drawn
    const platform::rect client = platform::client_rect(window);
    EXPECT_EQ(client.width, 120);
    EXPECT_EQ(client.height, 90);
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(window), &width, &height);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 90);
}

TEST(TopLevelWindows, NewWindowReportsItsPlaceAndSize) {
    drop_waiting_messages();
    received.clear();
    GtkWidget* window = make_window(120, 90);
    EXPECT_TRUE(dispatch_until(platform::WM_SIZE));
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0].code, platform::WM_MOVE);
    EXPECT_EQ(received[1].window, window);
    EXPECT_EQ(received[1].lparam, platform::make_wparam(120, 90));
}

TEST(TopLevelWindows, StyleShapesTheFrame) {
    const auto main = platform::frame_for_style(0xCA0000, false);
    EXPECT_EQ(main.left, main.right);
    EXPECT_GT(main.top, main.bottom);  // the title bar
    const auto bare = platform::frame_for_style(0, false);
    EXPECT_EQ(bare.left + bare.top + bare.right + bare.bottom, 0);
}

TEST(MessageDialog, ButtonsAndEscape) {
    // Escape answers Cancel where there is one and OK for a lone OK button.
    platform::set_message_dialog_responder([](const platform::message_dialog_request& request) {
        gtk_dialog_response(GTK_DIALOG(request.dialog), GTK_RESPONSE_DELETE_EVENT);
        return 0;
    });
    EXPECT_EQ(platform::run_message_dialog(nullptr, "t", "x", platform::MB_OK), platform::IDOK);
    EXPECT_EQ(platform::run_message_dialog(nullptr, "t", "x", platform::MB_OKCANCEL), platform::IDCANCEL);
    // Default button 2 of Yes/No is No.
    platform::set_message_dialog_responder([](const platform::message_dialog_request& request) {
        gtk_window_activate_default(GTK_WINDOW(request.dialog));
        return 0;
    });
    EXPECT_EQ(platform::run_message_dialog(nullptr, "t", "x", platform::MB_YESNO | platform::MB_DEFBUTTON2),
              platform::IDNO);
    EXPECT_EQ(platform::run_message_dialog(nullptr, "t", "x", platform::MB_YESNO), platform::IDYES);
    platform::set_message_dialog_responder({});
}

TEST(MessageDialog, OwnerIsDisabledOnlyWhileTheBoxIsUp) {
    GtkWidget* owner = make_window(100, 100);
    platform::show_window(owner, platform::show_mode::normal);
    bool enabled_during = true;
    platform::set_message_dialog_responder([&](const platform::message_dialog_request& request) {
        enabled_during = platform::is_window_enabled(owner);
        EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(request.dialog)), GTK_WINDOW(owner));
        return platform::IDOK;
    });
    EXPECT_EQ(platform::run_message_dialog(owner, "t", "x", platform::MB_OK), platform::IDOK);
    EXPECT_FALSE(enabled_during);
    EXPECT_TRUE(platform::is_window_enabled(owner));
    platform::set_message_dialog_responder({});
}

}  // namespace
