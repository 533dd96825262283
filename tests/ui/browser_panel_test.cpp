// Browser panels in a numbered window, driven through the program's own event loop, with
// pages from an in-process tile server on loopback.
#include <gtest/gtest.h>
#include <httplib.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "jpeg_memory.h"
#include "platform/bitmap.h"
#include "support/toolkit.h"
#include "tile_server.h"
#include "ui/browser_panel.h"
#include "ui/events.h"
#include "ui/gadgets.h"
#include "ui/windows.h"
#include "ui_test_support.h"

namespace {

using test_support::widget;

const char* const tile_path = "/kh/v=109&src=app&x=2074&s=&y=1410&z=12&s=Gal";

class BrowserPanel : public testing::Test {
protected:
    void SetUp() override {
        tileserver::server_options options;
        options.port = 0;
        options.source = tileserver::source_kind::pattern;
        server = std::make_unique<tileserver::tile_server>(options);
        std::string error;
        ASSERT_GT(server->open(error), 0) << error;
        server->start();
        ASSERT_NE(ui::window_open(0, 0, 0, 1024, 710, "Browser panel", 0xCA0001), nullptr);
        ASSERT_NE(ui::browser_panel_create(1, 0, 0, 500, 400, ""), nullptr);
    }
    void TearDown() override {
        ui::windows_close_all();
        server.reset();
    }

    std::string tile_address() const { return server->base_address() + tile_path; }

    // Runs the loop, recording the types of gadget `gadget`'s events, until `last` comes.
    std::vector<int> collect(int gadget, int last, int timeout_ms = 15000) {
        std::vector<int> types;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (std::chrono::steady_clock::now() < end && (types.empty() || types.back() != last)) {
            if (ui::event_wait(20) == ui::EVENT_CONTROL && ui::event_gadget() == gadget)
                types.push_back(ui::event_type());
        }
        return types;
    }

    // Loads an address into panel 1 and returns the event types up to the download end.
    std::vector<int> load(const std::string& address) {
        ui::gadget_set_text(1, address);
        return collect(1, ui::BROWSER_EVENT_DOWNLOAD_END);
    }

    std::unique_ptr<tileserver::tile_server> server;
};

// A 24-bit bitmap of a panel's size with the panel rendered into it, as the capture makes it.
struct capture_image {
    explicit capture_image(platform::control* panel) {
        platform::control_size(panel, width, height);
        picture.reset(platform::create_section_bitmap(width, height, 24));
        platform::render_control(panel, *picture);
    }

    // Largest channel difference between the 256 x 256 cut at (10, 15) and a tile.
    int cut_difference(const tileserver::rgb_image& tile) const {
        int worst = 0;
        for (int y = 0; y < 256; ++y) {
            const std::uint8_t* row = picture->row_from_top(15 + y) + 10 * 3;
            for (int x = 0; x < 256; ++x, row += 3) {
                const std::uint8_t* want = tile.at(x, y);
                worst = std::max({worst, std::abs(row[2] - want[0]), std::abs(row[1] - want[1]),
                                  std::abs(row[0] - want[2])});
            }
        }
        return worst;
    }
    bool all_black() const {
        return std::all_of(picture->bits, picture->bits + picture->size_in_bytes(),
                           [](std::uint8_t v) { return v == 0; });
    }

    int width = 0, height = 0;
    platform::bitmap_handle picture;
};

tileserver::rgb_image served_tile(int port) {
    httplib::Client client("127.0.0.1", port);
    auto answer = client.Get(tile_path);
    tileserver::rgb_image tile;
    EXPECT_TRUE(answer && tileserver::decode_jpeg(answer->body, tile));
    return tile;
}

}  // namespace

TEST_F(BrowserPanel, CreationCompletesAboutBlankSilently) {
    EXPECT_EQ(ui::gadget_get_text(1), "about:blank");
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_BUSY), 0);
    for (const ui_test::seen_event& event : ui_test::settle(300))
        EXPECT_FALSE(event.code == ui::EVENT_CONTROL && event.gadget == 1) << "type " << event.type;
}

TEST_F(BrowserPanel, ATileLoadEndsWithDownloadEndNotBusyAndRendersAtTenFifteen) {
    const std::vector<int> types = load(tile_address());
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), ui::BROWSER_EVENT_DOWNLOAD_END);
    EXPECT_EQ(types.front(), ui::BROWSER_EVENT_DOWNLOAD_BEGIN);
    EXPECT_NE(std::find(types.begin(), types.end(), ui::BROWSER_EVENT_PROGRESS), types.end());
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_BUSY), 0);
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_PROGRESS), 100);
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_PROGRESS_MAXIMUM), 100);
    EXPECT_EQ(ui::gadget_get_text(1), tile_address());

    capture_image capture(ui::gadget_handle(1));
    ASSERT_EQ(capture.width, 500);
    ASSERT_EQ(capture.height, 400);
    EXPECT_LE(capture.cut_difference(served_tile(server->port())), 8);
}

TEST_F(BrowserPanel, AnEmptyAddressDoesNotNavigate) {
    load(tile_address());
    ui_test::settle(300);  // the title may follow the download end
    ui::gadget_set_text(1, "");
    for (const ui_test::seen_event& event : ui_test::settle(300))
        EXPECT_FALSE(event.code == ui::EVENT_CONTROL && event.gadget == 1) << "type " << event.type;
    EXPECT_EQ(ui::gadget_get_text(1), tile_address());
}

TEST_F(BrowserPanel, ARefusedConnectionStillEndsTheDownloadAndShowsNoErrorPage) {
    load(tile_address());
    // A server that has stopped: its port refuses connections.
    tileserver::server_options options;
    options.port = 0;
    options.source = tileserver::source_kind::pattern;
    auto gone = std::make_unique<tileserver::tile_server>(options);
    std::string error;
    const int port = gone->open(error);
    ASSERT_GT(port, 0);
    gone.reset();

    const std::vector<int> types = load("127.0.0.1:" + std::to_string(port) + tile_path);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), ui::BROWSER_EVENT_DOWNLOAD_END);
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_BUSY), 0);
    capture_image capture(ui::gadget_handle(1));
    EXPECT_LE(capture.cut_difference(served_tile(server->port())), 8);
}

TEST_F(BrowserPanel, AHiddenPanelRendersBlack) {
    load(tile_address());
    gtk_widget_hide(widget(ui::gadget_handle(1)));
    capture_image capture(ui::gadget_handle(1));
    EXPECT_TRUE(capture.all_black());
}

TEST_F(BrowserPanel, AFirstAddressWithoutSchemeIsLoadedAndReportedUnderItsOwnGadget) {
    const std::string site = "127.0.0.1:" + std::to_string(server->port());
    ASSERT_NE(ui::browser_panel_create(18, 0, 500, 770, 210, site + "/publicite2.html"), nullptr);
    const std::vector<int> types = collect(18, ui::BROWSER_EVENT_DOWNLOAD_END);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), ui::BROWSER_EVENT_DOWNLOAD_END);
    EXPECT_EQ(ui::gadget_get_text(18), "http://" + site + "/publicite2.html");
    // The title arrives too (at the latest a moment after the download end).
    const bool titled = std::find(types.begin(), types.end(), ui::BROWSER_EVENT_TITLE) != types.end() ||
                        !collect(18, ui::BROWSER_EVENT_TITLE, 2000).empty();
    EXPECT_TRUE(titled);
}

namespace {
std::vector<std::string> asked;
int refuse_adverts(int gadget, const char* address) {
    asked.push_back(std::to_string(gadget) + " " + address);
    return std::strstr(address, "publicite") ? 0 : 1;
}
}  // namespace

TEST_F(BrowserPanel, TheNavigationCallbackSeesEveryAddressAndCanRefuse) {
    asked.clear();
    ui::gadget_set_attribute(1, ui::BROWSER_NAVIGATION_CALLBACK, reinterpret_cast<intptr_t>(&refuse_adverts));
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_NAVIGATION_CALLBACK),
              reinterpret_cast<intptr_t>(&refuse_adverts));
    load(server->base_address() + "/presentation.html");
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), "1 " + server->base_address() + "/presentation.html");

    ui::gadget_set_text(1, server->base_address() + "/publicite1.html");
    ui_test::settle(300);
    EXPECT_EQ(asked.back(), "1 " + server->base_address() + "/publicite1.html");
    EXPECT_EQ(ui::gadget_get_text(1), server->base_address() + "/presentation.html");
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_BUSY), 0);
}

TEST_F(BrowserPanel, BlockedPopupsAreReported) {
    ui::gadget_set_attribute(1, ui::BROWSER_POPUP_BLOCKING, 1);
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_POPUP_BLOCKING), 1);
    ui::gadget_set_text(1, "data:text/html,<script>window.open('about:blank')</script>");
    const std::vector<int> types = collect(1, ui::BROWSER_EVENT_POPUP_BLOCKED, 5000);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), ui::BROWSER_EVENT_POPUP_BLOCKED);
}

TEST_F(BrowserPanel, ScrollOffsetsAreReadAndSet) {
    load("data:text/html,<body style='margin:0'><div style='width:3000px;height:3000px'></div></body>");
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_SCROLL_Y), 0);
    ui::gadget_set_attribute(1, ui::BROWSER_SCROLL_Y, 300);
    ui::gadget_set_attribute(1, ui::BROWSER_SCROLL_X, 120);
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_SCROLL_Y), 300);
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_SCROLL_X), 120);
}

TEST_F(BrowserPanel, ClosingTheWindowReleasesThePanel) {
    load(tile_address());
    ui::windows_close_all();
    EXPECT_EQ(ui::gadget_handle(1), nullptr);
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_BUSY), 0);
    ui::gadget_set_text(1, tile_address());  // nothing there: does nothing
    EXPECT_EQ(ui::gadget_get_text(1), "");
}

TEST_F(BrowserPanel, StatusChangesAndBlockedContextMenusAreReported) {
    GtkWidget* panel = widget(ui::gadget_handle(1));
    WebKitHitTestResult* over_link = WEBKIT_HIT_TEST_RESULT(g_object_new(
        WEBKIT_TYPE_HIT_TEST_RESULT, "context", WEBKIT_HIT_TEST_RESULT_CONTEXT_LINK, "link-uri", "http://a/", nullptr));
    g_signal_emit_by_name(panel, "mouse-target-changed", over_link, 0u);
    std::vector<int> types = collect(1, ui::BROWSER_EVENT_STATUS, 3000);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), ui::BROWSER_EVENT_STATUS);

    ui::gadget_set_attribute(1, ui::BROWSER_CONTEXT_MENU_BLOCKING, 1);
    EXPECT_EQ(ui::gadget_get_attribute(1, ui::BROWSER_CONTEXT_MENU_BLOCKING), 1);
    WebKitContextMenu* menu = webkit_context_menu_new();
    GdkEvent* click = gdk_event_new(GDK_BUTTON_PRESS);
    gboolean handled = FALSE;
    g_signal_emit_by_name(panel, "context-menu", menu, click, over_link, &handled);
    EXPECT_TRUE(handled);
    types = collect(1, ui::BROWSER_EVENT_CONTEXT_MENU_BLOCKED, 3000);
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), ui::BROWSER_EVENT_CONTEXT_MENU_BLOCKED);
    gdk_event_free(click);
    g_object_unref(menu);
    g_object_unref(over_link);
}
