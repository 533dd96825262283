#include "imaging/stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace imaging {

namespace {

// Weights are fixed-point with 12 fraction bits; each destination pixel's weights sum to 4096.
constexpr int weight_bits = 12;
constexpr int weight_one = 1 << weight_bits;

struct axis_weights {
    std::vector<int> first;         // first source index per destination index
    std::vector<int> count;         // number of source indices per destination index
    std::vector<int> offset;        // where its weights start in `weights`
    std::vector<std::int32_t> weights;
};

// Rounds the real weights to fixed point and puts the rounding error on the largest weight, so
// a uniform line stays exactly uniform.
void add_weights(axis_weights& table, int first, const std::vector<double>& real) {
    table.first.push_back(first);
    table.count.push_back(static_cast<int>(real.size()));
    table.offset.push_back(static_cast<int>(table.weights.size()));
    int sum = 0;
    std::size_t largest = 0;
    const std::size_t base = table.weights.size();
    for (std::size_t k = 0; k < real.size(); ++k) {
        const int w = static_cast<int>(std::lround(real[k] * weight_one));
        table.weights.push_back(w);
        sum += w;
        if (real[k] > real[largest]) largest = k;
    }
    table.weights[base + largest] += weight_one - sum;
}

axis_weights make_axis(int source_length, int destination_length) {
    axis_weights table;
    const double ratio = static_cast<double>(source_length) / destination_length;  // source per destination
    std::vector<double> real;
    for (int i = 0; i < destination_length; ++i) {
        real.clear();
        if (destination_length < source_length) {
            // Shrink: the destination pixel covers [begin, end) of the source line.
            const double begin = i * ratio;
            const double end = std::min((i + 1) * ratio, static_cast<double>(source_length));
            const int first = static_cast<int>(std::floor(begin));
            const int last = std::min(static_cast<int>(std::ceil(end)), source_length) - 1;
            for (int k = first; k <= last; ++k) {
                const double covered = std::min(end, k + 1.0) - std::max(begin, static_cast<double>(k));
                real.push_back(std::max(covered, 0.0) / ratio);
            }
            add_weights(table, first, real);
        } else {
            // Enlarge (or keep): interpolate between the two nearest source pixel centres.
            const double centre = std::max((i + 0.5) * ratio - 0.5, 0.0);
            const int first = std::min(static_cast<int>(centre), source_length - 1);
            const double fraction = centre - first;
            if (first + 1 < source_length && fraction > 0.0) {
                real.push_back(1.0 - fraction);
                real.push_back(fraction);
            } else {
                real.push_back(1.0);
            }
            add_weights(table, first, real);
        }
    }
    return table;
}

}  // namespace

bool stretch_average(const pixel_rect& destination, const pixel_rect& source) {
    const int channels = source.view.depth / 8;
    const axis_weights columns = make_axis(source.width, destination.width);
    const axis_weights rows = make_axis(source.height, destination.height);

    // Horizontal pass into 16-bit values (8 fraction bits) for every source row of the rectangle.
    const std::size_t line = static_cast<std::size_t>(destination.width) * channels;
    std::unique_ptr<std::uint16_t[]> middle(new (std::nothrow)
                                                std::uint16_t[line * static_cast<std::size_t>(source.height)]);
    if (!middle) return false;
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.view.row_from_top(source.y + y) + static_cast<std::size_t>(source.x) * channels;
        std::uint16_t* out = middle.get() + line * static_cast<std::size_t>(y);
        for (int i = 0; i < destination.width; ++i) {
            const std::int32_t* w = &columns.weights[static_cast<std::size_t>(columns.offset[i])];
            const std::uint8_t* p = in + static_cast<std::size_t>(columns.first[i]) * channels;
            for (int c = 0; c < channels; ++c) {
                std::int32_t sum = 0;
                for (int k = 0; k < columns.count[i]; ++k) sum += w[k] * p[k * channels + c];
                out[i * channels + c] = static_cast<std::uint16_t>((sum + 8) >> 4);
            }
        }
    }
    // Vertical pass from the 16-bit lines into the destination rows.
    constexpr int shift = weight_bits + 8;
    std::vector<std::int32_t> sums(line);
    for (int j = 0; j < destination.height; ++j) {
        std::fill(sums.begin(), sums.end(), 0);
        const std::int32_t* w = &rows.weights[static_cast<std::size_t>(rows.offset[j])];
        for (int k = 0; k < rows.count[j]; ++k) {
            const std::uint16_t* in = middle.get() + line * static_cast<std::size_t>(rows.first[j] + k);
            for (std::size_t b = 0; b < line; ++b) sums[b] += w[k] * in[b];
        }
        std::uint8_t* out =
            destination.view.row_from_top(destination.y + j) + static_cast<std::size_t>(destination.x) * channels;
        for (std::size_t b = 0; b < line; ++b) {
            const std::int32_t value = (sums[b] + (1 << (shift - 1))) >> shift;
            out[b] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
        }
    }
    return true;
}

bool stretch_nearest(const pixel_rect& destination, const pixel_rect& source) {
    const int channels = source.view.depth / 8;
    std::vector<int> columns(static_cast<std::size_t>(destination.width));
    for (int i = 0; i < destination.width; ++i) {
        const long long k = (2LL * i + 1) * source.width / (2LL * destination.width);
        columns[static_cast<std::size_t>(i)] = static_cast<int>(std::min<long long>(k, source.width - 1));
    }
    for (int j = 0; j < destination.height; ++j) {
        const long long k = (2LL * j + 1) * source.height / (2LL * destination.height);
        const int source_row = static_cast<int>(std::min<long long>(k, source.height - 1));
        const std::uint8_t* in =
            source.view.row_from_top(source.y + source_row) + static_cast<std::size_t>(source.x) * channels;
        std::uint8_t* out =
            destination.view.row_from_top(destination.y + j) + static_cast<std::size_t>(destination.x) * channels;
        for (int i = 0; i < destination.width; ++i)
            std::memcpy(out + i * channels, in + columns[static_cast<std::size_t>(i)] * channels,
                        static_cast<std::size_t>(channels));
    }
    return true;
}

}  // namespace imaging
