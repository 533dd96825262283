#pragma once
// The machine's local wall-clock time.

namespace platform {

struct wall_clock_time {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;  // 0..59 (a leap second reads as 59)
};

// Now, in the local time zone with daylight saving applied; milliseconds are dropped.
wall_clock_time local_time_now();

}  // namespace platform
