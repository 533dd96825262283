#pragma once
// libjpeg reports errors by calling the error manager's exit routine, which must not return.
// This is the one place that turns such an error into a result: the step runs under setjmp and
// the exit routine longjmps back here.
//
// A longjmp skips C++ destructors, so every step given to run_guarded, and everything libjpeg
// calls back from it, must keep only plain data (pointers, numbers, C structs) on the stack.
// Resources are owned by the caller of run_guarded, whose frame is never skipped.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace imaging {

// libjpeg-turbo reads and writes blue, green, red rows, the images' own order, as they are; a
// plain libjpeg takes red, green, blue only, and each row is swapped on the way.
#ifdef JCS_EXTENSIONS
constexpr bool reads_bgr = true;
constexpr J_COLOR_SPACE bgr_space = JCS_EXT_BGR;
#else
constexpr bool reads_bgr = false;
constexpr J_COLOR_SPACE bgr_space = JCS_RGB;  // never used; keeps the expressions compiling
#endif

struct jpeg_guard {
    jpeg_error_mgr manager;  // first member: libjpeg's err pointer leads back to the guard
    std::jmp_buf jump;
    bool armed;
    char message[JMSG_LENGTH_MAX];  // the text of the last error
};

// jpeg_std_error with the exit routine replaced by the jump and every message kept quiet.
jpeg_error_mgr* init_jpeg_guard(jpeg_guard& guard, int trace_level);

// Runs step(data); false when libjpeg raised an error during it.
bool run_guarded(jpeg_guard& guard, void (*step)(void* data), void* data);

}  // namespace imaging
