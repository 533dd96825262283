#pragma once
// The download progress a browser panel keeps from what its web view reports (attributes 4
// and 5 of the panel).
namespace ui {

struct browser_progress {
    bool active = false;  // between a download's begin and its end
    int progress = 0;
    int maximum = 0;
};

// A download begins: active, progress and maximum 0.
void progress_download_begin(browser_progress& state);

// The web view reports progress. Ignored (false: no event) unless a download is active and
// `progress` >= 0. The maximum becomes `progress_max` when that is positive and not below
// `progress`, else `progress` itself.
bool progress_change(browser_progress& state, int progress, int progress_max);

// A download ends (also one that never reported its begin): inactive, progress = maximum.
void progress_download_complete(browser_progress& state);

}  // namespace ui
