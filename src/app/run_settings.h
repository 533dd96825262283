#pragma once
// What a capture run is given from outside: how patient it is with tiles that do not come, the
// clock that names its result, and how the result is handed to the desktop. The program runs
// with the defaults; tests pass their own (a short patience, a fixed clock, no image viewer).
#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "services/command_line.h"
#include "services/dates.h"

namespace app {

using std::chrono::milliseconds;

// A tile that does not come is asked for again after a growing wait; once it has been awaited
// for `before_asking`, its next failure asks the user whether to go on. A long outage of the
// server therefore never throws a long run away without the user's word.
struct tile_patience {
    // A page that has not ended this long after it was asked for counts as one failure.
    milliseconds no_answer{30000};
    // The waits before the second, third, ... request of a tile; the last one repeats.
    std::vector<milliseconds> waits{milliseconds{1000}, milliseconds{2000}, milliseconds{4000},
                                    milliseconds{8000}, milliseconds{16000}, milliseconds{30000}};
    // How long a tile is awaited, from its first request, before the user is asked.
    milliseconds before_asking{120000};

    // The wait after the given number (1, 2, ...) of failures in a row.
    milliseconds wait_after(int failures) const;
};

struct run_settings {
    tile_patience patience;
    std::function<int64_t()> clock = services::date_now;  // the date value of now
    std::function<int(std::string_view path)> open_result = services::launch_file;
};

}  // namespace app
