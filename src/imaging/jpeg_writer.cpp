// Writing JPEG files: a whole image (write_jpeg) or band by band (jpeg_band_writer), one code
// path for both, so a file made either way has the same bytes.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <memory>
#include <new>

#include "imaging/jpeg_codec.h"
#include "imaging/jpeg_guard.h"
#include "imaging/pixel_order.h"
#include "platform/native_file.h"

namespace imaging {

int jpeg_quality(int level) { return std::clamp(level, 0, 10) * 10; }

struct jpeg_band_writer::state {
    jpeg_guard guard;
    jpeg_compress_struct cinfo{};
    bool created = false;
    bool failed = false;
    bool finished = false;
    int width = 0;
    int height = 0;
    int rows_written = 0;
    std::string path;
    platform::file_handle file;
    std::unique_ptr<JSAMPLE[]> swapped;  // one row, for a libjpeg that needs red, green, blue

    ~state() {
        if (created) jpeg_destroy_compress(&cinfo);
    }
};

namespace {

// What each guarded step needs, as plain data (see jpeg_guard.h).
struct start_job {
    jpeg_compress_struct* cinfo;
    bool* created;
    std::FILE* file;
    int width;
    int height;
    int quality;
};

void start_step(void* data) {
    const start_job& job = *static_cast<start_job*>(data);
    jpeg_compress_struct* cinfo = job.cinfo;
    jpeg_create_compress(cinfo);
    *job.created = true;
    jpeg_stdio_dest(cinfo, job.file);
    cinfo->image_width = static_cast<JDIMENSION>(job.width);
    cinfo->image_height = static_cast<JDIMENSION>(job.height);
    cinfo->input_components = 3;
    // libjpeg-turbo gets the image's own rows untouched; a plain libjpeg gets each row swapped.
    cinfo->in_color_space = reads_bgr ? bgr_space : JCS_RGB;
    jpeg_set_defaults(cinfo);
    // Not forcing baseline keeps the low qualities' quantisation entries above 255 as they are.
    jpeg_set_quality(cinfo, job.quality, FALSE);
    jpeg_start_compress(cinfo, TRUE);
}

struct rows_job {
    jpeg_compress_struct* cinfo;
    const std::uint8_t* first;
    std::ptrdiff_t step;
    int rows;
    int width;
    JSAMPLE* swapped;
};

void rows_step(void* data) {
    const rows_job& job = *static_cast<rows_job*>(data);
    for (int i = 0; i < job.rows; ++i) {
        const std::uint8_t* pixels = job.first + i * job.step;
        JSAMPROW row = job.swapped;
        if (reads_bgr) {
            row = const_cast<JSAMPROW>(pixels);  // libjpeg only reads input rows
        } else {
            swap_red_blue(pixels, job.swapped, job.width);
        }
        jpeg_write_scanlines(job.cinfo, &row, 1);
    }
}

void finish_step(void* data) { jpeg_finish_compress(static_cast<jpeg_compress_struct*>(data)); }

// A partial file is removed, but only a regular file: a device such as /dev/full stays.
void remove_partial(const std::string& path) {
    if (platform::look_up_path(path).kind == platform::path_kind::file) platform::delete_file(path);
}

}  // namespace

jpeg_band_writer::jpeg_band_writer() = default;

jpeg_band_writer::~jpeg_band_writer() {
    if (!state_ || state_->finished) return;
    const std::string path = state_->path;
    state_.reset();  // libjpeg's objects, then the file
    remove_partial(path);
}

bool jpeg_band_writer::start(const std::string& path, int width, int height, int level) {
    if (state_ || width < 1 || height < 1) return false;
    state_.reset(new (std::nothrow) state);
    if (!state_) return false;
    state& s = *state_;
    s.width = width;
    s.height = height;
    s.path = path;
    s.file = platform::create_stream(path);
    if (!s.file) {
        report_image_file_error(std::strerror(errno));
        s.failed = true;
        s.finished = true;  // nothing of it to remove
        return false;
    }
    if (!reads_bgr) s.swapped.reset(new (std::nothrow) JSAMPLE[static_cast<std::size_t>(width) * 3]);
    s.cinfo.err = init_jpeg_guard(s.guard, -1);
    start_job job{&s.cinfo, &s.created, s.file.get(), width, height, jpeg_quality(level)};
    // Without a row buffer where one is needed nothing is handed to libjpeg at all.
    s.failed = !(reads_bgr || s.swapped) || !run_guarded(s.guard, start_step, &job);
    if (s.failed) report_image_file_error(s.guard.message[0] ? s.guard.message : "out of memory");
    return !s.failed;
}

bool jpeg_band_writer::write_rows(const std::uint8_t* first, int rows, std::ptrdiff_t step) {
    if (!state_ || state_->failed || state_->finished || !first || rows < 0) return false;
    state& s = *state_;
    if (rows > s.height - s.rows_written) {
        report_image_file_error("more rows than the image has");
        s.failed = true;
        return false;
    }
    rows_job job{&s.cinfo, first, step, rows, s.width, s.swapped.get()};
    if (!run_guarded(s.guard, rows_step, &job)) {
        report_image_file_error(s.guard.message);
        s.failed = true;
        return false;
    }
    s.rows_written += rows;
    return true;
}

bool jpeg_band_writer::finish() {
    if (!state_ || state_->failed || state_->finished) return false;
    state& s = *state_;
    if (s.rows_written != s.height) {
        report_image_file_error("the image has rows not written");
        s.failed = true;
        return false;
    }
    if (!run_guarded(s.guard, finish_step, &s.cinfo)) {
        report_image_file_error(s.guard.message);
        s.failed = true;
        return false;
    }
    jpeg_destroy_compress(&s.cinfo);
    s.created = false;
    // Closing writes what stdio still holds: its failure (a full disk) fails the file.
    if (std::fclose(s.file.release()) != 0) {
        report_image_file_error(std::strerror(errno));
        s.failed = true;
        return false;
    }
    s.finished = true;
    return true;
}

int jpeg_band_writer::rows_written() const { return state_ ? state_->rows_written : 0; }

int write_jpeg(const std::string& path, const std::uint8_t* pixels, int width, int height, std::size_t stride,
               int row_flags, int level) {
    if (!pixels || width < 1 || height < 1) return 0;
    // The file's first scan line is the image's top row.
    const bool bottom_up = (row_flags & rows_bottom_up) != 0;
    const auto step = static_cast<std::ptrdiff_t>(stride);
    const std::uint8_t* top = bottom_up ? pixels + (height - 1) * step : pixels;
    jpeg_band_writer writer;
    return writer.start(path, width, height, level) && writer.write_rows(top, height, bottom_up ? -step : step) &&
                   writer.finish()
               ? 1
               : 0;
}

}  // namespace imaging
