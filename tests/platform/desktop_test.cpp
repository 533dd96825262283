// Windows, controls and the event queue as the display sees them, and message dialogs.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/gui.h"
#include "support/toolkit.h"

namespace {

using test_support::widget;

platform::window* make_window(int width, int height) {
    platform::window_spec spec;
    spec.title = "Desktop";
    spec.client_width = width;
    spec.client_height = height;
    return platform::create_window(spec);
}

void drop_waiting_events() {
    platform::event happened;
    while (platform::wait_event(happened, 0)) {
    }
}

// Takes events until one of this kind arrives (bounded); the events taken go to `seen`.
bool wait_for(platform::event_kind kind, std::vector<platform::event>* seen = nullptr) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    platform::event happened;
    while (std::chrono::steady_clock::now() < end) {
        if (!platform::wait_event(happened, 20)) continue;
        if (seen) seen->push_back(happened);
        if (happened.kind == kind) return true;
    }
    return false;
}

TEST(EventQueue, ControlEventsComeOutInOrderWithTheirWindowAndControl) {
    platform::window* window = make_window(100, 80);
    ASSERT_NE(window, nullptr);
    platform::control_spec spec;
    spec.place = {0, 0, 50, 20};
    platform::control* label = platform::create_control(window, spec, {});
    drop_waiting_events();
    ASSERT_TRUE(platform::queue_control_event(label, 6));
    ASSERT_TRUE(platform::queue_control_event(label, 2));
    platform::event first, second;
    ASSERT_TRUE(platform::wait_event(first, 0));
    ASSERT_TRUE(platform::wait_event(second, 0));
    EXPECT_EQ(first.kind, platform::event_kind::control_event);
    EXPECT_EQ(first.source, window);
    EXPECT_EQ(first.from, label);
    EXPECT_EQ(first.type, 6);
    EXPECT_EQ(second.type, 2);
    platform::destroy_window(window);
}

TEST(EventQueue, WaitingForNothingTimesOutAndAQueuedEventEndsTheWait) {
    platform::window* window = make_window(50, 50);
    platform::control* label = platform::create_control(window, {}, {});
    drop_waiting_events();
    platform::event happened;
    const auto started = std::chrono::steady_clock::now();
    if (!platform::wait_event(happened, 60)) {
        EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(55));
    }
    platform::queue_control_event(label, 1);
    EXPECT_TRUE(platform::wait_event(happened, 10000));
    platform::destroy_window(window);
}

TEST(EventQueue, EventsOfADestroyedWindowOrControlAreDropped) {
    platform::window* window = make_window(50, 50);
    platform::control* label = platform::create_control(window, {}, {});
    bool destroyed = false;
    platform::control_callbacks callbacks;
    callbacks.destroyed = [&](platform::control*) { destroyed = true; };
    platform::control_spec spec;
    spec.kind = platform::control_kind::button;
    platform::control* button = platform::create_control(window, spec, callbacks);
    platform::queue_control_event(label, 1);
    platform::queue_control_event(button, 2);
    platform::destroy_control(button);
    EXPECT_TRUE(destroyed);
    platform::event happened;
    int from_label = 0;
    while (platform::wait_event(happened, 0)) {
        EXPECT_NE(happened.from, button);
        from_label += happened.from == label;
    }
    EXPECT_EQ(from_label, 1);
    platform::queue_control_event(label, 3);
    platform::destroy_window(window);
    while (platform::wait_event(happened, 0)) EXPECT_NE(happened.source, window);
}

TEST(TopLevelWindows, CloseRequestOnlyPostsAnEvent) {
    platform::window* window = make_window(120, 90);
    platform::show_window(window, platform::show_mode::normal);
    gtk_window_close(GTK_WINDOW(widget(window)));
    EXPECT_TRUE(wait_for(platform::event_kind::close_requested));
    EXPECT_TRUE(platform::is_window_visible(window));
    platform::destroy_window(window);
}

TEST(TopLevelWindows, ClientAreaIsExactEvenWhenAControlWantsMore) {
    platform::window* window = make_window(120, 90);
    platform::control_spec spec;
    spec.text = "a label that is much wider than the window it sits in";
    spec.place = {0, 0, 400, 20};
    platform::create_control(window, spec, {});
    platform::show_window(window, platform::show_mode::normal);
    EXPECT_TRUE(wait_for(platform::event_kind::background_painted));  // shown and drawn
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(widget(window)), &width, &height);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 90);
    const platform::frame_size frame = platform::window_frame({});
    EXPECT_EQ(platform::window_rect(window).width, 120 + frame.left + frame.right);
    platform::destroy_window(window);
}

TEST(TopLevelWindows, ANewWindowReportsItsPlaceAndSize) {
    drop_waiting_events();
    platform::window* window = make_window(120, 90);
    std::vector<platform::event> seen;
    EXPECT_TRUE(wait_for(platform::event_kind::resized, &seen));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, platform::event_kind::moved);
    EXPECT_EQ(seen[1].source, window);
    platform::destroy_window(window);
}

TEST(TopLevelWindows, StyleShapesTheFrame) {
    const platform::frame_size titled = platform::window_frame({});
    EXPECT_EQ(titled.left, titled.right);
    EXPECT_GT(titled.top, titled.bottom);  // the title bar
    platform::window_style bare;
    bare.title_bar = false;
    const platform::frame_size none = platform::window_frame(bare);
    EXPECT_EQ(none.left + none.top + none.right + none.bottom, 0);
}

TEST(MessageDialog, ButtonsAndEscape) {
    using platform::dialog_answer;
    using platform::dialog_buttons;
    // Escape answers Cancel where there is one and OK for a lone OK button.
    platform::set_dialog_responder([](const platform::dialog_request& request) {
        gtk_dialog_response(GTK_DIALOG(request.dialog), GTK_RESPONSE_DELETE_EVENT);
        return dialog_answer::none;
    });
    EXPECT_EQ(platform::run_message_dialog(nullptr, {"t", "x", dialog_buttons::ok}), dialog_answer::ok);
    EXPECT_EQ(platform::run_message_dialog(nullptr, {"t", "x", dialog_buttons::ok_cancel}), dialog_answer::cancel);
    // The second button of Yes/No as the default is No.
    platform::set_dialog_responder([](const platform::dialog_request& request) {
        gtk_window_activate_default(GTK_WINDOW(request.dialog));
        return dialog_answer::none;
    });
    platform::dialog_spec yes_no{"t", "x", dialog_buttons::yes_no};
    EXPECT_EQ(platform::run_message_dialog(nullptr, yes_no), dialog_answer::yes);
    yes_no.default_button = 1;
    EXPECT_EQ(platform::run_message_dialog(nullptr, yes_no), dialog_answer::no);
    platform::set_dialog_responder({});
}

TEST(MessageDialog, OwnerIsDisabledOnlyWhileTheDialogIsUp) {
    platform::window* owner = make_window(100, 100);
    platform::show_window(owner, platform::show_mode::normal);
    bool enabled_during = true;
    platform::set_dialog_responder([&](const platform::dialog_request& request) {
        enabled_during = platform::is_window_enabled(owner);
        EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(request.dialog)), GTK_WINDOW(widget(owner)));
        return platform::dialog_answer::ok;
    });
    EXPECT_EQ(platform::run_message_dialog(owner, {"t", "x"}), platform::dialog_answer::ok);
    EXPECT_FALSE(enabled_during);
    EXPECT_TRUE(platform::is_window_enabled(owner));
    platform::set_dialog_responder({});
    platform::destroy_window(owner);
}

}  // namespace
