#include "platform/clock.h"

#include <ctime>

namespace platform {

wall_clock_time local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm fields{};
    wall_clock_time result;
    if (!localtime_r(&now, &fields)) return result;
    result.year = fields.tm_year + 1900;
    result.month = fields.tm_mon + 1;
    result.day = fields.tm_mday;
    result.hour = fields.tm_hour;
    result.minute = fields.tm_min;
    result.second = fields.tm_sec > 59 ? 59 : fields.tm_sec;
    return result;
}

}  // namespace platform
