#include "ui/browser_progress.h"

namespace ui {

void progress_download_begin(browser_progress& state) {
    state.active = true;
    state.progress = 0;
    state.maximum = 0;
}

bool progress_change(browser_progress& state, int progress, int progress_max) {
    if (!state.active || progress < 0) return false;
    state.maximum = progress_max > 0 && progress_max >= progress ? progress_max : progress;
    state.progress = progress;
    return true;
}

void progress_download_complete(browser_progress& state) {
    state.active = false;
    state.progress = state.maximum;
}

}  // namespace ui
