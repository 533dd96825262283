#include "app/request_pacing.h"

#include <string>

#include "services/settings.h"
#include "services/text.h"
#include "ui/events.h"

namespace app {

void request_pacer::pace() {
    using clock = std::chrono::steady_clock;
    const std::string rate_text = services::setting("LOMTRA_SAT_MAX_RATE");
    if (!rate_text.empty() && sent_before_) {
        const double rate = services::text_to_real(rate_text);  // the settings take only rates from 0.001 up
        const auto spacing = std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(1.0 / rate));
        const clock::time_point due = last_request_ + spacing;
        for (clock::time_point now = clock::now(); now < due; now = clock::now()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count() + 1;
            ui::wait_keeping_events(static_cast<int>(left));
        }
    }
    sent_before_ = true;
    last_request_ = clock::now();
}

}  // namespace app
