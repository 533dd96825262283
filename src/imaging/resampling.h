#pragma once
// Resampling of a 24-bit picture onto output columns and rows that each look at a chosen place
// of the source: the column places and the row places are given apart, so one picture can be
// mapped onto another by any mapping that is separable (x from the column, y from the row).
//
// A place is a source coordinate in pixels, pixel k covering [k, k + 1), so k + 0.5 is its
// centre. Values between centres come from the Keys cubic (a = -0.5), which keeps the detail:
// it passes through the pixels and reproduces ramps exactly. Where the output is coarser than
// the source (neighbouring places more than a pixel apart), the kernel is widened by that
// factor so the shrunk part averages rather than aliases. Places near or beyond the edges take
// the nearest edge pixel.
//
// Output rows can be made in bands, in order, from bands of source rows: source_rows tells
// which rows a band of output rows reads.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/bitmap.h"

namespace imaging {

class resampler {
public:
    // column_places[i] and row_places[j]: where output column i and output row j look in a
    // source of source_width x source_height pixels.
    resampler(const std::vector<double>& column_places, int source_width,
              const std::vector<double>& row_places, int source_height);

    int width() const { return static_cast<int>(column_first_.size()); }
    int height() const { return static_cast<int>(row_tap_start_.size()) - 1; }
    int source_width() const { return source_width_; }
    int source_height() const { return source_height_; }

    // The source rows [first, last) that output rows [j0, j1) read.
    struct row_range {
        int first = 0;
        int last = 0;
    };
    row_range source_rows(int j0, int j1) const;

    // Makes output rows j0 .. j1 - 1 (3 bytes a pixel, any channel order: channels are kept
    // apart, not interpreted). source_row(r) gives source row r for every r in
    // source_rows(j0, j1); output_row(j) gives the memory for output row j.
    void resample_rows(int j0, int j1, const std::function<const std::uint8_t*(int)>& source_row,
                       const std::function<std::uint8_t*(int)>& output_row) const;

private:
    int source_width_ = 0;
    int source_height_ = 0;
    // Columns: every output column has taps_per_column_ weights on consecutive source columns
    // from column_first_[i] (which may lie outside the source: the row being read is padded
    // with its edge pixels). Runs of columns whose first tap keeps its distance to the column
    // are read as one contiguous stretch; the weights are repeated for the three channels.
    int taps_per_column_ = 0;
    std::vector<int> column_first_;
    std::vector<int16_t> channel_weights_;  // [tap][3 * column + channel], 15 fraction bits
    int padded_first_ = 0;                  // first source column of the padded row
    int padded_width_ = 0;
    struct column_run {
        int first_column;
        int end_column;
        int padded_offset;  // padded pixel of tap 0 for first_column
    };
    std::vector<column_run> runs_;
    // Rows: each output row has its own taps (source row, already kept inside the source, and
    // weight), from row_tap_start_[j] to row_tap_start_[j + 1].
    std::vector<int> row_tap_start_;
    std::vector<int> row_tap_source_;
    std::vector<int16_t> row_tap_weight_;
};

// A resampling whose source arrives in bands of rows, top band first, such as a mosaic decoded
// one row of tiles after another: only the bands that output rows still read are kept, and the
// output rows go on, in order and in blocks, as soon as the bands they read are in. The rows
// are the bytes resample_bitmap makes from the whole source. The plan must outlive it.
class band_fed_resampling {
public:
    // Gets output rows first_row .. first_row + rows - 1, row k at pixels + k x stride (3 bytes
    // a pixel); false stops the resampling.
    using output_sink =
        std::function<bool(int first_row, int rows, const std::uint8_t* pixels, std::size_t stride)>;

    // With `bands_ahead` > 0, that many bands past the next may be filled while the next is
    // taken in (by another thread: the memory of each band is its own): they are held besides.
    band_fed_resampling(const resampler& plan, int band_height, output_sink sink, int bands_ahead = 0);

    // How many source bands a resampling of this plan holds at one time.
    static int bands_kept_for(const resampler& plan, int band_height);

    bool ready() const { return ready_; }  // false when its memory could not be had
    int bands() const;                     // the bands the source comes in; the last may be lower
    int bands_kept() const { return kept_bands_; }  // at most this many are read at one time
    int bands_held() const { return slots_; }       // the bands' memory: those kept and those ahead
    int rows_done() const { return rows_done_; }    // output rows handed on so far

    // Row r (0 .. band_height - 1) of the next band, for the source to fill: source_width
    // pixels of 3 bytes. Null when every band is in.
    std::uint8_t* next_band_row(int r) { return band_row(bands_in_, r); }
    // Row r of band `band`, which is the next band or one of the bands_ahead after it; null for
    // any other band. Rows of one band lie band_row_bytes() apart.
    std::uint8_t* band_row(int band, int r);
    std::size_t band_row_bytes() const { return row_bytes_; }
    // The next band is filled: every output row it completes is handed on. False when no band
    // was due, the memory was missing or the sink stopped the resampling.
    bool band_filled();

private:
    const resampler& plan_;
    int band_height_;
    output_sink sink_;
    bool ready_ = false;
    int kept_bands_ = 1;
    int bands_ahead_ = 0;
    int slots_ = 1;  // the bands held, used in turn
    std::size_t row_bytes_ = 0;
    std::unique_ptr<std::uint8_t[]> kept_;    // slots_ bands of the source
    std::unique_ptr<std::uint8_t[]> output_;  // band_height_ output rows
    std::vector<int> last_band_read_;         // per output row: the last band its rows read
    int bands_in_ = 0;
    int rows_done_ = 0;
};

// The widest vector instructions the resampling may use, in bits: 256 (AVX2, where the processor
// has it; the default), 128 (SSE2) or 0 (plain code). All give the same bytes; tests compare them.
void limit_vector_width(int bits);

// Resamples a whole 24-bit source bitmap into a 24-bit destination bitmap of the resampler's
// output size; false when the sizes or depths do not fit.
bool resample_bitmap(const resampler& plan, const platform::bitmap& source, platform::bitmap& destination);

}  // namespace imaging
