// The local tile server over loopback: tiles, pages, and the faults tests rely on.
#include <gtest/gtest.h>

#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "jpeg_memory.h"
#include "pattern.h"
#include "support/temp_dir.h"
#include "tile_server.h"

using namespace tileserver;

namespace {

const char* const kh_2074_1410_12 = "/kh/v=109&src=app&x=2074&s=&y=1410&z=12&s=Gal";

struct running_server {
    explicit running_server(server_options options) : server(adjust(std::move(options))) {
        std::string error;
        port = server.open(error);
        EXPECT_GT(port, 0) << error;
        server.start();
        client = std::make_unique<httplib::Client>("127.0.0.1", port);
        client->set_read_timeout(10, 0);
    }
    static server_options adjust(server_options options) {
        options.port = 0;
        return options;
    }
    tile_server server;
    int port = -1;
    std::unique_ptr<httplib::Client> client;
};

server_options pattern_options() {
    server_options options;
    options.source = source_kind::pattern;
    return options;
}

// Largest difference of any channel between the decoded tile and the documented pattern,
// skipping pixels next to the grid lines (where JPEG rings around the 1-pixel white line).
int pattern_error(const rgb_image& tile, std::int64_t x, std::int64_t y, int zoom) {
    int worst = 0;
    for (int py = 0; py < 256; ++py)
        for (int px = 0; px < 256; ++px) {
            if (px < 3 || py < 3 || px > 253 || py > 253) continue;
            const rgb want = pattern_colour(x * 256 + px, y * 256 + py, zoom);
            const std::uint8_t* got = tile.at(px, py);
            worst = std::max({worst, std::abs(got[0] - want.red), std::abs(got[1] - want.green),
                              std::abs(got[2] - want.blue)});
        }
    return worst;
}

}  // namespace

TEST(TileServer, PatternTilesDecodeAsDocumentedAndBothPathFormsAgree) {
    running_server s(pattern_options());
    auto kh = s.client->Get(kh_2074_1410_12);
    ASSERT_TRUE(kh);
    EXPECT_EQ(kh->status, 200);
    EXPECT_EQ(kh->get_header_value("Content-Type"), "image/jpeg");
    auto xyz = s.client->Get("/12/2074/1410.jpg");
    ASSERT_TRUE(xyz);
    EXPECT_EQ(xyz->body, kh->body);

    rgb_image tile;
    ASSERT_TRUE(decode_jpeg(kh->body, tile));
    ASSERT_EQ(tile.width, 256);
    ASSERT_EQ(tile.height, 256);
    EXPECT_LE(pattern_error(tile, 2074, 1410, 12), 12);
    // The grid lines are there: the top-left corner and the left column are white.
    EXPECT_GT(tile.at(0, 0)[0], 200);
    EXPECT_GT(tile.at(0, 128)[1], 200);
    EXPECT_GT(tile.at(128, 0)[2], 200);

    // A neighbour, and the same place at another zoom, differ in blue.
    EXPECT_NE(pattern_colour(2075 * 256 + 9, 1410 * 256 + 9, 12).blue,
              pattern_colour(2074 * 256 + 9, 1410 * 256 + 9, 12).blue);
    EXPECT_NE(pattern_colour(2074 * 256 + 9, 1411 * 256 + 9, 12).blue,
              pattern_colour(2075 * 256 + 9, 1410 * 256 + 9, 12).blue);
    EXPECT_NE(pattern_colour(9, 9, 3).blue, pattern_colour(9, 9, 4).blue);
}

TEST(TileServer, EveryAddressFormNamesTheSameTileAndTilesKeepUnlessTold) {
    running_server s(pattern_options());
    auto xyz = s.client->Get("/12/2074/1410.jpg");
    ASSERT_TRUE(xyz);
    EXPECT_EQ(xyz->get_header_value("Cache-Control"), "max-age=86400");
    for (const char* same : {"/tms/12/2074/2685.jpg", "/q/120220011030.jpg"}) {
        auto answer = s.client->Get(same);
        ASSERT_TRUE(answer) << same;
        EXPECT_EQ(answer->body, xyz->body) << same;
    }
    for (const char* png_path : {"/12/2074/1410.png", "/q/120220011030.png"}) {
        auto png = s.client->Get(png_path);
        ASSERT_TRUE(png) << png_path;
        EXPECT_EQ(png->get_header_value("Content-Type"), "image/png");
        EXPECT_EQ(png->body.substr(0, 8), "\x89PNG\r\n\x1a\n");
        EXPECT_EQ(png->body.substr(16, 8), std::string("\0\0\1\0\0\0\1\0", 8));  // 256 x 256
    }
    for (const char* bad : {"/q/.jpg", "/q/124.jpg", "/tms/12/2074.jpg", "/q/1202200110301202200110301202201.jpg"}) {
        auto answer = s.client->Get(bad);
        ASSERT_TRUE(answer) << bad;
        EXPECT_EQ(answer->status, 404) << bad;
    }
    server_options options = pattern_options();
    options.no_cache = true;
    running_server uncached(options);
    EXPECT_EQ(uncached.client->Get("/12/2074/1410.jpg")->get_header_value("Cache-Control"), "no-store");
}

TEST(TileServer, TilesOutsideTheGridFollowThePatternAndBadAddressesAreRefused) {
    running_server s(pattern_options());
    auto negative = s.client->Get("/kh/v=109&src=app&x=-3&s=&y=-1&z=2&s=Gal");
    ASSERT_TRUE(negative);
    ASSERT_EQ(negative->status, 200);
    rgb_image tile;
    ASSERT_TRUE(decode_jpeg(negative->body, tile));
    EXPECT_LE(pattern_error(tile, -3, -1, 2), 12);

    for (const char* path : {"/31/0/0.jpg", "/kh/v=109&src=app&x=1&s=&y=1&z=2",
                             "/kh?v=109&src=app&x=1&s=&y=1&z=2&s=Gal", "/2/1/1.gif", "/a/b/c.jpg",
                             "/kh/v=109&src=app&x=1&s=&y=1&z=2&s=Galx", "/2/99999999999999999/1.jpg",
                             "/kh/v=109&src=app&x=&s=&y=1&z=2&s=Gal"}) {
        auto answer = s.client->Get(path);
        ASSERT_TRUE(answer) << path;
        EXPECT_EQ(answer->status, 404) << path;
    }
}

TEST(TileServer, ServesTheThreeInformationPages) {
    running_server s(pattern_options());
    for (const char* name : {"/presentation.html", "/publicite1.html", "/publicite2.html"}) {
        auto answer = s.client->Get(name);
        ASSERT_TRUE(answer) << name;
        EXPECT_EQ(answer->status, 200) << name;
        EXPECT_NE(answer->get_header_value("Content-Type").find("text/html"), std::string::npos);
        EXPECT_NE(answer->body.find("Lomtra-SAT"), std::string::npos) << name;
    }
    auto presentation = s.client->Get("/presentation.html");
    EXPECT_NE(presentation->body.find("C:/Lomtra-SAT/"), std::string::npos);
    auto missing = s.client->Get("/publicite3.html");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST(TileServer, FaultsChangeTileAnswersButNeverThePages) {
    {
        server_options options = pattern_options();
        options.status = 500;
        running_server s(options);
        auto tile = s.client->Get(kh_2074_1410_12);
        ASSERT_TRUE(tile);
        EXPECT_EQ(tile->status, 500);
        auto page = s.client->Get("/presentation.html");
        EXPECT_EQ(page->status, 200);
    }
    {
        server_options options = pattern_options();
        options.html_instead = true;
        running_server s(options);
        auto tile = s.client->Get(kh_2074_1410_12);
        ASSERT_TRUE(tile);
        EXPECT_EQ(tile->status, 200);
        EXPECT_NE(tile->get_header_value("Content-Type").find("text/html"), std::string::npos);
    }
    {
        server_options options = pattern_options();
        running_server whole(options);
        options.truncate = true;
        running_server cut(options);
        auto full = whole.client->Get(kh_2074_1410_12);
        auto half = cut.client->Get(kh_2074_1410_12);
        ASSERT_TRUE(full && half);
        EXPECT_EQ(half->status, 200);
        EXPECT_EQ(half->body, full->body.substr(0, full->body.size() / 2));
        rgb_image tile;
        EXPECT_FALSE(decode_jpeg(half->body, tile));
    }
}

TEST(TileServer, DelayHoldsTheAnswerAndHangEndsWhenTheServerStops) {
    {
        server_options options = pattern_options();
        options.delay_ms = 300;
        running_server s(options);
        const auto start = std::chrono::steady_clock::now();
        auto tile = s.client->Get(kh_2074_1410_12);
        ASSERT_TRUE(tile);
        EXPECT_EQ(tile->status, 200);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    }
    {
        // Stopped while a tile is held back: the answer, if any comes, is no tile.
        server_options options = pattern_options();
        options.delay_ms = 5000;
        running_server s(options);
        auto asked = std::async(std::launch::async, [&] { return s.client->Get(kh_2074_1410_12); });
        while (s.server.tile_requests() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        s.server.stop();
        const auto tile = asked.get();
        if (tile) {
            EXPECT_EQ(tile->status, 503);
        }
    }
    server_options options = pattern_options();
    options.hang = true;
    running_server s(options);
    s.client->set_read_timeout(0, 300000);
    auto tile = s.client->Get(kh_2074_1410_12);
    EXPECT_FALSE(tile);
    auto page = s.client->Get("/publicite1.html");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    s.server.stop();  // must return although a handler is still hanging
}

TEST(TileServer, LogsEveryRequestServed) {
    test_support::temp_dir folder;
    server_options options = pattern_options();
    options.log_path = folder.file("requests.log");
    {
        running_server s(options);
        s.client->Get(kh_2074_1410_12);
        s.client->Get("/nothing-here");
    }
    const std::string log = test_support::read_file(options.log_path);
    EXPECT_NE(log.find(std::string("200 GET ") + kh_2074_1410_12 + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("404 GET /nothing-here\n"), std::string::npos) << log;
}

TEST(TileServer, FolderSourceServesStoredTilesAsTheyAre) {
    test_support::temp_dir folder;
    std::filesystem::create_directories(folder.file("3/4"));
    ASSERT_TRUE(test_support::write_file(folder.file("3/4/2.jpg"), "jpeg bytes"));
    ASSERT_TRUE(test_support::write_file(folder.file("3/4/5.png"), "png bytes"));
    server_options options;
    options.source = source_kind::folder;
    options.tiles_folder = folder.path();
    running_server s(options);

    auto jpeg = s.client->Get("/kh/v=109&src=app&x=4&s=&y=2&z=3&s=Gal");
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->status, 200);
    EXPECT_EQ(jpeg->body, "jpeg bytes");
    EXPECT_EQ(jpeg->get_header_value("Content-Type"), "image/jpeg");
    auto png = s.client->Get("/3/4/5.jpg");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->body, "png bytes");
    EXPECT_EQ(png->get_header_value("Content-Type"), "image/png");
    auto missing = s.client->Get("/3/4/6.jpg");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST(TileServer, EarthTilesWrapEastWestAndAreBlackBeyondThePoles) {
    if (!std::filesystem::exists(default_earth_picture)) GTEST_SKIP() << "xplanet-images missing";
    running_server s(server_options{});
    auto decode = [&](const std::string& path) {
        rgb_image tile;
        auto answer = s.client->Get(path);
        EXPECT_TRUE(answer && answer->status == 200) << path;
        if (answer) {
            EXPECT_TRUE(decode_jpeg(answer->body, tile)) << path;
        }
        return tile;
    };
    const rgb_image world = decode("/0/0/0.jpg");
    ASSERT_EQ(world.width, 256);
    // Mid-Atlantic on the equator is ocean: more blue than red.
    const std::uint8_t* ocean = world.at(108, 128);
    EXPECT_GT(ocean[2], ocean[0] + 20);
    EXPECT_EQ(decode("/1/-1/0.jpg").pixels, decode("/1/1/0.jpg").pixels);
    const rgb_image beyond = decode("/1/0/2.jpg");
    for (std::uint8_t value : beyond.pixels) ASSERT_LE(value, 4);
}

TEST(TileServer, EarthSourceNeedsItsPicture) {
    server_options options;
    options.earth_picture = "/nonexistent/earth.jpg";
    tile_server server(options);
    std::string error;
    EXPECT_LT(server.open(error), 0);
    EXPECT_NE(error.find("/nonexistent/earth.jpg"), std::string::npos);
}

TEST(TileServerOptions, ParsesEveryOptionAndRefusesBadOnes) {
    server_options options;
    std::string message;
    EXPECT_EQ(parse_options({"--bind", "0.0.0.0", "--port", "8080", "--tiles", "/t", "--quality",
                             "80", "--delay", "5", "--random-delay", "7", "--status", "503",
                             "--hang", "--truncate", "--html", "--log", "-", "--no-cache"},
                            options, message),
              parse_result::run);
    EXPECT_EQ(options.bind, "0.0.0.0");
    EXPECT_EQ(options.port, 8080);
    EXPECT_EQ(options.source, source_kind::folder);
    EXPECT_EQ(options.tiles_folder, "/t");
    EXPECT_EQ(options.quality, 80);
    EXPECT_EQ(options.delay_ms, 5);
    EXPECT_EQ(options.random_delay_ms, 7);
    EXPECT_EQ(options.status, 503);
    EXPECT_TRUE(options.hang && options.truncate && options.html_instead && options.no_cache);
    EXPECT_EQ(options.log_path, "-");

    server_options defaults;
    EXPECT_EQ(defaults.bind, "127.0.0.1");
    EXPECT_EQ(defaults.port, 18089);
    EXPECT_EQ(defaults.source, source_kind::earth);

    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"--port"}, {"--port", "70000"}, {"--port", "12x"}, {"--status", "42"}, {"--frobnicate"}}) {
        server_options o;
        EXPECT_EQ(parse_options(bad, o, message), parse_result::error) << bad[0];
        EXPECT_FALSE(message.empty());
    }
    EXPECT_EQ(parse_options({"--pattern", "--help"}, options, message), parse_result::help);
    for (const char* option : {"--bind", "--port", "--demo", "--earth", "--pattern", "--tiles",
                               "--quality", "--delay", "--random-delay", "--status", "--hang",
                               "--truncate", "--html", "--log", "--no-cache", "--help"})
        EXPECT_NE(help_text().find(option), std::string::npos) << option;
}
