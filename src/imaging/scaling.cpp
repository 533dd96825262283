#include "imaging/scaling.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "imaging/drawing.h"
#include "imaging/stretch.h"

namespace imaging {

namespace {

// Mitchell-Netravali cubic with B = C = 1/3.
double mitchell(double x) {
    constexpr double B = 1.0 / 3.0, C = 1.0 / 3.0;
    const double a = std::fabs(x);
    if (a < 1.0)
        return ((12 - 9 * B - 6 * C) * a * a * a + (-18 + 12 * B + 6 * C) * a * a + (6 - 2 * B)) / 6;
    if (a < 2.0)
        return ((-B - 6 * C) * a * a * a + (6 * B + 30 * C) * a * a + (-12 * B - 48 * C) * a + (8 * B + 24 * C)) / 6;
    return 0.0;
}

struct contributions {
    int left = 0;
    int right = 0;
    std::vector<double> weights;  // for left .. right
};

// One weight table per pass: how n source pixels of a line make m destination pixels.
std::vector<contributions> make_weights(int n, int m) {
    const double scale = static_cast<double>(m) / n;
    const double support = scale >= 1.0 ? 2.0 : 2.0 / scale;
    const double factor = scale >= 1.0 ? 1.0 : scale;
    const long long widest = 2 * static_cast<long long>(std::ceil(support)) + 1;
    std::vector<contributions> table(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) {
        contributions& c = table[static_cast<std::size_t>(i)];
        const double centre = (i + 0.5) / scale - 0.5;
        c.left = std::max(static_cast<int>(std::floor(centre - support)), 0);
        c.right = std::min(static_cast<int>(std::ceil(centre + support)), n - 1);
        if (c.right - c.left + 1 > widest) {
            if (c.left < n)
                ++c.left;
            else
                --c.right;
        }
        double sum = 0.0;
        for (int k = c.left; k <= c.right; ++k) {
            const double w = factor * mitchell((centre - k) * factor);
            c.weights.push_back(w);
            sum += w;
        }
        if (sum > 0.0 && sum != 1.0)
            for (double& w : c.weights) w /= sum;
    }
    return table;
}

std::uint8_t to_byte(double value) {
    const double rounded = std::trunc(value + 0.5);
    return static_cast<std::uint8_t>(std::clamp(rounded, 0.0, 255.0));
}

// Resamples `lines` lines of n pixels into lines of m pixels. Pixel k of line l sits at
// base + l * line_step + k * pixel_step (in bytes), in source and destination alike.
void resample_lines(const std::uint8_t* from, std::size_t from_line_step, std::size_t from_pixel_step,
                    std::uint8_t* to, std::size_t to_line_step, std::size_t to_pixel_step, int lines, int n, int m) {
    const std::vector<contributions> table = make_weights(n, m);
    for (int l = 0; l < lines; ++l) {
        const std::uint8_t* line_in = from + static_cast<std::size_t>(l) * from_line_step;
        std::uint8_t* line_out = to + static_cast<std::size_t>(l) * to_line_step;
        for (int i = 0; i < m; ++i) {
            const contributions& c = table[static_cast<std::size_t>(i)];
            double sums[4] = {0, 0, 0, 0};
            for (int k = c.left; k <= c.right; ++k) {
                const std::uint8_t* p = line_in + static_cast<std::size_t>(k) * from_pixel_step;
                const double w = c.weights[static_cast<std::size_t>(k - c.left)];
                for (int ch = 0; ch < 4; ++ch) sums[ch] += w * p[ch];
            }
            std::uint8_t* out = line_out + static_cast<std::size_t>(i) * to_pixel_step;
            for (int ch = 0; ch < 4; ++ch) out[ch] = to_byte(sums[ch]);
        }
    }
}

}  // namespace

bool resample_mitchell(const std::uint8_t* source, int source_width, int source_height, std::uint8_t* destination,
                       int width, int height) {
    if (!source || !destination || source_width < 1 || source_height < 1 || width < 1 || height < 1) return false;
    const auto sw = static_cast<std::size_t>(source_width), sh = static_cast<std::size_t>(source_height);
    const auto dw = static_cast<std::size_t>(width), dh = static_cast<std::size_t>(height);
    // The smaller of the two possible intermediate images decides the order of the passes.
    const bool horizontal_first = dw * sh <= sw * dh;
    const std::size_t middle_width = horizontal_first ? dw : sw;
    const std::size_t middle_height = horizontal_first ? sh : dh;
    std::unique_ptr<std::uint8_t[]> middle(new (std::nothrow) std::uint8_t[middle_width * middle_height * 4]);
    if (!middle) return false;
    const std::size_t middle_row = middle_width * 4;
    if (horizontal_first) {
        resample_lines(source, sw * 4, 4, middle.get(), middle_row, 4, source_height, source_width, width);
        resample_lines(middle.get(), 4, middle_row, destination, 4, dw * 4, width, source_height, height);
    } else {
        resample_lines(source, 4, sw * 4, middle.get(), 4, middle_row, source_width, source_height, height);
        resample_lines(middle.get(), middle_row, 4, destination, dw * 4, 4, height, source_width, width);
    }
    return true;
}

namespace {

// The resampler's weights are laid out from the top edge (the window trimming is not symmetric),
// so bottom-up pixel memory is turned into top-down rows on the way in and back on the way out.
bool resample_bitmap(const platform::bitmap& from, platform::bitmap& to) {
    if (from.stride != static_cast<std::size_t>(from.width) * 4 || to.stride != static_cast<std::size_t>(to.width) * 4)
        return false;
    std::unique_ptr<std::uint8_t[]> top_down(new (std::nothrow) std::uint8_t[from.size_in_bytes()]);
    std::unique_ptr<std::uint8_t[]> result(new (std::nothrow) std::uint8_t[to.size_in_bytes()]);
    if (!top_down || !result) return false;
    for (int y = 0; y < from.height; ++y)
        std::copy_n(from.row_from_top(y), from.stride, top_down.get() + static_cast<std::size_t>(y) * from.stride);
    if (!resample_mitchell(top_down.get(), from.width, from.height, result.get(), to.width, to.height)) return false;
    for (int y = 0; y < to.height; ++y)
        std::copy_n(result.get() + static_cast<std::size_t>(y) * to.stride, to.stride, to.row_from_top(y));
    return true;
}
}  // namespace

platform::bitmap* resize_image(image_number number, int width, int height, int mode) {
    image_record* record = find_image(number);
    if (!record) return nullptr;
    if (width == record->width && height == record->height) return record->bitmap;

    platform::bitmap* old_bitmap = record->bitmap;
    platform::bitmap_handle fresh((width <= 32767 && height <= 32767)
                                      ? platform::create_section_bitmap(width, height, record->depth)
                                      : nullptr);
    bool done = false;
    if (fresh) {
        const bool has_alpha = alpha_blending_available() && old_bitmap->depth == 32;
        const pixel_rect to{*fresh, 0, 0, width, height};
        const pixel_rect from{*old_bitmap, 0, 0, old_bitmap->width, old_bitmap->height};
        if (has_alpha && mode == resize_smooth) done = resample_bitmap(*old_bitmap, *fresh);
        else if (mode == resize_smooth) done = stretch_average(to, from);
        else done = stretch_nearest(to, from);
    }
    platform::bitmap* result = done ? fresh.release() : nullptr;
    // The record takes the new size whatever happened; a failed scaling leaves it empty.
    end_drawing_on(old_bitmap);
    platform::delete_bitmap(old_bitmap);
    replace_bitmap(record, result);
    record->width = static_cast<std::int16_t>(width);
    record->height = static_cast<std::int16_t>(height);
    return result;
}

}  // namespace imaging
