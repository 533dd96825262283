#include "imaging/pixel_order.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define LOMTRA_HAVE_SSSE3_PATH 1
#endif

namespace imaging {

namespace {

void swap_plain(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, int width) {
    for (int x = 0; x < width; ++x, in += 3, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
    }
}

#ifdef LOMTRA_HAVE_SSSE3_PATH
// Five pixels per 16-byte shuffle. A block reads and writes 16 bytes from its first pixel, one
// byte beyond its five pixels; it runs only while a sixth pixel follows, so that byte belongs
// to the row (and the next block or the tail rewrites it).
__attribute__((target("ssse3"))) void swap_ssse3(const std::uint8_t* in, std::uint8_t* out, int width) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    int x = 0;
    for (; x + 6 <= width; x += 5, in += 15, out += 15) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, order));
    }
    swap_plain(in, out, width - x);
}

bool has_ssse3() {
    static const bool supported = __builtin_cpu_supports("ssse3");
    return supported;
}
#endif

}  // namespace

void swap_red_blue(const std::uint8_t* in, std::uint8_t* out, int width) {
#ifdef LOMTRA_HAVE_SSSE3_PATH
    if (has_ssse3()) {
        swap_ssse3(in, out, width);
        return;
    }
#endif
    swap_plain(in, out, width);
}

}  // namespace imaging
