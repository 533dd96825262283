#include "imaging/image_files.h"

#include <memory>
#include <new>
#include <vector>

#include "imaging/image_store.h"
#include "platform/bitmap.h"
#include "platform/paths.h"

namespace imaging {

namespace {

struct codec_lists {
    std::vector<image_encoder> encoders;
    std::vector<image_decoder> decoders;
};

codec_lists& lists() {
    static codec_lists instance;
    return instance;
}

std::string& last_error() {
    static std::string text;
    return text;
}

// Gives 32-bit pixels to a 24-bit writer: every pixel composited over white.
int write_over_white(image_writer write_24, const std::string& path, const std::uint8_t* pixels, int width,
                     int height, std::size_t stride, int row_flags, int flags) {
    platform::bitmap_handle flat(platform::create_section_bitmap(width, height, 24));
    if (!flat) return 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = pixels + static_cast<std::size_t>(y) * stride;
        std::uint8_t* out = flat->bits + static_cast<std::size_t>(y) * flat->stride;
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = over_white(in[0], in[3]);
            out[1] = over_white(in[1], in[3]);
            out[2] = over_white(in[2], in[3]);
        }
    }
    // Memory rows keep their order, so the row-order flag still holds.
    return write_24(path, flat->bits, width, height, flat->stride, row_flags, flags);
}

}  // namespace

void start_image_decoders() { lists().decoders.clear(); }

// A codec already listed is not listed twice: registering is safe to repeat, also after
// start_image_decoders has emptied the list for a new start of the program.
bool add_image_encoder(const image_encoder& encoder) {
    for (const image_encoder& listed : lists().encoders)
        if (listed.identifier == encoder.identifier && listed.write_24 == encoder.write_24) return true;
    if (lists().encoders.size() >= max_codecs) return false;
    lists().encoders.push_back(encoder);
    return true;
}

bool add_image_decoder(const image_decoder& decoder) {
    for (const image_decoder& listed : lists().decoders)
        if (listed.check == decoder.check && listed.decode == decoder.decode) return true;
    if (lists().decoders.size() >= max_codecs) return false;
    lists().decoders.push_back(decoder);
    return true;
}

void report_image_file_error(std::string reason) { last_error() = std::move(reason); }

std::string last_image_file_error() { return last_error(); }

namespace {

int write_image(image_number number, std::string_view name, std::uint32_t encoder, int flags) {
    if (name.empty()) return 0;
    const image_record* record = find_image(number);
    if (!record) return 0;
    const std::string path = platform::native_path(name);
    if (path.empty()) return 0;

    // The writer gets the image's own pixels; a copy is only made for depths below 24.
    const platform::bitmap* picture = record->bitmap;
    platform::bitmap_handle copy;
    if (record->depth < 24 || !picture->bits) {
        copy.reset(platform::copy_bitmap_24(picture));
        if (!copy) return 0;
        picture = copy.get();
    }
    const int depth = picture->depth;
    const int row_flags = picture->bottom_up ? rows_bottom_up : 0;

    image_writer write_24 = nullptr;
    image_writer write_32 = nullptr;
    if (encoder == bmp_encoder) {
        write_24 = write_bmp_24;
        write_32 = write_bmp_32;
    } else {
        for (const image_encoder& entry : lists().encoders) {
            if (entry.identifier != encoder) continue;
            write_24 = entry.write_24;
            write_32 = entry.write_32;
            break;
        }
        if (!write_24) return 0;
    }
    const int width = record->width, height = record->height;
    if (depth == 24) return write_24(path, picture->bits, width, height, picture->stride, row_flags, flags);
    if (depth != 32) return 0;
    if (write_32) return write_32(path, picture->bits, width, height, picture->stride, row_flags, flags);
    return write_over_white(write_24, path, picture->bits, width, height, picture->stride, row_flags, flags);
}

}  // namespace

int save_image(image_number number, std::string_view name, std::uint32_t encoder, int flags) {
    last_error().clear();
    const int saved = write_image(number, name, encoder, flags);
    if (!saved && last_error().empty()) last_error() = "the image could not be written";
    return saved;
}

std::intptr_t load_image(image_number number, std::string_view name) {
    last_error() = "the file is no image this program reads";
    image_record* record = take_record(number);  // releases what the number held
    if (!record) return 0;
    // From here on, a failure must not leave an empty auto-numbered record behind.
    const auto fail = [&]() -> std::intptr_t {
        if (number == auto_image_number) free_image(record_number(record, number));
        return 0;
    };
    const std::string path = platform::native_path(name);
    if (path.empty()) return fail();

    // One stream serves the look at the first two bytes and then the decoders.
    platform::file_handle file(std::fopen(path.c_str(), "rb"));
    if (!file) return fail();
    unsigned char magic[2] = {0, 0};
    if (std::fread(magic, 1, 2, file.get()) != 2) magic[0] = magic[1] = 0;
    if (magic[0] == 'B' && magic[1] == 'M') {
        file.reset();
        platform::bitmap* picture = platform::load_bitmap_file(path);
        if (!picture) return fail();
        last_error().clear();
        return store_bitmap(record, number, picture);
    }
    // Icons are not loadable here; everything else goes to the decoders.

    decoder_state state;
    const image_decoder* accepted = nullptr;
    for (const image_decoder& decoder : lists().decoders) {
        state = decoder_state{};
        state.path = path;
        state.file = file.get();
        if (std::fseek(file.get(), 0, SEEK_SET) != 0) break;
        if (decoder.check && decoder.check(state)) {
            accepted = &decoder;
            break;
        }
    }
    if (!accepted) return fail();
    state.decoder = accepted;

    platform::bitmap_handle picture(
        (state.width <= largest_image_side && state.height <= largest_image_side)
            ? platform::create_section_bitmap(state.width, state.height, 24)
            : nullptr);
    if (!picture) {
        accepted->close(state);
        return fail();
    }
    // A decode that breaks off leaves its remaining rows black; the image still counts.
    accepted->decode(state, picture->bits, picture->stride, rows_bottom_up);
    accepted->close(state);
    last_error().clear();
    return store_bitmap(record, number, picture.release());
}

}  // namespace imaging
