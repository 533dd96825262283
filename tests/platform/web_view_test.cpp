// The hosted web view under Xvfb, with pages from an in-process tile server on loopback.
#include <gtest/gtest.h>

#include <httplib.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "jpeg_memory.h"
#include "platform/prefetcher.h"
#include "platform/web_address.h"
#include "platform/web_view.h"
#include "support/ports.h"
#include "support/temp_dir.h"
#include "support/toolkit.h"
#include "tile_server.h"

using test_support::widget;

namespace {

const char* const tile_path = "/kh/v=109&src=app&x=2074&s=&y=1410&z=12&s=Gal";
constexpr int load_timeout_ms = 20000;

// A 24-bit section bitmap, as the capture paints into.
struct capture_target {
    capture_target(int width, int height) : picture(platform::create_section_bitmap(width, height, 24)) {}

    // Blue, green, red of pixel (x, y), y from the top.
    const std::uint8_t* at(int x, int y) const { return picture->row_from_top(y) + x * 3; }
    bool all_black() const {
        for (std::size_t i = 0; i < picture->size_in_bytes(); ++i)
            if (picture->bits[i] != 0) return false;
        return true;
    }

    platform::bitmap_handle picture;
};


class WebView : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::open_display()) << "needs a display (run under xvfb-run)";
        tileserver::server_options options;
        options.port = 0;
        options.source = tileserver::source_kind::pattern;
        server = std::make_unique<tileserver::tile_server>(options);
        std::string error;
        ASSERT_GT(server->open(error), 0) << error;
        server->start();

        platform::window_spec spec;
        spec.client_width = 600;
        spec.client_height = 500;
        window = platform::create_window(spec);
        ASSERT_NE(window, nullptr);
        platform::control_callbacks common;
        common.destroyed = [this](platform::control*) { view = nullptr; };
        view = platform::create_web_view(window, {0, 0, 500, 400}, false, std::move(common));
        ASSERT_NE(view, nullptr);
        set_callbacks({});
        platform::show_window(window, platform::show_mode::normal);
        ASSERT_TRUE(platform::navigate(view, "about:blank"));
        ASSERT_TRUE(platform::wait_until_loaded(view, load_timeout_ms));
    }

    void TearDown() override {
        platform::destroy_window(window);
        server.reset();
    }

    // The view's callbacks, besides the counting of loads that every test has.
    void set_callbacks(platform::web_view_callbacks callbacks) {
        callbacks.load_started = [this] { ++started; };
        callbacks.load_finished = [this] { ++finished; };
        platform::set_web_view_callbacks(view, std::move(callbacks));
    }

    std::string tile_address() const { return server->base_address() + tile_path; }

    // Loads an address and waits for its finished callback.
    void load(const std::string& address) {
        const int before = finished;
        ASSERT_TRUE(platform::navigate(view, address));
        ASSERT_TRUE(platform::wait_until_loaded(view, load_timeout_ms)) << address;
        EXPECT_GT(finished, before);
    }

    void pump_for(int milliseconds) { platform::run_toolkit_for(milliseconds); }

    tileserver::rgb_image served_tile(int x = 2074) {
        httplib::Client client("127.0.0.1", server->port());
        const std::string path = "/kh/v=109&src=app&x=" + std::to_string(x) + "&s=&y=1410&z=12&s=Gal";
        auto answer = client.Get(path.c_str());
        tileserver::rgb_image tile;
        EXPECT_TRUE(answer && tileserver::decode_jpeg(answer->body, tile));
        return tile;
    }

    // Largest channel difference between the 256 x 256 cut at (10, 15) and the tile.
    static int cut_difference(const capture_target& capture, const tileserver::rgb_image& tile) {
        int worst = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const std::uint8_t* got = capture.at(platform::tile_page_left + x,
                                                          platform::tile_page_top + y);
                const std::uint8_t* want = tile.at(x, y);
                worst = std::max({worst, std::abs(got[2] - want[0]), std::abs(got[1] - want[1]),
                                  std::abs(got[0] - want[2])});
            }
        return worst;
    }

    std::unique_ptr<tileserver::tile_server> server;
    platform::window* window = nullptr;
    platform::control* view = nullptr;
    int started = 0;
    int finished = 0;
};

}  // namespace

TEST_F(WebView, ShowsATileUnscaledAtTenFifteenAndRendersItExactly) {
    std::vector<double> progress;
    platform::web_view_callbacks callbacks;
    callbacks.progress = [&](double fraction) { progress.push_back(fraction); };
    set_callbacks(callbacks);
    load(tile_address());
    EXPECT_FALSE(platform::is_loading(view));
    EXPECT_EQ(platform::page_address(view), tile_address());
    ASSERT_FALSE(progress.empty());
    EXPECT_DOUBLE_EQ(progress.back(), 1.0);

    int width = 0, height = 0;
    platform::control_size(view, width, height);
    EXPECT_EQ(width, 500);
    EXPECT_EQ(height, 400);
    capture_target capture(500, 400);
    ASSERT_TRUE(platform::render_control(view, *capture.picture));
    // A second render of the same page gives the same picture.
    capture_target again(500, 400);
    ASSERT_TRUE(platform::render_control(view, *again.picture));
    EXPECT_EQ(std::memcmp(again.picture->bits, capture.picture->bits, capture.picture->size_in_bytes()), 0);
    // The tile's white grid lines (its left column and top row) sit exactly at x = 10 and
    // y = 15, and every pixel matches the decoded tile up to decoder rounding.
    EXPECT_LE(cut_difference(capture, served_tile()), 8);
    EXPECT_GT(capture.at(10, 100)[1], 200);
    EXPECT_GT(capture.at(100, 15)[1], 200);
    EXPECT_LT(capture.at(12, 100)[2], 40);  // red 2 just right of the line
}

// A run asks for the next tile as soon as the picture of this one is taken, while the engine
// is still drawing it: the picture must be of the page shown when it was asked for, even when
// the next page has come before the picture is handed over.
TEST_F(WebView, APageAskedForOnceThePictureIsTakenIsNotInIt) {
    const auto address = [this](int x) {
        return server->base_address() + "/kh/v=109&src=app&x=" + std::to_string(x) + "&s=&y=1410&z=12&s=Gal";
    };
    const tileserver::rgb_image tiles[2] = {served_tile(2074), served_tile(2075)};
    capture_target capture(500, 400);
    ASSERT_GT(cut_difference(capture, tiles[0]), 8) << "the two tiles must be told apart";
    load(address(2074));
    int ran = 0;
    for (int step = 0; step < 40; ++step) {
        const int shown = step % 2;
        const bool painted = platform::render_control(view, *capture.picture, [&] { ++ran; }, [&] {
            ++ran;
            ASSERT_TRUE(platform::navigate(view, address(2074 + 1 - shown)));
            if (step % 4 < 2) {
                ASSERT_TRUE(platform::wait_until_loaded(view, load_timeout_ms));
            }
        });
        ASSERT_TRUE(painted);
        ASSERT_LE(cut_difference(capture, tiles[shown]), 8) << "step " << step;
        ASSERT_GT(cut_difference(capture, tiles[1 - shown]), 8) << "step " << step;
        ASSERT_TRUE(platform::wait_until_loaded(view, load_timeout_ms));
    }
    EXPECT_EQ(ran, 80);
}

TEST_F(WebView, ARefusedConnectionOrACutAnswerIsReportedAndKeepsThePageInsteadOfAnErrorPage) {
    std::vector<std::string> failures;
    platform::web_view_callbacks callbacks;
    callbacks.load_failed = [&](const std::string& reason) { failures.push_back(reason); };
    set_callbacks(std::move(callbacks));
    load(tile_address());
    EXPECT_TRUE(failures.empty());
    capture_target before(500, 400);
    ASSERT_TRUE(platform::render_control(view, *before.picture));

    const int closed_port = test_support::unused_loopback_port();
    ASSERT_GT(closed_port, 0);
    load("127.0.0.1:" + std::to_string(closed_port) + tile_path);
    EXPECT_FALSE(platform::is_loading(view));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_FALSE(failures[0].empty());
    capture_target after(500, 400);
    ASSERT_TRUE(platform::render_control(view, *after.picture));
    EXPECT_LE(cut_difference(after, served_tile()), 8);

    // Half a tile may be on show after an answer cut short; what matters is that it is reported.

    tileserver::server_options options;
    options.port = 0;
    options.source = tileserver::source_kind::pattern;
    options.cut_short = true;
    tileserver::tile_server cutting(options);
    std::string error;
    ASSERT_GT(cutting.open(error), 0) << error;
    cutting.start();
    load(cutting.base_address() + "/kh/v=109&src=app&x=0&s=&y=0&z=1&s=Gal");
    EXPECT_EQ(failures.size(), 2u);
}

TEST_F(WebView, AnHttpErrorStatusFinishesLikeAnyPageAndIsNoFailure) {
    int failures = 0;
    platform::web_view_callbacks callbacks;
    callbacks.load_failed = [&](const std::string&) { ++failures; };
    set_callbacks(std::move(callbacks));
    load(server->base_address() + "/no-such-page.html");
    EXPECT_FALSE(platform::is_loading(view));
    EXPECT_EQ(platform::page_address(view), server->base_address() + "/no-such-page.html");
    // A page called off by the next request is not a failure either.
    tileserver::server_options options;
    options.port = 0;
    options.hang = true;
    tileserver::tile_server hanging(options);
    std::string error;
    ASSERT_GT(hanging.open(error), 0) << error;
    hanging.start();
    ASSERT_TRUE(platform::navigate(view, hanging.base_address() + tile_path));
    pump_for(300);
    load(tile_address());
    EXPECT_EQ(failures, 0);
}

TEST_F(WebView, AHiddenViewRendersNothing) {
    load(tile_address());
    gtk_widget_hide(widget(view));
    capture_target capture(500, 400);
    EXPECT_FALSE(platform::render_control(view, *capture.picture));
    // The caller's work runs all the same: a run counts on it to keep its previous capture
    // and to ask for the next page.
    int ran = 0;
    EXPECT_FALSE(platform::render_control(view, *capture.picture, [&] { ++ran; }, [&] { ++ran; }));
    EXPECT_EQ(ran, 2);
    EXPECT_TRUE(capture.all_black());

    gtk_widget_show(widget(view));
    gtk_widget_hide(widget(window));
    EXPECT_FALSE(platform::render_control(view, *capture.picture));
    EXPECT_TRUE(capture.all_black());
}

TEST_F(WebView, AnEmptyAddressDoesNotNavigate) {
    load(tile_address());
    const int started_before = started;
    EXPECT_FALSE(platform::navigate(view, ""));
    pump_for(200);
    EXPECT_EQ(started, started_before);
    EXPECT_EQ(platform::page_address(view), tile_address());
}

TEST_F(WebView, TheNavigationCallbackCanRefuseAndTheInformationPagesKeepTheirTitles) {
    std::vector<std::string> asked;
    std::string title;
    platform::web_view_callbacks callbacks;
    callbacks.title = [&](const std::string& text) { title = text; };
    callbacks.navigation = [&](const std::string& address) {
        asked.push_back(address);
        return address.find("publicite") == std::string::npos;
    };
    set_callbacks(callbacks);
    load(server->base_address() + "/presentation.html");
    // The engine may report the title a moment after the load has finished.
    for (int i = 0; i < 100 && title.empty(); ++i) pump_for(20);
    EXPECT_EQ(title, "Lomtra-SAT");
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), server->base_address() + "/presentation.html");

    ASSERT_TRUE(platform::navigate(view, server->base_address() + "/publicite1.html"));
    platform::wait_until_loaded(view, 3000);
    EXPECT_EQ(asked.back(), server->base_address() + "/publicite1.html");
    EXPECT_EQ(platform::page_address(view), server->base_address() + "/presentation.html");
    EXPECT_FALSE(platform::is_loading(view));
}

TEST_F(WebView, BlockedPopupsAreReportedAndNeverOpen) {
    int blocked = 0;
    platform::web_view_callbacks callbacks;
    callbacks.popup_blocked = [&] { ++blocked; };
    set_callbacks(callbacks);
    const std::string opener = "data:text/html,<script>window.open('about:blank')</script>";
    load(opener);
    pump_for(100);
    EXPECT_EQ(blocked, 0);  // blocking is off: not reported, and still no second window

    platform::block_popups(view, true);
    load(opener);
    for (int i = 0; i < 50 && blocked == 0; ++i) pump_for(20);
    EXPECT_EQ(blocked, 1);
}

TEST(WebAddress, AddsHttpOnlyWhereTheSchemeIsMissing) {
    using platform::complete_web_address;
    EXPECT_EQ(complete_web_address(""), "");
    EXPECT_EQ(complete_web_address("example.org/presentation.html"),
              "http://example.org/presentation.html");
    EXPECT_EQ(complete_web_address("127.0.0.1:18089/publicite1.html"),
              "http://127.0.0.1:18089/publicite1.html");
    EXPECT_EQ(complete_web_address("localhost:18089"), "http://localhost:18089");
    EXPECT_EQ(complete_web_address("http://a.b/kh/v=109&src=app&x=1&s=&y=2&z=3&s=Gal"),
              "http://a.b/kh/v=109&src=app&x=1&s=&y=2&z=3&s=Gal");
    EXPECT_EQ(complete_web_address("HTTPS://a.b/"), "HTTPS://a.b/");
    EXPECT_EQ(complete_web_address("about:blank"), "about:blank");
    EXPECT_EQ(complete_web_address("caf\xe9.example/"), "http://caf\xc3\xa9.example/");
}

TEST_F(WebView, RendersClippedIntoASmallerBitmapAndIntoThirtyTwoBits) {
    load(tile_address());
    platform::bitmap_handle small(platform::create_section_bitmap(40, 30, 32));
    ASSERT_TRUE(platform::render_control(view, *small));
    // (10, 15) is the tile's top-left corner: its white grid lines cross there.
    const std::uint8_t* corner = small->row_from_top(15) + 10 * 4;
    EXPECT_GT(corner[0], 200);
    EXPECT_GT(corner[1], 200);
    EXPECT_GT(corner[2], 200);
    EXPECT_FALSE(platform::render_control(view, platform::pixel_view{}));  // no pixels: nothing to paint into
}

TEST_F(WebView, EndsWithItsWindowAndSaysSo) {
    load(tile_address());
    platform::destroy_window(window);
    window = nullptr;
    EXPECT_EQ(view, nullptr);  // the destroyed callback came
}

namespace {
// What the engine hands over when the mouse is over a link.
WebKitHitTestResult* link_hit(const char* uri) {
    return WEBKIT_HIT_TEST_RESULT(g_object_new(WEBKIT_TYPE_HIT_TEST_RESULT, "context",
                                               WEBKIT_HIT_TEST_RESULT_CONTEXT_LINK, "link-uri", uri, nullptr));
}
}  // namespace

TEST_F(WebView, StatusTextFollowsTheLinkUnderTheMouseAndContextMenusCanBeBlocked) {
    std::vector<std::string> status;
    int menus_blocked = 0;
    platform::web_view_callbacks callbacks;
    callbacks.status_text = [&](const std::string& text) { status.push_back(text); };
    callbacks.context_menu_blocked = [&] { ++menus_blocked; };
    set_callbacks(callbacks);

    WebKitHitTestResult* over_link = link_hit("http://example.org/a");
    g_signal_emit_by_name(widget(view), "mouse-target-changed", over_link, 0u);
    g_signal_emit_by_name(widget(view), "mouse-target-changed", over_link, 0u);  // no change
    WebKitHitTestResult* nothing =
        WEBKIT_HIT_TEST_RESULT(g_object_new(WEBKIT_TYPE_HIT_TEST_RESULT, "context", 1, nullptr));
    g_signal_emit_by_name(widget(view), "mouse-target-changed", nothing, 0u);
    EXPECT_EQ(status, (std::vector<std::string>{"http://example.org/a", ""}));

    WebKitContextMenu* menu = webkit_context_menu_new();
    GdkEvent* click = gdk_event_new(GDK_BUTTON_PRESS);
    gboolean handled = FALSE;
    g_signal_emit_by_name(widget(view), "context-menu", menu, click, nothing, &handled);
    EXPECT_FALSE(handled);  // not blocked: the engine shows its menu
    platform::block_context_menu(view, true);
    g_signal_emit_by_name(widget(view), "context-menu", menu, click, nothing, &handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(menus_blocked, 1);

    gdk_event_free(click);
    g_object_unref(menu);
    g_object_unref(nothing);
    g_object_unref(over_link);
}

TEST_F(WebView, AWindowTakenOffTheScreenButNotHiddenStillRendersItsNewPages) {
    // What minimising does: the window is unmapped, yet it stays a visible window, and a run
    // left to work while minimised must go on capturing real tiles.
    gtk_widget_unmap(widget(window));
    load(tile_address());
    capture_target capture(500, 400);
    ASSERT_TRUE(platform::render_control(view, *capture.picture));
    EXPECT_LE(cut_difference(capture, served_tile()), 8);
}

TEST_F(WebView, IsBusyFromTheMomentItIsSentToAnAddress) {
    // The capture loop may see the previous page's download end only after it has asked for
    // the next page; then only the busy test keeps it from capturing the old page.
    load(tile_address());
    ASSERT_TRUE(platform::navigate(view, server->base_address() + "/12/2075/1410.jpg"));
    EXPECT_TRUE(platform::is_loading(view));
    ASSERT_TRUE(platform::wait_until_loaded(view, load_timeout_ms));
    EXPECT_FALSE(platform::is_loading(view));
}

namespace {

// A tile server that answers each tile after `delay_ms` and logs the paths asked for.
struct logged_server {
    explicit logged_server(int delay_ms) {
        tileserver::server_options options;
        options.port = 0;
        options.source = tileserver::source_kind::pattern;
        options.delay_ms = delay_ms;
        options.log_path = log.file("requests.log");
        server = std::make_unique<tileserver::tile_server>(options);
        std::string error;
        EXPECT_GT(server->open(error), 0) << error;
        server->start();
    }
    std::string address(int x) const {
        return server->base_address() + "/kh/v=109&src=app&x=" + std::to_string(2074 + x) + "&s=&y=1410&z=12&s=Gal";
    }
    std::vector<std::string> paths_asked() const {
        std::vector<std::string> paths;
        std::istringstream lines(test_support::read_file(log.file("requests.log")));
        std::string status, method, path;
        while (lines >> status >> method >> path) paths.push_back(server->base_address() + path);
        return paths;
    }
    test_support::temp_dir log;
    std::unique_ptr<tileserver::tile_server> server;
};

}  // namespace

// The prefetcher fills the web view's own cache: the view's later loads of those addresses reach
// no server. It asks for the given addresses only, never more at once than its depth.
TEST_F(WebView, PrefetchedTilesAreLoadedFromTheCacheAndNoMoreThanTheDepthAreFetchedAtOnce) {
    const logged_server tiles(150);
    std::vector<std::string> addresses;
    for (int x = 0; x < 10; ++x) addresses.push_back(tiles.address(x));
    platform::prefetcher ahead(view, 3);
    ahead.fetch(addresses);
    for (int i = 0; i < 250 && ahead.under_way() < 3; ++i) pump_for(20);  // the fetching page loads first
    EXPECT_EQ(ahead.under_way(), 3);
    EXPECT_EQ(ahead.waiting(), 7);
    EXPECT_TRUE(ahead.fetching(addresses[2]));
    EXPECT_FALSE(ahead.fetching(addresses[3]));
    for (int i = 0; i < 500 && ahead.finished() < 10; ++i) pump_for(20);
    EXPECT_EQ(ahead.finished(), 10);
    EXPECT_EQ(ahead.under_way(), 0);
    EXPECT_EQ(tiles.server->tile_requests(), 10);
    EXPECT_LE(tiles.server->most_tiles_at_once(), 3);
    EXPECT_GE(tiles.server->most_tiles_at_once(), 2);
    std::vector<std::string> asked = tiles.paths_asked();
    std::sort(asked.begin(), asked.end());
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(asked, addresses);

    for (int x : {0, 5, 9}) load(tiles.address(x));
    EXPECT_EQ(tiles.server->tile_requests(), 10) << "the view's loads were answered from the cache";
    capture_target capture(500, 400);
    ASSERT_TRUE(platform::render_control(view, *capture.picture));
    EXPECT_LE(cut_difference(capture, served_tile(2074 + 9)), 8);
}

TEST_F(WebView, APrefetcherStopsWhenToldAndWhenItsWindowCloses) {
    const logged_server tiles(3000);
    std::vector<std::string> addresses;
    for (int x = 0; x < 10; ++x) addresses.push_back(tiles.address(x));
    platform::prefetcher told(view, 2);
    told.fetch(addresses);
    for (int i = 0; i < 250 && tiles.server->tile_requests() < 2; ++i) pump_for(20);
    told.stop();
    EXPECT_TRUE(told.stopped());
    EXPECT_EQ(told.under_way() + told.waiting(), 0);
    told.fetch(addresses);
    EXPECT_EQ(told.waiting(), 0);

    platform::prefetcher closing(view, 2);
    closing.fetch(addresses);
    for (int i = 0; i < 250 && tiles.server->tile_requests() < 4; ++i) pump_for(20);
    platform::destroy_window(window);
    window = nullptr;
    EXPECT_TRUE(closing.stopped());
    EXPECT_EQ(closing.under_way() + closing.waiting(), 0);
    pump_for(300);
    EXPECT_EQ(tiles.server->tile_requests(), 4);

    platform::prefetcher without_view(nullptr, 2);
    without_view.fetch(addresses);
    EXPECT_TRUE(without_view.stopped());
    EXPECT_EQ(without_view.under_way(), 0);
}

// What the caller loads itself is not fetched again, and a redirection is not followed: the
// prefetcher asks for the given addresses only. A fetch that ends in a redirection still ends,
// so it does not hold a place for good.
TEST_F(WebView, APrefetcherSkipsWhatIsLoadedElsewhereAndFollowsNoRedirection) {
    const logged_server tiles(300);
    platform::prefetcher ahead(view, 1);
    ahead.fetch({tiles.address(1), tiles.address(2), tiles.address(3)});
    ahead.skip(tiles.address(2));
    for (int i = 0; i < 500 && ahead.finished() < 2; ++i) pump_for(20);
    EXPECT_EQ(ahead.finished(), 2);
    EXPECT_EQ(ahead.waiting() + ahead.under_way(), 0);
    EXPECT_EQ(tiles.paths_asked(), (std::vector<std::string>{tiles.address(1), tiles.address(3)}));

    httplib::Server mover;
    mover.set_keep_alive_max_count(1);  // no connection outlives its answer, so stop() is quick
    int moved_asked = 0, target_asked = 0;
    mover.Get("/elsewhere", [&](const httplib::Request&, httplib::Response& answer) {
        ++moved_asked;
        answer.set_redirect(tiles.address(4));
    });
    mover.Get("/moved", [&](const httplib::Request&, httplib::Response& answer) {
        ++moved_asked;
        answer.set_redirect("/target");
    });
    mover.Get("/target", [&](const httplib::Request&, httplib::Response& answer) {
        ++target_asked;
        answer.set_content("x", "image/png");
    });
    const int port = mover.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&] { mover.listen_after_bind(); });
    const std::string site = "http://127.0.0.1:" + std::to_string(port);
    platform::prefetcher redirected(view, 1);
    redirected.fetch({site + "/elsewhere", site + "/moved", tiles.address(5)});
    for (int i = 0; i < 500 && redirected.finished() < 3; ++i) pump_for(20);
    mover.stop();
    serving.join();
    EXPECT_EQ(redirected.finished(), 3);
    EXPECT_EQ(redirected.under_way(), 0);
    EXPECT_EQ(moved_asked, 2);
    EXPECT_EQ(target_asked, 0);
    EXPECT_EQ(tiles.server->tile_requests(), 3);  // tile 4, where the redirection pointed, was not asked for
}

// A server that marks its answers as not to be kept would be asked for every address twice,
// once by the prefetcher and once by the view: its first such answer stops the prefetcher. So
// does one that varies on a header the view's load sends otherwise (Accept), which the cache
// keeps apart, and one by which the server asks to be asked less. An answer the cache may give
// again, and another error page however marked, do not.
TEST_F(WebView, APrefetcherStopsAtTheFirstAnswerThatSaysItOnlyCostsTheServer) {
    struct marking {
        const char* name;
        std::vector<std::pair<std::string, std::string>> headers;
        int status;
        bool stops;
    };
    const std::vector<marking> markings{
        {"lifetime", {{"Cache-Control", "public, max-age=600"}}, 200, false},
        {"expires", {{"Expires", "Fri, 01 Jan 2100 00:00:00 GMT"}}, 200, false},
        {"modified", {{"Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT"}}, 200, false},
        {"alike", {{"Cache-Control", "max-age=600"}, {"Vary", "accept-encoding, User-Agent"}}, 200, false},
        {"negotiated", {{"Cache-Control", "max-age=600"}, {"Vary", "Accept-Encoding, Accept"}}, 200, true},
        {"store", {{"Cache-Control", "no-store"}}, 200, true},
        {"revalidate",
         {{"Cache-Control", "Private, NO-CACHE"}, {"Expires", "Fri, 01 Jan 2100 00:00:00 GMT"}},
         200,
         true},
        {"zero", {{"Cache-Control", "max-age=0"}, {"Last-Modified", "Mon, 01 Jan 2024 00:00:00 GMT"}}, 200, true},
        {"pragma", {{"Pragma", "no-cache"}}, 200, true},
        {"expired", {{"Expires", "0"}}, 200, true},
        {"unmarked", {}, 200, true},
        {"missing", {{"Cache-Control", "no-store"}}, 404, false},
        {"overrun", {{"Retry-After", "1"}}, 429, true},
        {"unavailable", {{"Cache-Control", "max-age=600"}}, 503, true},
    };
    httplib::Server site;
    site.set_keep_alive_max_count(1);  // no connection outlives its answer, so stop() is quick
    std::map<std::string, int> asked;
    std::mutex asked_lock;
    site.Get(R"(/(\w+)/\d+\.png)", [&](const httplib::Request& request, httplib::Response& answer) {
        const std::string name = request.matches[1];
        const std::lock_guard<std::mutex> hold(asked_lock);
        ++asked[name];
        for (const marking& each : markings) {
            if (name != each.name) continue;
            answer.status = each.status;
            for (const auto& [header, value] : each.headers) answer.set_header(header, value);
        }
        answer.set_content("x", "image/png");
    });
    const int port = site.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    std::thread serving([&] { site.listen_after_bind(); });
    const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/";
    for (const marking& each : markings) {
        platform::prefetcher ahead(view, 1);
        std::vector<std::string> addresses;
        for (int i = 1; i <= 3; ++i) addresses.push_back(base + each.name + "/" + std::to_string(i) + ".png");
        ahead.fetch(addresses);
        for (int i = 0; i < 500 && !ahead.stopped() && ahead.finished() < 3; ++i) pump_for(20);
        pump_for(100);  // time for a fetch that should not have started to reach the server
        const auto asked_for = [&] {
            const std::lock_guard<std::mutex> hold(asked_lock);
            return asked[each.name];
        };
        EXPECT_EQ(ahead.stopped(), each.stops) << each.name;
        EXPECT_EQ(asked_for(), each.stops ? 1 : 3) << each.name;
        if (each.status != 200) continue;
        // The engine's cache agrees: the view's load of the first address fetched reaches the
        // server again exactly when the prefetcher stopped.
        load(addresses[0]);
        EXPECT_EQ(asked_for(), each.stops ? 2 : 3) << each.name;
    }
    site.stop();
    serving.join();
}

// Where the engine's session cannot have a folder of its own, it keeps nothing on disk and a
// tile fetched ahead would only be asked of the server twice: fetching ahead is off. The
// session is made once in a process, so this is a process of its own.
TEST(WebSessionWithoutAFolder, FetchesNothingAhead) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("XDG_CACHE_HOME", "/dev/null", 1);  // no folder can be made in it
            bool fetching = true;
            if (platform::open_display()) {
                platform::window* window = platform::create_window({});
                platform::control* view = platform::create_web_view(window, {0, 0, 300, 300}, false, {});
                platform::prefetcher ahead(view, 2);
                ahead.fetch({"http://127.0.0.1:9/kh/x=1", "http://127.0.0.1:9/kh/x=2"});
                fetching = !view || !ahead.stopped() || ahead.under_way() + ahead.waiting() > 0;
                platform::destroy_window(window);
            }
            std::exit(fetching ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}
