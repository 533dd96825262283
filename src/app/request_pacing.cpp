#include "app/request_pacing.h"

#include <chrono>
#include <string>

#include "services/settings.h"
#include "services/text.h"
#include "ui/events.h"

namespace app {
namespace {

using clock = std::chrono::steady_clock;

struct pacing_state {
    bool sent_before = false;
    clock::time_point last_request;
};
pacing_state pacing;

}  // namespace

void pace_tile_request() {
    const std::string rate_text = services::setting("LOMTRA_SAT_MAX_RATE");
    if (!rate_text.empty() && pacing.sent_before) {
        const double rate = services::text_to_real(rate_text);  // the settings take only rates from 0.001 up
        const auto spacing = std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(1.0 / rate));
        const clock::time_point due = pacing.last_request + spacing;
        for (clock::time_point now = clock::now(); now < due; now = clock::now()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count() + 1;
            ui::wait_keeping_events(static_cast<int>(left));
        }
    }
    pacing.sent_before = true;
    pacing.last_request = clock::now();
}

}  // namespace app
