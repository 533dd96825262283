#pragma once
// The JPEG encoder and decoder, over libjpeg's 6b interface.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/image_files.h"

namespace imaging {

// Add the JPEG encoder ("JPEG") / decoder to the lists; only the first call of each acts.
void register_jpeg_encoder();
void register_jpeg_decoder();

// The encoder's quality for a compression level: clamp(level, 0, 10) x 10.
int jpeg_quality(int level);

// The JPEG writer: 24-bit blue, green, red pixels to a baseline-or-extended sequential JPEG at
// the level's quality. On any failure (the file cannot be made, libjpeg reports an error such
// as a full disk) it returns 0 and removes the partial file.
int write_jpeg(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t stride,
               int row_flags, int level);

// The same file written a band of rows at a time, top band first, as the rows are made: an
// image far larger than the memory it may take is encoded from one band while the next is
// prepared. The bytes are those write_jpeg makes from the whole image. Any failure (the
// reason in last_image_file_error) makes every later call fail; a file not finished is
// removed when the writer goes away.
class jpeg_band_writer {
public:
    jpeg_band_writer();
    ~jpeg_band_writer();
    jpeg_band_writer(const jpeg_band_writer&) = delete;
    jpeg_band_writer& operator=(const jpeg_band_writer&) = delete;

    // Makes the file (a native path) and starts a width x height image at the level's quality.
    bool start(const std::string& path, int width, int height, int level);
    // The next `rows` rows of the image: the first at `first`, each next one `step` bytes on
    // (negative where the memory holds them bottom row first).
    bool write_rows(const std::uint8_t* first, int rows, std::ptrdiff_t step);
    // After the last row: completes and closes the file.
    bool finish();
    int rows_written() const;

private:
    struct state;  // libjpeg's objects, which stay where they were made
    std::unique_ptr<state> state_;
};

// A JPEG file decoded apart from the image store: 24-bit blue, green, red rows, top row first.
// It touches nothing the program shares, so another thread may decode while this one works.
struct decoded_picture {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    std::unique_ptr<std::uint8_t[]> pixels;
    std::size_t capacity = 0;  // bytes at pixels: a picture decoded again reuses them when they suffice
    const std::uint8_t* row(int y) const { return pixels.get() + static_cast<std::size_t>(y) * stride; }
};
// Decodes the file at a native path into `out`, whose memory is reused when it suffices. False
// when it is no JPEG, its pixels cannot be had or the memory for them cannot; a decode that
// breaks off leaves its remaining rows black and still counts, as an image loaded into the
// store does.
bool decode_jpeg_file(const std::string& path, decoded_picture& out);

// Decodes the file at a native path straight into a window of memory `width` x `height`
// pixels (blue, green, red; rows `stride` bytes apart, top row first) when the picture fits in
// it: the picture at the top left, the rest of the window black, as are rows a decode that
// breaks off does not reach. False, the window untouched, when it is no JPEG or larger than
// the window. Another thread may decode so while this one works.
bool decode_jpeg_file_into(const std::string& path, std::uint8_t* window, std::size_t stride, int width,
                           int height);

// The JPEG decoder's three steps (check reads the whole file into memory).
bool check_jpeg(decoder_state& state);
int decode_jpeg(decoder_state& state, std::uint8_t* pixels, std::size_t stride, int row_flags);
void close_jpeg(decoder_state& state);

}  // namespace imaging
