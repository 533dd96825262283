#include "imaging/resampling.h"

#include <algorithm>
#include <cmath>

#include <array>
#include <new>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define LOMTRA_RESAMPLING_AVX2
#endif

namespace imaging {
namespace {

// Beyond this shrink factor the kernel is not widened further: it bounds the taps of absurd
// mappings; no mosaic comes near it.
constexpr double widest_scale = 16.0;

// Keys cubic convolution kernel with a = -0.5 (Catmull-Rom).
double keys_cubic(double x) {
    const double a = std::fabs(x);
    if (a < 1.0) return (1.5 * a - 2.5) * a * a + 1.0;
    if (a < 2.0) return ((-0.5 * a + 2.5) * a - 4.0) * a + 2.0;
    return 0.0;
}

// The weights of consecutive source pixels from `first` on for a place, where neighbouring
// places lie `step` source pixels apart. The indices may lie outside 0 .. size - 1.
struct taps {
    int first = 0;
    std::vector<double> weights;
};

taps taps_at(double place, double step, int size) {
    const double scale = std::clamp(std::isfinite(step) ? step : 1.0, 1.0, widest_scale);
    const double support = 2.0 * scale;
    // Pixel k's centre is at k + 0.5. Far beyond an edge every tap falls on the edge pixel, so
    // the centre is held where that is already so: indices stay small whatever the place.
    double centre = std::isfinite(place) ? place - 0.5 : 0.0;
    centre = std::clamp(centre, -support, size - 1 + support);
    taps result;
    result.first = static_cast<int>(std::floor(centre - support)) + 1;
    const int last = static_cast<int>(std::ceil(centre + support)) - 1;
    double sum = 0;
    for (int k = result.first; k <= last; ++k) {
        const double w = keys_cubic((k - centre) / scale);
        result.weights.push_back(w);
        sum += w;
    }
    for (double& w : result.weights) w /= sum;
    return result;
}

// How far apart the places around index i lie.
double step_at(const std::vector<double>& places, std::size_t i) {
    if (places.size() < 2) return 1.0;
    const std::size_t before = i == 0 ? 0 : i - 1;
    const std::size_t after = i + 1 == places.size() ? i : i + 1;
    return std::fabs(places[after] - places[before]) / static_cast<double>(after - before);
}

// The arithmetic is in 16-bit whole numbers, eight of them to a vector instruction with SSE2
// (every x86-64) and sixteen with AVX2, with the same results in plain code elsewhere.
// Weights carry 15 fraction bits (a weight of one becomes 1 - 2^-15, as 16 bits hold no more);
// each product keeps the high half of its 32 bits. Source bytes enter with 7 fraction bits, so
// the values between the two passes (down the columns, then along the rows) carry 6, and the
// output 5 before it is rounded.
constexpr int weight_bits = 15;
constexpr int taps_per_pass = 4;  // taps summed in one pass over a row

// The taps in whole-number weights that still sum to one (the rounding's remainder goes to the
// largest, so flat areas stay flat), without the taps at either end that weigh nothing: a
// kernel widened by a hair over one pixel must not cost a second pass.
struct fixed_taps {
    int first = 0;
    std::vector<int16_t> weights;
};

fixed_taps to_fixed(const taps& exact) {
    std::vector<int32_t> fixed;
    int32_t sum = 0;
    std::size_t largest = 0;
    for (std::size_t k = 0; k < exact.weights.size(); ++k) {
        fixed.push_back(static_cast<int32_t>(std::lround(exact.weights[k] * (1 << weight_bits))));
        sum += fixed.back();
        if (exact.weights[k] > exact.weights[largest]) largest = k;
    }
    fixed[largest] += (1 << weight_bits) - sum;
    std::size_t begin = 0, end = fixed.size();
    while (begin + 1 < end && fixed[begin] == 0) ++begin;
    while (end - 1 > begin && fixed[end - 1] == 0) --end;
    fixed_taps result;
    result.first = exact.first + static_cast<int>(begin);
    for (std::size_t k = begin; k < end; ++k) {
        result.weights.push_back(static_cast<int16_t>(std::clamp(fixed[k], -32768, 32767)));
    }
    return result;
}

// The high half of a 16 x 16-bit product.
inline int16_t high_half(int16_t a, int16_t b) {
    return static_cast<int16_t>((int32_t{a} * b) >> 16);
}

inline int16_t entering(std::uint8_t byte) {
    return static_cast<int16_t>(byte << 7);
}

// The four row pointers moved on by b bytes.
inline std::array<const std::uint8_t*, taps_per_pass> rows_from(const std::uint8_t* const* rows,
                                                                std::size_t b) {
    return {rows[0] + b, rows[1] + b, rows[2] + b, rows[3] + b};
}

// Along a row: the four taps of byte b read in[b], in[b + 3], in[b + 6], in[b + 9] (the same
// channel of four neighbouring pixels), each with its own weight per byte (5 fraction bits).
inline int16_t weigh_taps(const int16_t* __restrict w, std::size_t stride, const int16_t* __restrict in,
                          std::size_t b) {
    return static_cast<int16_t>(high_half(in[b], w[b]) + high_half(in[b + 3], w[stride + b]) +
                                high_half(in[b + 6], w[2 * stride + b]) +
                                high_half(in[b + 9], w[3 * stride + b]));
}

// Rounded and kept to 0 .. 255 (the kernel overshoots a little at sharp edges). The high halves
// round down, by half their last bit on average: three 32nds of a level over both passes, which
// the 3 makes up for.
constexpr int16_t rounding = 16 + 3;
inline std::uint8_t to_byte(int16_t value) {
    const int rounded = (value + rounding) >> 5;
    return static_cast<std::uint8_t>(rounded < 0 ? 0 : (rounded > 255 ? 255 : rounded));
}

// The inner loops run over the bytes of a row (channels are independent, so a pixel's three
// bytes need no special care). Each has a vector form that does what it can of the row and
// answers how far it came; plain code does the rest, with the same results.
//   weigh_rows: down the columns, the four rows' bytes b weighted (6 fraction bits), into or
//     onto `into`.
//   weigh_columns_to_bytes: along the row, four taps per byte, rounded to the output bytes.
int widest_vectors = 256;  // bits; see limit_vector_width

#ifdef __SSE2__
bool use_sse2() {
    return widest_vectors >= 128;
}

std::size_t weigh_rows_sse2(int16_t* into, bool add, const std::uint8_t* const* rows, const int16_t* w,
                            std::size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i weight[taps_per_pass] = {_mm_set1_epi16(w[0]), _mm_set1_epi16(w[1]), _mm_set1_epi16(w[2]),
                                           _mm_set1_epi16(w[3])};
    std::size_t b = 0;
    for (; b + 16 <= n; b += 16) {
        __m128i low = add ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(into + b)) : zero;
        __m128i high = add ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(into + b + 8)) : zero;
        for (int k = 0; k < taps_per_pass; ++k) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + b));
            // Each byte into the high half of its 16 bits, then down one: the byte times 2^7.
            const __m128i low_in = _mm_srli_epi16(_mm_unpacklo_epi8(zero, bytes), 1);
            const __m128i high_in = _mm_srli_epi16(_mm_unpackhi_epi8(zero, bytes), 1);
            low = _mm_add_epi16(low, _mm_mulhi_epi16(low_in, weight[k]));
            high = _mm_add_epi16(high, _mm_mulhi_epi16(high_in, weight[k]));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(into + b), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(into + b + 8), high);
    }
    return b;
}

std::size_t weigh_columns_to_bytes_sse2(std::uint8_t* out, const int16_t* w, std::size_t stride,
                                        const int16_t* in, std::size_t n) {
    const auto load = [](const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const auto weighed = [&](std::size_t at) {
        __m128i sum = _mm_mulhi_epi16(load(in + at), load(w + at));
        sum = _mm_add_epi16(sum, _mm_mulhi_epi16(load(in + at + 3), load(w + stride + at)));
        sum = _mm_add_epi16(sum, _mm_mulhi_epi16(load(in + at + 6), load(w + 2 * stride + at)));
        sum = _mm_add_epi16(sum, _mm_mulhi_epi16(load(in + at + 9), load(w + 3 * stride + at)));
        return _mm_srai_epi16(_mm_add_epi16(sum, _mm_set1_epi16(rounding)), 5);
    };
    std::size_t b = 0;
    for (; b + 16 <= n; b += 16) {
        // Packing with unsigned saturation keeps the values to 0 .. 255, as to_byte does.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + b), _mm_packus_epi16(weighed(b), weighed(b + 8)));
    }
    return b;
}
#endif

#ifdef LOMTRA_RESAMPLING_AVX2
// Twice the width where the processor has AVX2, chosen while the program runs.
bool use_avx2() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available && widest_vectors >= 256;
}

__attribute__((target("avx2"))) std::size_t weigh_rows_avx2(int16_t* into, bool add,
                                                            const std::uint8_t* const* rows, const int16_t* w,
                                                            std::size_t n) {
    __m256i weight[taps_per_pass];
    for (int k = 0; k < taps_per_pass; ++k) weight[k] = _mm256_set1_epi16(w[k]);
    std::size_t b = 0;
    for (; b + 16 <= n; b += 16) {
        __m256i sum =
            add ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(into + b)) : _mm256_setzero_si256();
        for (int k = 0; k < taps_per_pass; ++k) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + b));
            const __m256i entered = _mm256_slli_epi16(_mm256_cvtepu8_epi16(bytes), 7);
            sum = _mm256_add_epi16(sum, _mm256_mulhi_epi16(entered, weight[k]));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(into + b), sum);
    }
    return b;
}

__attribute__((target("avx2"))) inline __m256i weigh_taps_avx2(const int16_t* w, std::size_t stride,
                                                               const int16_t* in) {
    const auto* v_in = reinterpret_cast<const __m256i*>(in);
    __m256i sum = _mm256_mulhi_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in)),
                                     _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w)));
    for (int k = 1; k < taps_per_pass; ++k) {
        v_in = reinterpret_cast<const __m256i*>(in + 3 * k);
        const auto* v_w = reinterpret_cast<const __m256i*>(w + k * stride);
        sum = _mm256_add_epi16(sum, _mm256_mulhi_epi16(_mm256_loadu_si256(v_in), _mm256_loadu_si256(v_w)));
    }
    return _mm256_srai_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(rounding)), 5);
}

__attribute__((target("avx2"))) std::size_t weigh_columns_to_bytes_avx2(std::uint8_t* out, const int16_t* w,
                                                                        std::size_t stride, const int16_t* in,
                                                                        std::size_t n) {
    std::size_t b = 0;
    for (; b + 32 <= n; b += 32) {
        // The pack works within each 128-bit half; the permute puts the four quarters in order.
        const __m256i packed = _mm256_packus_epi16(weigh_taps_avx2(w + b, stride, in + b),
                                                   weigh_taps_avx2(w + b + 16, stride, in + b + 16));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + b), _mm256_permute4x64_epi64(packed, 0xD8));
    }
    return b;
}
#endif

void weigh_rows(int16_t* __restrict into, bool add, const std::uint8_t* const* rows, const int16_t* w,
                std::size_t n) {
    std::size_t b = 0;
#ifdef LOMTRA_RESAMPLING_AVX2
    if (use_avx2()) b = weigh_rows_avx2(into, add, rows, w, n);
#endif
#ifdef __SSE2__
    if (use_sse2()) b += weigh_rows_sse2(into + b, add, rows_from(rows, b).data(), w, n - b);
#endif
    for (; b < n; ++b) {
        const auto v = static_cast<int16_t>(
            high_half(entering(rows[0][b]), w[0]) + high_half(entering(rows[1][b]), w[1]) +
            high_half(entering(rows[2][b]), w[2]) + high_half(entering(rows[3][b]), w[3]));
        into[b] = static_cast<int16_t>(add ? into[b] + v : v);
    }
}

void weigh_columns(int16_t* __restrict into, bool add, const int16_t* __restrict w, std::size_t stride,
                   const int16_t* __restrict in, std::size_t n) {
    for (std::size_t b = 0; b < n; ++b) {
        const int16_t v = weigh_taps(w, stride, in, b);
        into[b] = static_cast<int16_t>(add ? into[b] + v : v);
    }
}

void weigh_columns_to_bytes(std::uint8_t* __restrict out, const int16_t* __restrict w, std::size_t stride,
                            const int16_t* __restrict in, std::size_t n) {
    std::size_t b = 0;
#ifdef LOMTRA_RESAMPLING_AVX2
    if (use_avx2()) b = weigh_columns_to_bytes_avx2(out, w, stride, in, n);
#endif
#ifdef __SSE2__
    if (use_sse2()) b += weigh_columns_to_bytes_sse2(out + b, w + b, stride, in + b, n - b);
#endif
    for (; b < n; ++b) out[b] = to_byte(weigh_taps(w, stride, in, b));
}

}  // namespace

resampler::resampler(const std::vector<double>& column_places, int source_width,
                     const std::vector<double>& row_places, int source_height)
    : source_width_(std::max(source_width, 1)), source_height_(std::max(source_height, 1)) {
    const int width = static_cast<int>(column_places.size());
    std::vector<fixed_taps> columns;
    columns.reserve(column_places.size());
    for (std::size_t i = 0; i < column_places.size(); ++i) {
        columns.push_back(to_fixed(taps_at(column_places[i], step_at(column_places, i), source_width_)));
        taps_per_column_ = std::max(taps_per_column_, static_cast<int>(columns.back().weights.size()));
    }
    taps_per_column_ = (taps_per_column_ + taps_per_pass - 1) / taps_per_pass * taps_per_pass;
    channel_weights_.assign(static_cast<std::size_t>(taps_per_column_) * 3 * width, 0);
    int padded_end = 0;
    for (int i = 0; i < width; ++i) {
        const fixed_taps& column = columns[i];
        column_first_.push_back(column.first);
        padded_first_ = i == 0 ? column.first : std::min(padded_first_, column.first);
        padded_end =
            i == 0 ? column.first + taps_per_column_ : std::max(padded_end, column.first + taps_per_column_);
        for (std::size_t k = 0; k < column.weights.size(); ++k) {
            int16_t* w = &channel_weights_[k * 3 * width + 3 * static_cast<std::size_t>(i)];
            w[0] = w[1] = w[2] = column.weights[k];
        }
    }
    // The padded row always holds a source column, even where every place lies beyond an edge.
    padded_first_ = std::min(padded_first_, source_width_ - 1);
    padded_end = std::max(padded_end, 1);
    padded_width_ = padded_end - padded_first_;
    for (int i = 0; i < width; ++i) {
        if (i > 0 && column_first_[i] - i == column_first_[i - 1] - (i - 1)) {
            runs_.back().end_column = i + 1;
        } else {
            runs_.push_back({i, i + 1, column_first_[i] - padded_first_});
        }
    }

    const int rows_in_source = source_height_;
    row_tap_start_.push_back(0);
    for (std::size_t j = 0; j < row_places.size(); ++j) {
        const fixed_taps row = to_fixed(taps_at(row_places[j], step_at(row_places, j), rows_in_source));
        const std::size_t row_start = row_tap_source_.size();
        for (std::size_t k = 0; k < row.weights.size(); ++k) {
            row_tap_source_.push_back(std::clamp(row.first + static_cast<int>(k), 0, rows_in_source - 1));
            row_tap_weight_.push_back(row.weights[k]);
        }
        // Whole passes of four: the spare taps weigh nothing and read the row's first one.
        const int first_source = row_tap_source_[row_start];
        while ((row_tap_source_.size() - row_start) % taps_per_pass != 0) {
            row_tap_source_.push_back(first_source);
            row_tap_weight_.push_back(0);
        }
        row_tap_start_.push_back(static_cast<int>(row_tap_source_.size()));
    }
}

resampler::row_range resampler::source_rows(int j0, int j1) const {
    j0 = std::max(j0, 0);
    j1 = std::min(j1, height());
    if (j0 >= j1) return {};
    const auto first = row_tap_source_.begin() + row_tap_start_[j0];
    const auto last = row_tap_source_.begin() + row_tap_start_[j1];
    if (first == last) return {};
    return {*std::min_element(first, last), *std::max_element(first, last) + 1};
}

void resampler::resample_rows(int j0, int j1, const std::function<const std::uint8_t*(int)>& source_row,
                              const std::function<std::uint8_t*(int)>& output_row) const {
    const int width = this->width();
    if (width == 0) return;
    // The source columns that are read; those of the padded row beyond them repeat the edges.
    const int read_first = std::clamp(padded_first_, 0, source_width_ - 1);
    const int read_end = std::clamp(padded_first_ + padded_width_, read_first + 1, source_width_);
    const std::size_t read_offset = 3 * static_cast<std::size_t>(read_first - padded_first_);
    const std::size_t read_bytes = 3 * static_cast<std::size_t>(read_end - read_first);
    std::vector<int16_t> padded(3 * static_cast<std::size_t>(padded_width_));
    // Sums of more than one pass of taps along a row.
    std::vector<int16_t> sums(taps_per_column_ > taps_per_pass ? 3 * static_cast<std::size_t>(width) : 0);
    const std::size_t weights_per_tap = 3 * static_cast<std::size_t>(width);

    for (int j = std::max(j0, 0); j < std::min(j1, height()); ++j) {
        // Down the columns: the row's taps summed into the padded row.
        int16_t* const read = padded.data() + read_offset;
        for (int t = row_tap_start_[j]; t < row_tap_start_[j + 1]; t += taps_per_pass) {
            const std::uint8_t* rows[taps_per_pass];
            for (int k = 0; k < taps_per_pass; ++k) {
                rows[k] = source_row(row_tap_source_[t + k]) + 3 * static_cast<std::size_t>(read_first);
            }
            weigh_rows(read, t != row_tap_start_[j], rows, &row_tap_weight_[t], read_bytes);
        }
        for (std::size_t b = 0; b < read_offset; ++b) padded[b] = read[b % 3];
        const std::size_t last_pixel = read_offset + read_bytes - 3;
        for (std::size_t b = read_offset + read_bytes; b < padded.size(); ++b)
            padded[b] = padded[last_pixel + b % 3];

        // Along the row: each run of columns reads one contiguous stretch of the padded row.
        std::uint8_t* const out = output_row(j);
        for (const column_run& run : runs_) {
            const std::size_t begin = 3 * static_cast<std::size_t>(run.first_column);
            const std::size_t count = 3 * static_cast<std::size_t>(run.end_column) - begin;
            const auto in = [&](int k) {
                return padded.data() + 3 * static_cast<std::size_t>(run.padded_offset + k);
            };
            const int16_t* const w = channel_weights_.data() + begin;
            if (taps_per_column_ == taps_per_pass) {
                weigh_columns_to_bytes(out + begin, w, weights_per_tap, in(0), count);
                continue;
            }
            for (int k = 0; k < taps_per_column_; k += taps_per_pass) {
                weigh_columns(sums.data() + begin, k != 0, w + k * weights_per_tap, weights_per_tap, in(k),
                              count);
            }
            for (std::size_t b = 0; b < count; ++b) out[begin + b] = to_byte(sums[begin + b]);
        }
    }
}

band_fed_resampling::band_fed_resampling(const resampler& plan, int band_height, output_sink sink, int bands_ahead)
    : plan_(plan), band_height_(std::max(band_height, 1)), sink_(std::move(sink)), bands_ahead_(std::max(bands_ahead, 0)) {
    // Output row j can be made once the band holding its last source row is in; rows are made
    // in order, so a row waits for every row above it too.
    last_band_read_.reserve(static_cast<std::size_t>(plan.height()));
    int waits_for = 0;
    for (int j = 0; j < plan.height(); ++j) {
        const resampler::row_range rows = plan.source_rows(j, j + 1);
        if (rows.last > rows.first) waits_for = std::max(waits_for, (rows.last - 1) / band_height_);
        last_band_read_.push_back(waits_for);
    }
    kept_bands_ = bands_kept_for(plan, band_height_);
    // A band filled ahead takes the place of one no waiting row reads any more.
    slots_ = std::max(std::min(kept_bands_ + bands_ahead_, bands()), 1);
    row_bytes_ = 3 * static_cast<std::size_t>(plan.source_width());
    const std::size_t band_bytes = row_bytes_ * static_cast<std::size_t>(band_height_);
    kept_.reset(new (std::nothrow) std::uint8_t[band_bytes * static_cast<std::size_t>(slots_)]);
    output_.reset(new (std::nothrow)
                      std::uint8_t[3 * static_cast<std::size_t>(plan.width()) * static_cast<std::size_t>(band_height_)]);
    ready_ = kept_ && output_;
}

int band_fed_resampling::bands_kept_for(const resampler& plan, int band_height) {
    // The bands kept are those from the first band any waiting row reads to the band just in.
    band_height = std::max(band_height, 1);
    int kept = 1;
    int waits_for = 0;
    for (int j = 0; j < plan.height(); ++j) {
        const resampler::row_range rows = plan.source_rows(j, j + 1);
        if (rows.last <= rows.first) continue;
        waits_for = std::max(waits_for, (rows.last - 1) / band_height);
        kept = std::max(kept, waits_for - rows.first / band_height + 1);
    }
    return std::min(kept, std::max((plan.source_height() + band_height - 1) / band_height, 1));
}

int band_fed_resampling::bands() const { return (plan_.source_height() + band_height_ - 1) / band_height_; }

std::uint8_t* band_fed_resampling::band_row(int band, int r) {
    if (!ready_ || band < bands_in_ || band > bands_in_ + bands_ahead_ || band >= bands() || r < 0 ||
        r >= band_height_)
        return nullptr;
    const std::size_t slot = static_cast<std::size_t>(band % slots_);
    return kept_.get() + (slot * static_cast<std::size_t>(band_height_) + static_cast<std::size_t>(r)) * row_bytes_;
}

bool band_fed_resampling::band_filled() {
    if (!ready_ || bands_in_ >= bands()) return false;
    const int band = bands_in_++;
    int end = rows_done_;
    while (end < plan_.height() && (last_band_read_[static_cast<std::size_t>(end)] <= band || bands_in_ == bands()))
        ++end;
    const auto source_row = [this](int r) -> const std::uint8_t* {
        const std::size_t slot = static_cast<std::size_t>((r / band_height_) % slots_);
        return kept_.get() +
               (slot * static_cast<std::size_t>(band_height_) + static_cast<std::size_t>(r % band_height_)) * row_bytes_;
    };
    const std::size_t output_stride = 3 * static_cast<std::size_t>(plan_.width());
    while (rows_done_ < end) {
        const int first = rows_done_;
        const int last = std::min(end, first + band_height_);
        plan_.resample_rows(first, last, source_row, [&](int j) {
            return output_.get() + static_cast<std::size_t>(j - first) * output_stride;
        });
        rows_done_ = last;
        if (!sink_(first, last - first, output_.get(), output_stride)) return false;
    }
    return true;
}

void limit_vector_width(int bits) {
    widest_vectors = bits;
}

bool resample_bitmap(const resampler& plan, const platform::bitmap& source, platform::bitmap& destination) {
    if (source.depth != 24 || destination.depth != 24 || source.width != plan.source_width() ||
        source.height != plan.source_height() || destination.width != plan.width() ||
        destination.height != plan.height() || !source.bits || !destination.bits) {
        return false;
    }
    plan.resample_rows(
        0, plan.height(), [&](int r) -> const std::uint8_t* { return source.row_from_top(r); },
        [&](int j) { return destination.row_from_top(j); });
    return true;
}

}  // namespace imaging
