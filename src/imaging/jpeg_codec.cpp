#include "imaging/jpeg_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <memory>
#include <new>

#include "imaging/image_store.h"
#include "imaging/jpeg_guard.h"
#include "imaging/pixel_order.h"
#include "platform/handles.h"

#include <jerror.h>

namespace imaging {

// ---- Reading -------------------------------------------------------------------------------

namespace {

const JOCTET fake_end_of_image[2] = {0xFF, JPEG_EOI};

// The file in memory, handed to libjpeg in one piece; anything asked for after that is a fake
// end-of-image marker, so a truncated file decodes to its end.
struct memory_source {
    jpeg_source_mgr manager;  // first member: libjpeg's src pointer leads back here
    const JOCTET* data;
    std::size_t size;
    bool given;
};

void init_source(j_decompress_ptr) {}
void term_source(j_decompress_ptr) {}

boolean fill_input_buffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<memory_source*>(cinfo->src);
    if (!source->given) {
        source->given = true;
        source->manager.next_input_byte = source->data;
        source->manager.bytes_in_buffer = source->size;
        return TRUE;
    }
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source->manager.next_input_byte = fake_end_of_image;
    source->manager.bytes_in_buffer = sizeof fake_end_of_image;
    return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* source = cinfo->src;
    if (static_cast<unsigned long>(count) > source->bytes_in_buffer) {
        // Skipping past the data lands on the fake markers.
        source->bytes_in_buffer = 0;
        fill_input_buffer(cinfo);
        return;
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<std::size_t>(count);
}

// The decoder's own part of the decoder state, alive from check to close.
struct jpeg_load {
    jpeg_decompress_struct cinfo;
    jpeg_guard guard;
    memory_source source;
    std::unique_ptr<JOCTET[]> file_data;
    JSAMPARRAY row;
    bool created;
};

void header_step(void* data) {
    jpeg_load& load = *static_cast<jpeg_load*>(data);
    j_decompress_ptr cinfo = &load.cinfo;
    jpeg_create_decompress(cinfo);
    load.created = true;
    load.guard.manager.trace_level = 0;
    cinfo->src = &load.source.manager;
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) {
        load.row = nullptr;
        return;
    }
    cinfo->dct_method = JDCT_ISLOW;
    if (cinfo->jpeg_color_space == JCS_GRAYSCALE) cinfo->out_color_space = JCS_RGB;
    // Where libjpeg can give blue, green, red rows, they are decoded straight into the image.
    if (reads_bgr && cinfo->out_color_space == JCS_RGB) cinfo->out_color_space = bgr_space;
    jpeg_calc_output_dimensions(cinfo);
    const JDIMENSION row_bytes =
        ((cinfo->output_width * static_cast<JDIMENSION>(cinfo->output_components)) + 3) & ~JDIMENSION{3};
    load.row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, row_bytes, 1);
    jpeg_start_decompress(cinfo);
}

struct decode_job {
    jpeg_load* load;
    std::uint8_t* pixels;
    std::size_t stride;
    bool bottom_up;
    int height;
    int width;
};

void decode_step(void* data) {
    const decode_job& job = *static_cast<decode_job*>(data);
    j_decompress_ptr cinfo = &job.load->cinfo;
    const int components = cinfo->output_components;
    const bool direct = reads_bgr && cinfo->out_color_space == bgr_space && components == 3;
    for (int i = 0; i < job.height; ++i) {
        const int memory_row = job.bottom_up ? job.height - 1 - i : i;
        std::uint8_t* out = job.pixels + static_cast<std::size_t>(memory_row) * job.stride;
        if (direct) {
            // The image's row holds width x 3 bytes, exactly what one output row takes.
            JSAMPROW row = out;
            if (jpeg_read_scanlines(cinfo, &row, 1) != 1) break;
            continue;
        }
        if (jpeg_read_scanlines(cinfo, job.load->row, 1) != 1) break;
        const JSAMPLE* in = job.load->row[0];
        if (components == 3) {
            swap_red_blue(in, out, job.width);
        } else if (components > 3) {
            for (int x = 0; x < job.width; ++x, in += components, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        } else {
            for (int x = 0; x < job.width; ++x, in += components, out += 3) out[0] = out[1] = out[2] = in[0];
        }
    }
    jpeg_finish_decompress(cinfo);
}

void release_load(decoder_state& state) {
    auto* load = static_cast<jpeg_load*>(state.codec);
    if (!load) return;
    if (load->created) jpeg_destroy_decompress(&load->cinfo);
    delete load;
    state.codec = nullptr;
}

}  // namespace

bool check_jpeg(decoder_state& state) {
    std::FILE* file = state.file;
    if (!file || std::fseek(file, 0, SEEK_END) != 0) return false;
    const long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0 || size <= 2) return false;
    const auto length = static_cast<std::size_t>(size);

    std::unique_ptr<JOCTET[]> data(new (std::nothrow) JOCTET[length]);
    if (!data || std::fread(data.get(), 1, 2, file) != 2) return false;
    if (data[0] != 0xFF || data[1] != 0xD8) return false;

    auto* load = new (std::nothrow) jpeg_load{};
    if (!load) return false;
    state.codec = load;
    // A file that shrank since it was measured is taken as far as it goes.
    const std::size_t rest = std::fread(data.get() + 2, 1, length - 2, file);
    load->file_data = std::move(data);
    load->source.data = load->file_data.get();
    load->source.size = 2 + rest;
    load->source.manager.init_source = init_source;
    load->source.manager.fill_input_buffer = fill_input_buffer;
    load->source.manager.skip_input_data = skip_input_data;
    load->source.manager.resync_to_restart = jpeg_resync_to_restart;
    load->source.manager.term_source = term_source;
    load->cinfo.err = init_jpeg_guard(load->guard, 0);

    if (!run_guarded(load->guard, header_step, load) || !load->row) {
        release_load(state);
        return false;
    }
    state.width = static_cast<int>(std::min<JDIMENSION>(load->cinfo.output_width, 0x7FFFFFFF));
    state.height = static_cast<int>(std::min<JDIMENSION>(load->cinfo.output_height, 0x7FFFFFFF));
    state.depth = 24;
    return true;
}

int decode_jpeg(decoder_state& state, std::uint8_t* pixels, std::size_t stride, int row_flags) {
    auto* load = static_cast<jpeg_load*>(state.codec);
    if (!load || !pixels) return 0;
    // The caller's bitmap is state.width x state.height; never write more rows or columns.
    decode_job job{load, pixels, stride, (row_flags & rows_bottom_up) != 0, state.height, state.width};
    return run_guarded(load->guard, decode_step, &job) ? 1 : 0;
}

void close_jpeg(decoder_state& state) { release_load(state); }

namespace {

// The header of the JPEG file at a native path read into `state`; false when there is no such
// file or it is no JPEG. The file stays open with the state.
bool open_jpeg_file(const std::string& path, platform::file_handle& file, decoder_state& state) {
    file.reset(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    state.path = path;
    state.file = file.get();
    return check_jpeg(state);
}

}  // namespace

bool decode_jpeg_file(const std::string& path, decoded_picture& out) {
    out.width = out.height = 0;
    out.stride = 0;
    platform::file_handle file;
    decoder_state state;
    if (!open_jpeg_file(path, file, state)) return false;
    // The same limit as a picture in the store.
    const bool fits =
        state.width > 0 && state.height > 0 && state.width <= largest_image_side && state.height <= largest_image_side;
    const std::size_t stride = fits ? (3 * static_cast<std::size_t>(state.width) + 3) & ~std::size_t{3} : 0;
    const std::size_t size = stride * static_cast<std::size_t>(state.height);
    if (fits && size > out.capacity) {
        out.pixels.reset(new (std::nothrow) std::uint8_t[size]);
        out.capacity = out.pixels ? size : 0;
    }
    if (!fits || !out.pixels) {
        close_jpeg(state);
        return false;
    }
    // Rows a decode that breaks off does not reach stay black.
    std::memset(out.pixels.get(), 0, size);
    out.width = state.width;
    out.height = state.height;
    out.stride = stride;
    decode_jpeg(state, out.pixels.get(), stride, 0);
    close_jpeg(state);
    return true;
}

bool decode_jpeg_file_into(const std::string& path, std::uint8_t* window, std::size_t stride, int width,
                           int height) {
    platform::file_handle file;
    decoder_state state;
    if (!window || !open_jpeg_file(path, file, state)) return false;
    if (state.width <= 0 || state.height <= 0 || state.width > width || state.height > height) {
        close_jpeg(state);
        return false;
    }
    // What the picture does not cover, and rows a decode that breaks off does not reach, are
    // black (the window may hold an earlier picture).
    for (int y = 0; y < height; ++y)
        std::memset(window + static_cast<std::size_t>(y) * stride, 0, 3 * static_cast<std::size_t>(width));
    decode_jpeg(state, window, stride, 0);
    close_jpeg(state);
    return true;
}

// Listing is idempotent (add_image_encoder, add_image_decoder), so only the first call of a
// start of the program adds anything.
void register_jpeg_encoder() { add_image_encoder(image_encoder{jpeg_encoder, write_jpeg, nullptr}); }

void register_jpeg_decoder() { add_image_decoder(image_decoder{check_jpeg, decode_jpeg, close_jpeg}); }

}  // namespace imaging
