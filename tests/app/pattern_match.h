#pragma once
// Where the ground that a finished mosaic of the tile server's pattern shows lies, against
// where its world file puts each pixel: a GIS program puts the centre of pixel (i, j) at
// longitude left + i x width and latitude top + j x height (lines 5, 1, 6 and 4 of the world
// file).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "jpeg_memory.h"
#include "pattern.h"

namespace app_test {

struct world_placement {
    double pixel_width = 0;   // line 1
    double pixel_height = 0;  // line 4, negative
    double left = 0;          // line 5: longitude of the centre of the top-left pixel
    double top = 0;           // line 6: its latitude
};

// The four numbers a GIS program reads from a world file's text; false unless all six lines
// are numbers.
inline bool parse_world_file(const std::string& text, world_placement& placement) {
    std::istringstream lines(text);
    double value[6];
    for (double& v : value) {
        if (!(lines >> v)) return false;
    }
    placement = {value[0], value[3], value[4], value[5]};
    return true;
}

// World pixel position (x east, y south from the north edge of the grid; pixel k covers
// [k, k + 1)) of a longitude and a latitude at `zoom`.
inline double world_pixel_x(double longitude, int zoom) {
    return (longitude + 180.0) / 360.0 * std::ldexp(256.0, zoom);
}
inline double world_pixel_y(double latitude, int zoom) {
    const double pi = 3.141592653589793;
    return (0.5 - std::asinh(std::tan(latitude * pi / 180.0)) / (2 * pi)) * std::ldexp(256.0, zoom);
}

// Where the places of the mosaic's columns (or rows) lie on the world grid, one more than the
// mosaic has so that every place has a next one.
inline std::vector<double> column_places(const world_placement& p, int width, int zoom) {
    std::vector<double> places;
    for (int i = 0; i <= width; ++i) places.push_back(world_pixel_x(p.left + i * p.pixel_width, zoom));
    return places;
}
inline std::vector<double> row_places(const world_placement& p, int height, int zoom) {
    std::vector<double> places;
    for (int j = 0; j <= height; ++j) places.push_back(world_pixel_y(p.top + j * p.pixel_height, zoom));
    return places;
}

namespace detail {

// How far into its tile a place lies, 0 to 256 (the white line covers 0 to 1).
inline double within_tile(double place) {
    return place - 256.0 * std::floor(place / 256.0);
}

inline double luma(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return 0.299 * red + 0.587 * green + 0.114 * blue;
}

inline double keys_cubic(double x) {
    const double a = std::fabs(x);
    if (a < 1.0) return (1.5 * a - 2.5) * a * a + 1.0;
    if (a < 2.0) return ((-0.5 * a + 2.5) * a - 4.0) * a + 2.0;
    return 0.0;
}

// The offset d (world pixels, within +-2) for which source[k - first], the values of world
// pixels k, resampled at places[n] + d with a cubic kernel widened by `scale`, best match
// observed[n] up to gain and level (least squares).
inline double fit_offset(const std::vector<double>& observed, const std::vector<double>& places,
                         const std::vector<double>& source, int64_t first, double scale) {
    const double n = static_cast<double>(observed.size());
    const auto residual = [&](double d) {
        std::vector<double> model;
        double mean_model = 0, mean_observed = 0;
        for (std::size_t i = 0; i < places.size(); ++i) {
            const double centre = places[i] + d - 0.5;
            double sum = 0, weights = 0;
            for (auto k = static_cast<int64_t>(std::floor(centre - 2 * scale)) + 1;
                 static_cast<double>(k) < centre + 2 * scale; ++k) {
                const double w = keys_cubic((static_cast<double>(k) - centre) / scale);
                sum += w * source[static_cast<std::size_t>(k - first)];
                weights += w;
            }
            model.push_back(sum / weights);
            mean_model += model.back() / n;
            mean_observed += observed[i] / n;
        }
        double covariance = 0, variance = 0, squares = 0;
        for (std::size_t i = 0; i < model.size(); ++i) {
            covariance += (model[i] - mean_model) * (observed[i] - mean_observed);
            variance += (model[i] - mean_model) * (model[i] - mean_model);
        }
        const double gain = variance > 0 ? covariance / variance : 0;
        for (std::size_t i = 0; i < model.size(); ++i) {
            squares += std::pow(observed[i] - mean_observed - gain * (model[i] - mean_model), 2);
        }
        return squares;
    };
    double best = 0;
    for (int step = -20; step <= 20; ++step) {
        if (residual(step / 10.0) < residual(best)) best = step / 10.0;
    }
    double low = best - 0.1, high = best + 0.1;
    for (int i = 0; i < 24; ++i) {
        const double a = low + (high - low) / 3, b = high - (high - low) / 3;
        if (residual(a) < residual(b)) {
            high = b;
        } else {
            low = a;
        }
    }
    return (low + high) / 2;
}

// Locates the white lines that cross the places `across` (of columns, or of rows) at every
// place `along` the other way where the line stands well out: away from the crossing lines by
// the kernel's reach, and where the other ramp is at most 160 (brighter backgrounds push the
// JPEG's colours against 255, and the clipped colours skew the fit). mosaic(a, b) is the
// mosaic's luma at index a across and b along; source(k, m) the pattern's at world pixels k
// across and m along. The offsets, in mosaic pixels, are averaged four at a time along a line.
template <typename Mosaic, typename Source>
void locate_lines(const std::vector<double>& across, const std::vector<double>& along, Mosaic mosaic,
                  Source source, double& worst, double& mean, int64_t& samples) {
    const auto step = [](const std::vector<double>& places, std::size_t i) {
        return std::fabs(places[i + 1] - places[i]);
    };
    double sum = 0;
    for (std::size_t a = 0; a + 1 < across.size(); ++a) {
        const auto line = static_cast<int64_t>(std::floor((across[a + 1] - 0.5) / 256.0)) * 256;
        const int reach = 6 + static_cast<int>(std::ceil(2.0 / std::min(1.0, step(across, a))));
        if (!(across[a] <= static_cast<double>(line) + 0.5 &&
              static_cast<double>(line) + 0.5 < across[a + 1]) ||
            a < static_cast<std::size_t>(reach) || a + reach + 2 >= across.size()) {
            continue;
        }
        std::vector<double> offsets;
        for (std::size_t b = 0; b + 1 < along.size(); ++b) {
            const double inside = within_tile(along[b] - 0.5);
            if (inside < 2.0 + 3.0 * std::max(1.0, step(along, b)) || inside > 160.0) continue;
            const auto other = static_cast<int64_t>(std::floor(along[b] - 0.5));
            std::vector<double> observed, places, values;
            for (std::size_t k = a - reach; k <= a + reach + 1; ++k) {
                observed.push_back(mosaic(k, b));
                places.push_back(across[k]);
            }
            const auto first = static_cast<int64_t>(std::floor(places.front())) - 40;
            for (int64_t k = first; static_cast<double>(k) <= places.back() + 40; ++k)
                values.push_back(source(k, other));
            offsets.push_back(fit_offset(observed, places, values, first, std::max(1.0, step(across, a))) /
                              step(across, a));
        }
        for (std::size_t k = 0; k + 4 <= offsets.size(); k += 4) {
            const double average =
                std::fabs(offsets[k] + offsets[k + 1] + offsets[k + 2] + offsets[k + 3]) / 4;
            worst = std::max(worst, average);
            sum += average;
            ++samples;
        }
    }
    if (samples) mean = sum / static_cast<double>(samples);
}

}  // namespace detail

// Where the pattern's tile-edge lines lie against the world file, in mosaic pixels. Each line
// is located by fitting the luma around it (the only part of a JPEG's colour kept at full
// resolution) with the pattern's own luma, resampled at the places the world file gives and
// shifted by an unknown offset.
struct edge_error {
    double worst_x = 0, mean_x = 0;  // offsets across the vertical lines
    double worst_y = 0, mean_y = 0;  // across the horizontal lines
    int64_t x_samples = 0, y_samples = 0;
};

inline edge_error measure_tile_edges(const tileserver::rgb_image& mosaic, const world_placement& placement,
                                     int zoom) {
    const std::vector<double> xs = column_places(placement, mosaic.width, zoom);
    const std::vector<double> ys = row_places(placement, mosaic.height, zoom);
    const auto mosaic_luma = [&](std::size_t x, std::size_t y) {
        const std::uint8_t* p = mosaic.at(static_cast<int>(x), static_cast<int>(y));
        return detail::luma(p[0], p[1], p[2]);
    };
    const auto pattern_luma = [&](int64_t x, int64_t y) {
        const tileserver::rgb c = tileserver::pattern_colour(x, y, zoom);
        return detail::luma(c.red, c.green, c.blue);
    };
    edge_error e;
    detail::locate_lines(xs, ys, mosaic_luma, pattern_luma, e.worst_x, e.mean_x, e.x_samples);
    detail::locate_lines(
        ys, xs, [&](std::size_t y, std::size_t x) { return mosaic_luma(x, y); },
        [&](int64_t y, int64_t x) { return pattern_luma(x, y); }, e.worst_y, e.mean_y, e.y_samples);
    return e;
}

// The largest difference in any channel between a mosaic pixel and the pattern's pixel at the
// place the world file gives it, over the pixels that lie 6 pixels or more inside their tiles,
// and how many those are. A ramp's sub-pixel part and the JPEG's error keep it to a few levels;
// a wrong tile (blue 32 levels or more apart) or misplaced ground shows at once.
inline std::pair<int, int64_t> worst_pattern_difference(const tileserver::rgb_image& mosaic,
                                                        const world_placement& placement, int zoom) {
    const std::vector<double> xs = column_places(placement, mosaic.width, zoom);
    const std::vector<double> ys = row_places(placement, mosaic.height, zoom);
    const auto inside = [](double place) {
        return detail::within_tile(place) >= 6.0 && detail::within_tile(place) <= 250.0;
    };
    int worst = 0;
    int64_t pixels = 0;
    for (int y = 0; y < mosaic.height; ++y) {
        if (!inside(ys[y])) continue;
        for (int x = 0; x < mosaic.width; ++x) {
            if (!inside(xs[x])) continue;
            const tileserver::rgb c = tileserver::pattern_colour(
                static_cast<int64_t>(std::floor(xs[x])), static_cast<int64_t>(std::floor(ys[y])), zoom);
            const std::uint8_t* got = mosaic.at(x, y);
            worst = std::max(
                {worst, std::abs(got[0] - c.red), std::abs(got[1] - c.green), std::abs(got[2] - c.blue)});
            ++pixels;
        }
    }
    return {worst, pixels};
}

// The tile-edge lines within half a pixel of where the world file puts them everywhere and a
// fifth of a pixel on average, in both directions, and every pixel inside the tiles showing
// what the pattern has there.
inline void expect_exact_placement(const tileserver::rgb_image& mosaic, const world_placement& placement,
                                   int zoom, const std::string& what) {
    const edge_error edges = measure_tile_edges(mosaic, placement, zoom);
    const auto [difference, pixels] = worst_pattern_difference(mosaic, placement, zoom);
    std::printf(
        "%s: %dx%d; tile edges (%lld + %lld samples): x worst %.3f mean %.3f, y worst %.3f mean %.3f px; "
        "inside the tiles at most %d levels off\n",
        what.c_str(), mosaic.width, mosaic.height, static_cast<long long>(edges.x_samples),
        static_cast<long long>(edges.y_samples), edges.worst_x, edges.mean_x, edges.worst_y, edges.mean_y,
        difference);
    // Every tile edge inside the image is measured along most of its length.
    EXPECT_GT(edges.x_samples, mosaic.height / 16 * (mosaic.width / 256 - 1)) << what;
    EXPECT_GT(edges.y_samples, mosaic.width / 16 * (mosaic.height / 400)) << what;
    EXPECT_LE(edges.worst_x, 0.5) << what;
    EXPECT_LE(edges.worst_y, 0.5) << what;
    EXPECT_LE(edges.mean_x, 0.2) << what;
    EXPECT_LE(edges.mean_y, 0.2) << what;
    EXPECT_GT(pixels, mosaic.width * int64_t{mosaic.height} / 2) << what;
    EXPECT_LE(difference, 12) << what;
}

}  // namespace app_test
