// Resampling onto chosen column and row places: exact where the places are pixel centres, edges
// repeated beyond the picture, and the same result whether the rows are made at once or band by
// band from only the source rows each band reads, and whatever vector instructions make them.
// (How exactly places between pixels come out is measured on whole mosaics.)
#include "imaging/resampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

// 3 bytes a pixel, rows top to bottom.
struct picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bytes;
    picture(int w, int h, const std::function<std::uint8_t(int x, int y, int channel)>& value)
        : width(w), height(h), bytes(static_cast<std::size_t>(w) * h * 3) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    bytes[(static_cast<std::size_t>(y) * w + x) * 3 + c] = value(x, y, c);
    }
    const std::uint8_t* row(int y) const { return &bytes[static_cast<std::size_t>(y) * width * 3]; }
    std::uint8_t at(int x, int y, int c) const {
        return bytes[(static_cast<std::size_t>(y) * width + x) * 3 + c];
    }
};

std::vector<double> places(int count, const std::function<double(int)>& place) {
    std::vector<double> result;
    for (int i = 0; i < count; ++i) result.push_back(place(i));
    return result;
}

// The output, made in bands of `band` rows; each band sees only the source rows it asks for.
picture resample(const imaging::resampler& plan, const picture& source, int band) {
    picture out(plan.width(), plan.height(), [](int, int, int) { return 0; });
    for (int j0 = 0; j0 < plan.height(); j0 += band) {
        const int j1 = std::min(j0 + band, plan.height());
        const imaging::resampler::row_range rows = plan.source_rows(j0, j1);
        plan.resample_rows(
            j0, j1,
            [&](int r) -> const std::uint8_t* {
                EXPECT_TRUE(r >= rows.first && r < rows.last)
                    << "row " << r << " outside the band's source rows";
                return source.row(r);
            },
            [&](int j) { return &out.bytes[static_cast<std::size_t>(j) * out.width * 3]; });
    }
    return out;
}

// Wide enough for the vector code's widest steps and a remainder in plain code.
const picture noise(77, 41, [](int x, int y, int c) {
    return static_cast<std::uint8_t>((x * 97 + y * 57 + c * 31) ^ (x * y));
});

TEST(Resampler, PixelCentresGiveThePictureBackAndPlacesBeyondTheEdgesRepeatThem) {
    const imaging::resampler same(places(77, [](int i) { return i + 0.5; }), 77,
                                  places(41, [](int j) { return j + 0.5; }), 41);
    const picture copy = resample(same, noise, 41);
    EXPECT_EQ(copy.bytes, noise.bytes);

    // Shifted by whole pixels: 5 columns and 3 rows beyond the top-left edges, 4 and 2 beyond the
    // bottom-right ones.
    const imaging::resampler shifted(places(86, [](int i) { return i - 4.5; }), 77,
                                     places(46, [](int j) { return j - 2.5; }), 41);
    const picture out = resample(shifted, noise, 7);
    for (int j = 0; j < 46; ++j)
        for (int i = 0; i < 86; ++i)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(out.at(i, j, c), noise.at(std::clamp(i - 5, 0, 76), std::clamp(j - 3, 0, 40), c))
                    << i << ", " << j << ", " << c;

    // Far beyond: the top-right pixel everywhere.
    const imaging::resampler far(places(20, [](int i) { return 1e6 + i; }), 77,
                                 places(3, [](int j) { return -1e9 - j; }), 41);
    const picture corner = resample(far, noise, 3);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 20; ++i)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(corner.at(i, j, c), noise.at(76, 0, c)) << i << ", " << j;
}

TEST(Resampler, FlatAreasStayFlatAndBandsAndVectorWidthsGiveTheSameResult) {
    const picture flat(40, 30, [](int, int, int c) {
        return static_cast<std::uint8_t>(c == 0 ? 0 : c == 1 ? 255 : 77);
    });
    const imaging::resampler spread(places(50, [](int i) { return -3.0 + 0.93 * i; }), 40,
                                    places(33, [](int j) { return j * j * 0.05; }), 30);
    const picture out = resample(spread, flat, 33);
    for (int j = 0; j < 33; ++j)
        for (int i = 0; i < 50; ++i)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(out.at(i, j, c), flat.at(0, 0, c)) << i << ", " << j;

    // Columns a hair more than a pixel apart and rows coming closer, then wider apart than two
    // (wider kernels, more taps a pass); and columns a hair less than a pixel apart.
    const imaging::resampler curve(places(60, [](int i) { return 5.2 + i * 1.1; }), 77,
                                   places(37, [](int j) { return 1 + j * j * 0.03; }), 41);
    const imaging::resampler near(places(70, [](int i) { return 3.3 + i * 0.9993; }), 77,
                                  places(41, [](int j) { return 0.2 + j; }), 41);
    for (const imaging::resampler* plan : {&curve, &near}) {
        const picture whole = resample(*plan, noise, plan->height());
        for (int band : {1, 4, 9}) EXPECT_EQ(resample(*plan, noise, band).bytes, whole.bytes) << band;
        for (int bits : {128, 0}) {
            imaging::limit_vector_width(bits);
            EXPECT_EQ(resample(*plan, noise, plan->height()).bytes, whole.bytes) << bits << "-bit vectors";
        }
        imaging::limit_vector_width(256);
    }
}

// The source given band by band, as a mosaic's rows of tiles are decoded one after another:
// the same output rows, in order, while only a few bands are held.
TEST(BandFedResampling, GivesTheWholeSourcesRowsFromFewBands) {
    const imaging::resampler curve(places(60, [](int i) { return 5.2 + i * 1.1; }), 77,
                                   places(37, [](int j) { return 1 + j * j * 0.03; }), 41);
    // Like a mosaic: rows slowly closer together, as Mercator rows are towards the pole.
    const imaging::resampler mosaic(places(70, [](int i) { return 3.3 + i * 0.9993; }), 77,
                                    places(38, [](int j) { return 1.7 + j * (1.0 + j * 0.002); }), 41);
    const imaging::resampler shrink(places(30, [](int i) { return i * 2.5; }), 77,
                                    places(9, [](int j) { return 0.5 + j * 4.7; }), 41);
    for (const imaging::resampler* plan : {&curve, &mosaic, &shrink}) {
        const picture whole = resample(*plan, noise, plan->height());
        for (int band_height : {1, 5, 16, 41, 64}) {
            picture fed(plan->width(), plan->height(), [](int, int, int) { return 0; });
            int next_row = 0;
            imaging::band_fed_resampling bands(
                *plan, band_height, [&](int first, int rows, const std::uint8_t* pixels, std::size_t stride) {
                    EXPECT_EQ(first, next_row);
                    for (int k = 0; k < rows; ++k)
                        std::copy_n(pixels + k * stride, 3 * fed.width, &fed.bytes[(first + k) * 3u * fed.width]);
                    next_row = first + rows;
                    return true;
                });
            ASSERT_TRUE(bands.ready());
            for (int b = 0; b < bands.bands(); ++b) {
                for (int r = 0; r < band_height && b * band_height + r < noise.height; ++r)
                    std::copy_n(noise.row(b * band_height + r), 3 * noise.width, bands.next_band_row(r));
                ASSERT_TRUE(bands.band_filled());
            }
            EXPECT_EQ(bands.next_band_row(0), nullptr);
            EXPECT_FALSE(bands.band_filled());
            EXPECT_EQ(next_row, plan->height());
            EXPECT_EQ(fed.bytes, whole.bytes) << "bands of " << band_height;
            if (plan == &mosaic && band_height >= 5) {
                EXPECT_LE(bands.bands_kept(), 2);
            }
        }
    }
}

// A band filled ahead, while the band before it is taken in, as the mosaic's next row of tiles
// is decoded straight into its band: it overwrites none of the bands still read, so the rows
// are the same. Only the next band and the one after it can be filled.
TEST(BandFedResampling, ABandFilledAheadLeavesTheRowsAsTheyAre) {
    const imaging::resampler mosaic(places(70, [](int i) { return 3.3 + i * 0.9993; }), 77,
                                    places(38, [](int j) { return 1.7 + j * (1.0 + j * 0.002); }), 41);
    const imaging::resampler shrink(places(30, [](int i) { return i * 2.5; }), 77,
                                    places(9, [](int j) { return 0.5 + j * 4.7; }), 41);
    for (const imaging::resampler* plan : {&mosaic, &shrink}) {
        const picture whole = resample(*plan, noise, plan->height());
        for (int band_height : {1, 5, 16, 64}) {
            picture fed(plan->width(), plan->height(), [](int, int, int) { return 0; });
            imaging::band_fed_resampling bands(
                *plan, band_height,
                [&](int first, int rows, const std::uint8_t* pixels, std::size_t stride) {
                    for (int k = 0; k < rows; ++k)
                        std::copy_n(pixels + k * stride, 3 * fed.width, &fed.bytes[(first + k) * 3u * fed.width]);
                    return true;
                },
                1);
            ASSERT_TRUE(bands.ready());
            EXPECT_LE(bands.bands_held(), bands.bands_kept() + 1);
            const auto fill = [&](int b) {
                for (int r = 0; r < band_height && b * band_height + r < noise.height; ++r) {
                    std::uint8_t* row = bands.band_row(b, r);
                    ASSERT_NE(row, nullptr) << "band " << b;
                    std::copy_n(noise.row(b * band_height + r), 3 * noise.width, row);
                }
            };
            fill(0);
            for (int b = 0; b < bands.bands(); ++b) {
                if (b + 1 < bands.bands()) fill(b + 1);
                EXPECT_EQ(bands.band_row(b + 2, 0), nullptr);
                if (b > 0) {
                    EXPECT_EQ(bands.band_row(b - 1, 0), nullptr);
                }
                ASSERT_TRUE(bands.band_filled());
            }
            EXPECT_EQ(fed.bytes, whole.bytes) << "bands of " << band_height;
        }
    }
}

}  // namespace
