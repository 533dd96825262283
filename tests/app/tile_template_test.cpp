// Tile address templates: which texts are refused and why, and the address each form gives.
#include "app/tile_template.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/tile_grid.h"

namespace {

TEST(TileTemplate, RefusedTemplatesSayWhatIsWrong) {
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"ftp://tiles.example/{z}/{x}/{y}.png", "not an http:// or https:// address"},
        {"tiles.example/{z}/{x}/{y}.png", "not an http:// or https:// address"},
        {"https:///{z}/{x}/{y}.png", "names no host"},
        {"http://tiles.example/{z}/{x}.png", "no row"},
        {"http://tiles.example/{z}/{y}/{y}.png", "no column"},
        {"http://tiles.example/{x}/{-y}.png", "no zoom"},
        {"http://{s}.tiles.example/{z}/{x}/{y}.png", "{s} is not one of"},
        {"http://tiles.example/{z}/{x}/{y.png", "not closed"},
        {"http://tiles.example/z}/{x}/{y}/{z}", "without its {"},
        {"http://tiles.example/{z}/{x} /{y}.png", "space"},
    };
    for (const auto& [text, fault] : refused) {
        EXPECT_NE(app::template_fault(text).find(fault), std::string::npos) << text << ": " << app::template_fault(text);
    }
    for (const char* good : {"http://127.0.0.1:18089/{z}/{x}/{y}.jpg", "HTTPS://tiles.example/a{q}.jpeg?g=1",
                             "http://tiles.example/tms/1.0.0/{z}/{x}/{-y}.png"}) {
        EXPECT_EQ(app::template_fault(good), "") << good;
    }
}

TEST(TileTemplate, EveryPlaceholderIsFilledIn) {
    EXPECT_EQ(app::expand_tile_template("https://t.example/{z}/{x}/{y}.png?k={z}", 2074, 1410, 12),
              "https://t.example/12/2074/1410.png?k=12");
    EXPECT_EQ(app::expand_tile_template("http://t/{z}/{x}/{-y}.jpg", 2074, 1410, 12), "http://t/12/2074/2685.jpg");
    EXPECT_EQ(app::expand_tile_template("http://t/a{q}.jpeg", 3, 5, 3), "http://t/a213.jpeg");
    // Columns wrap around the globe; rows beyond the grid have no quadkey.
    EXPECT_EQ(app::quadkey(-1, 0, 2), app::quadkey(3, 0, 2));
    EXPECT_EQ(app::quadkey(4, 3, 2), "22");
    EXPECT_EQ(app::quadkey(0, -1, 2), "");
    EXPECT_EQ(app::quadkey(0, 4, 2), "");
    EXPECT_EQ(app::quadkey(0, 0, 20), std::string(20, '0'));

    setenv("LOMTRA_SAT_TILE_URL", "http://127.0.0.1:4711/q/{q}.png", 1);
    EXPECT_EQ(app::tile_address(1, 1, 1), "http://127.0.0.1:4711/q/3.png");
    unsetenv("LOMTRA_SAT_TILE_URL");
    EXPECT_EQ(app::tile_address(1, 1, 1), "http://127.0.0.1:18089/kh/v=109&src=app&x=1&s=&y=1&z=1&s=Gal");
}

}  // namespace
