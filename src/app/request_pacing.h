#pragma once
// Polite requests: the tile requests of a run are spaced so that the tile server is asked for
// no more than LOMTRA_SAT_MAX_RATE tiles a second (without that setting, no limit).
#include <chrono>

namespace app {

class request_pacer {
public:
    // Waits until 1/rate seconds have passed since the previous tile request, the window going
    // on painting meanwhile, then counts this request as sent. Returns at once without a rate.
    void pace();

private:
    bool sent_before_ = false;
    std::chrono::steady_clock::time_point last_request_;
};

}  // namespace app
