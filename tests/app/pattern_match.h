#pragma once
// Where the ground that a finished mosaic of the tile server's pattern shows lies, against
// where its world file puts each pixel.
//
// A GIS program puts the centre of pixel (i, j) at longitude left + i x width and latitude
// top + j x height (lines 5, 1, 6 and 4 of the world file). The pattern's red and green are the
// world pixel's x and y modulo 256, a ramp that any interpolation keeps, so the red and green a
// mosaic pixel shows tell which world position it shows; blue tells which tile. Single pixels
// carry the JPEG error, so errors are averaged over small windows; windows close to a tile edge
// (the white lines and the ramps' wrap-around) are left out.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
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

// Errors in pixels of the zoom's world grid (so of the mosaic, whose pixels are about as big).
struct placement_error {
    double worst_x = 0, mean_x = 0;  // how far east (+) or west the ground shown lies
    double worst_y = 0, mean_y = 0;  // how far south (+) or north
    int64_t windows = 0;             // windows measured
    int64_t wrong_tile = 0;          // windows left out because their blue names another tile
};

// World pixel position (x east, y south from the north edge of the grid) of a longitude and a
// latitude at `zoom`.
inline double world_pixel_x(double longitude, int zoom) { return (longitude + 180.0) / 360.0 * std::ldexp(256.0, zoom); }
inline double world_pixel_y(double latitude, int zoom) {
    const double pi = 3.141592653589793;
    return (0.5 - std::asinh(std::tan(latitude * pi / 180.0)) / (2 * pi)) * std::ldexp(256.0, zoom);
}

namespace detail {

// d reduced to -128 .. 128.
inline double wrapped(double d) { return d - 256.0 * std::floor((d + 128.0) / 256.0); }

// Per mosaic column (or row): the pattern's ramp value expected there, and whether the column
// lies far enough inside its tile to be measured.
struct expected_line {
    std::vector<double> ramp;       // expected red (or green): the world pixel position, mod 256
    std::vector<int64_t> tile;      // the tile column (or row) that position lies in
    std::vector<char> measurable;
};

template <typename Position>
expected_line expect(int count, Position position) {
    expected_line line;
    for (int i = 0; i < count; ++i) {
        // Pixel k of the world covers [k, k + 1): its value is the ramp at its centre.
        const double p = position(i) - 0.5;
        const double step = std::fabs(position(i + 1) - position(i));
        // Room for the resampling kernel (wider where the image is shrunk) and the JPEG blur.
        const double margin = 3.0 + 3.0 * std::max(1.0, step);
        const int64_t tile = static_cast<int64_t>(std::floor(p / 256.0));
        const double ramp = p - 256.0 * static_cast<double>(tile);
        line.ramp.push_back(ramp);
        line.tile.push_back(tile);
        line.measurable.push_back(ramp >= margin && ramp <= 255.0 - margin);
    }
    return line;
}

}  // namespace detail

// Measures every window x window block of the mosaic whose pixels all lie well inside a tile.
inline placement_error measure_placement(const tileserver::rgb_image& mosaic, const world_placement& placement,
                                         int zoom, int window = 4) {
    const detail::expected_line columns = detail::expect(mosaic.width, [&](int i) {
        return world_pixel_x(placement.left + i * placement.pixel_width, zoom);
    });
    const detail::expected_line rows = detail::expect(mosaic.height, [&](int j) {
        return world_pixel_y(placement.top + j * placement.pixel_height, zoom);
    });
    placement_error result;
    double sum_x = 0, sum_y = 0;
    for (int y0 = 0; y0 + window <= mosaic.height; y0 += window) {
        for (int x0 = 0; x0 + window <= mosaic.width; x0 += window) {
            bool inside = true;
            for (int k = 0; k < window; ++k) {
                inside = inside && columns.measurable[x0 + k] && rows.measurable[y0 + k] &&
                         columns.tile[x0 + k] == columns.tile[x0] && rows.tile[y0 + k] == rows.tile[y0];
            }
            if (!inside) continue;
            double ex = 0, ey = 0, blue = 0;
            for (int y = y0; y < y0 + window; ++y) {
                for (int x = x0; x < x0 + window; ++x) {
                    const std::uint8_t* got = mosaic.at(x, y);
                    ex += detail::wrapped(got[0] - columns.ramp[x]);
                    ey += detail::wrapped(got[1] - rows.ramp[y]);
                    blue += got[2];
                }
            }
            const double n = window * window;
            ex /= n;
            ey /= n;
            blue /= n;
            // The tile the shown ground lies in, from the position red and green give; its blue
            // must be the blue of that tile.
            const double centre_x = columns.ramp[x0] + 256.0 * static_cast<double>(columns.tile[x0]) + ex;
            const double centre_y = rows.ramp[y0] + 256.0 * static_cast<double>(rows.tile[y0]) + ey;
            const tileserver::rgb tile_colour = tileserver::pattern_colour(
                static_cast<int64_t>(std::floor(centre_x / 256.0)) * 256 + 128,
                static_cast<int64_t>(std::floor(centre_y / 256.0)) * 256 + 128, zoom);
            if (std::fabs(blue - tile_colour.blue) > 12.0) {
                ++result.wrong_tile;
                continue;
            }
            result.worst_x = std::max(result.worst_x, std::fabs(ex));
            result.worst_y = std::max(result.worst_y, std::fabs(ey));
            sum_x += std::fabs(ex);
            sum_y += std::fabs(ey);
            ++result.windows;
        }
    }
    if (result.windows) {
        result.mean_x = sum_x / static_cast<double>(result.windows);
        result.mean_y = sum_y / static_cast<double>(result.windows);
    }
    return result;
}

// Where the pattern's tile-edge lines lie. Each white line is located along its length by
// fitting the luma around it (the only part of a JPEG's colour kept at full resolution) with
// the pattern's own luma resampled by a cubic kernel at the places the world file gives,
// shifted by an unknown offset, with free gain and level. The offsets, in mosaic pixels, are
// averaged over `band` neighbouring rows (or columns) along the line.
struct edge_error {
    double worst_x = 0, mean_x = 0;  // offsets across the vertical lines
    double worst_y = 0, mean_y = 0;  // across the horizontal lines
    int64_t x_samples = 0, y_samples = 0;
};

namespace detail {

inline double keys_cubic(double x) {
    const double a = std::fabs(x);
    if (a < 1.0) return (1.5 * a - 2.5) * a * a + 1.0;
    if (a < 2.0) return ((-0.5 * a + 2.5) * a - 4.0) * a + 2.0;
    return 0.0;
}

inline double luma(const std::uint8_t* rgb) { return 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]; }

// The offset d (world pixels, within +-2) for which the source values source[k - first] of
// world pixels k, sampled at places[n] + d with a cubic kernel widened by `scale`, best match
// observed[n] up to gain and level.
inline double fit_offset(const std::vector<double>& observed, const std::vector<double>& places,
                         const std::vector<double>& source, int64_t first, double scale) {
    const auto residual = [&](double d) {
        std::vector<double> model;
        for (double place : places) {
            const double centre = place + d - 0.5;
            double sum = 0, weights = 0;
            for (int64_t k = static_cast<int64_t>(std::floor(centre - 2 * scale)) + 1; static_cast<double>(k) < centre + 2 * scale; ++k) {
                const double w = keys_cubic((static_cast<double>(k) - centre) / scale);
                sum += w * source[static_cast<std::size_t>(k - first)];
                weights += w;
            }
            model.push_back(sum / weights);
        }
        const double n = static_cast<double>(model.size());
        double mean_model = 0, mean_observed = 0;
        for (std::size_t i = 0; i < model.size(); ++i) {
            mean_model += model[i] / n;
            mean_observed += observed[i] / n;
        }
        double covariance = 0, variance = 0;
        for (std::size_t i = 0; i < model.size(); ++i) {
            covariance += (model[i] - mean_model) * (observed[i] - mean_observed);
            variance += (model[i] - mean_model) * (model[i] - mean_model);
        }
        const double gain = variance > 0 ? covariance / variance : 0;
        double sum = 0;
        for (std::size_t i = 0; i < model.size(); ++i) {
            const double e = observed[i] - mean_observed - gain * (model[i] - mean_model);
            sum += e * e;
        }
        return sum;
    };
    double best = 0, best_residual = residual(0);
    for (int step = -20; step <= 20; ++step) {
        const double r = residual(step / 10.0);
        if (r < best_residual) best_residual = r, best = step / 10.0;
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

// Folds per-position offsets of one line into averages of `band` and adds them to the totals.
inline void add_band_averages(const std::vector<double>& offsets, int band, double& worst, double& sum,
                              int64_t& samples) {
    for (std::size_t k = 0; k + band <= offsets.size(); k += band) {
        double average = 0;
        for (int b = 0; b < band; ++b) average += offsets[k + b] / band;
        worst = std::max(worst, std::fabs(average));
        sum += std::fabs(average);
        ++samples;
    }
}

}  // namespace detail

inline edge_error measure_tile_edges(const tileserver::rgb_image& mosaic, const world_placement& placement, int zoom,
                                     int band = 4) {
    constexpr int reach = 6;  // mosaic pixels fitted on each side of a line
    std::vector<double> xs, ys;  // world places of the columns and rows
    for (int i = 0; i <= mosaic.width; ++i) xs.push_back(world_pixel_x(placement.left + i * placement.pixel_width, zoom));
    for (int j = 0; j <= mosaic.height; ++j) ys.push_back(world_pixel_y(placement.top + j * placement.pixel_height, zoom));
    const auto step = [](const std::vector<double>& places, int i) { return std::fabs(places[i + 1] - places[i]); };
    // A place well inside a tile: away from the lines by the kernel's reach.
    // Where a line is fitted: away from the crossing lines by the kernel's reach, and where the
    // other ramp is at most 160, so that the white line stands well out of the luma (brighter
    // backgrounds push the JPEG's colours against 255, and the clipped colours skew the fit).
    const auto inside = [](double place, double scale) {
        const double within = place - 0.5 - 256.0 * std::floor((place - 0.5) / 256.0);
        return within >= 2.0 + 3.0 * std::max(1.0, scale) && within <= 160.0;
    };
    const auto source_luma = [&](int64_t wx, int64_t wy) {
        const tileserver::rgb c = tileserver::pattern_colour(wx, wy, zoom);
        const std::uint8_t rgb[3] = {c.red, c.green, c.blue};
        return detail::luma(rgb);
    };
    edge_error result;
    double sum_x = 0, sum_y = 0;
    // Vertical lines: world column 256 t is white; find its column in every row.
    for (int i = reach; i + reach < mosaic.width; ++i) {
        const int64_t line = static_cast<int64_t>(std::floor((xs[i + 1] - 0.5) / 256.0)) * 256;
        const double centre = static_cast<double>(line) + 0.5;
        if (!(xs[i] <= centre && centre < xs[i + 1])) continue;
        std::vector<double> offsets;
        for (int j = 0; j < mosaic.height; ++j) {
            if (!inside(ys[j], step(ys, j))) continue;
            const int64_t row = static_cast<int64_t>(std::floor(ys[j] - 0.5));
            std::vector<double> observed, places, source;
            for (int k = i - reach; k <= i + reach + 1; ++k) {
                observed.push_back(detail::luma(mosaic.at(k, j)));
                places.push_back(xs[k]);
            }
            const int64_t first = line - 3 * reach;
            for (int64_t k = first; k <= line + 3 * reach; ++k) source.push_back(source_luma(k, row));
            offsets.push_back(detail::fit_offset(observed, places, source, first, 1.0) / step(xs, i));
        }
        detail::add_band_averages(offsets, band, result.worst_x, sum_x, result.x_samples);
    }
    // Horizontal lines: world row 256 t is white; find its row in every column.
    for (int j = reach; j + reach < mosaic.height; ++j) {
        const int64_t line = static_cast<int64_t>(std::floor((ys[j + 1] - 0.5) / 256.0)) * 256;
        const double centre = static_cast<double>(line) + 0.5;
        if (!(ys[j] <= centre && centre < ys[j + 1])) continue;
        const double scale = std::max(1.0, step(ys, j));
        std::vector<double> offsets;
        const int rows_reach = reach + static_cast<int>(std::ceil(2.0 / std::min(1.0, step(ys, j))));
        if (j < rows_reach || j + rows_reach + 1 >= mosaic.height) continue;
        for (int i = 0; i < mosaic.width; ++i) {
            if (!inside(xs[i], 1.0)) continue;
            const int64_t column = static_cast<int64_t>(std::floor(xs[i] - 0.5));
            std::vector<double> observed, places, source;
            for (int k = j - rows_reach; k <= j + rows_reach + 1; ++k) {
                observed.push_back(detail::luma(mosaic.at(i, k)));
                places.push_back(ys[k]);
            }
            const int64_t first = static_cast<int64_t>(std::floor(places.front())) - 40;
            for (int64_t k = first; k <= static_cast<int64_t>(std::ceil(places.back())) + 40; ++k) {
                source.push_back(source_luma(column, k));
            }
            offsets.push_back(detail::fit_offset(observed, places, source, first, scale) / step(ys, j));
        }
        detail::add_band_averages(offsets, band, result.worst_y, sum_y, result.y_samples);
    }
    if (result.x_samples) result.mean_x = sum_x / static_cast<double>(result.x_samples);
    if (result.y_samples) result.mean_y = sum_y / static_cast<double>(result.y_samples);
    return result;
}

// Measures where the mosaic's ground lies against its world file: the tile-edge lines within
// half a pixel everywhere and a fifth of a pixel on average, in both directions; inside the
// tiles the right tile everywhere, and no ramp value off by more than the whole-number
// rounding of a one-level-a-pixel ramp allows.
inline void expect_exact_placement(const tileserver::rgb_image& mosaic, const world_placement& placement,
                                   int zoom, const std::string& what) {
    const edge_error edges = measure_tile_edges(mosaic, placement, zoom);
    const placement_error ramps = measure_placement(mosaic, placement, zoom, 16);
    std::printf("%s: %dx%d; tile edges (%lld + %lld samples): x worst %.3f mean %.3f, y worst %.3f mean %.3f px; "
                "ramps (%lld windows, %lld of another tile): x worst %.3f, y worst %.3f px\n",
                what.c_str(), mosaic.width, mosaic.height, static_cast<long long>(edges.x_samples),
                static_cast<long long>(edges.y_samples), edges.worst_x, edges.mean_x, edges.worst_y, edges.mean_y,
                static_cast<long long>(ramps.windows), static_cast<long long>(ramps.wrong_tile), ramps.worst_x,
                ramps.worst_y);
    // Every tile edge inside the image is measured along its length.
    EXPECT_GT(edges.x_samples, mosaic.height / 16 * (mosaic.width / 256 - 1)) << what;
    EXPECT_GT(edges.y_samples, mosaic.width / 16 * (mosaic.height / 400)) << what;
    EXPECT_LE(edges.worst_x, 0.5) << what;
    EXPECT_LE(edges.worst_y, 0.5) << what;
    EXPECT_LE(edges.mean_x, 0.2) << what;
    EXPECT_LE(edges.mean_y, 0.2) << what;
    EXPECT_GT(ramps.windows, mosaic.width * int64_t{mosaic.height} / 256 / 2) << what;
    EXPECT_EQ(ramps.wrong_tile, 0) << what;
    EXPECT_LE(std::max(ramps.worst_x, ramps.worst_y), 1.0) << what;
}

}  // namespace app_test
