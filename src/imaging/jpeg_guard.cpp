#include "imaging/jpeg_guard.h"

#include <cstdlib>
#include <cstring>

namespace imaging {

namespace {

void jump_back(j_common_ptr cinfo) {
    auto* guard = reinterpret_cast<jpeg_guard*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, guard->message);
    // Every libjpeg call that can fail runs inside run_guarded; an error outside one is a bug
    // in this file's callers, and returning to libjpeg is not allowed.
    if (!guard->armed) std::abort();
    guard->armed = false;
    std::longjmp(guard->jump, 1);
}

// Warnings (a truncated file, for instance) and trace notes are not shown.
void stay_quiet(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* init_jpeg_guard(jpeg_guard& guard, int trace_level) {
    std::memset(&guard, 0, sizeof guard);
    jpeg_std_error(&guard.manager);
    guard.manager.error_exit = jump_back;
    guard.manager.output_message = stay_quiet;
    guard.manager.trace_level = trace_level;
    return &guard.manager;
}

bool run_guarded(jpeg_guard& guard, void (*step)(void* data), void* data) {
    if (setjmp(guard.jump) != 0) return false;
    guard.armed = true;
    step(data);
    guard.armed = false;
    return true;
}

}  // namespace imaging
