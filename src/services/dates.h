#pragma once
// Date values (seconds from 1970-01-01 00:00:00 of a local wall-clock time, counted as if it
// were universal time) and their formatting through masks such as "%yyyy-%mm-%dd-".
// Values are 64-bit, so dates after 2038-01-19 03:14:07 are dates like any other.
#include <cstdint>
#include <string>
#include <string_view>

namespace services {

// The current local wall-clock date and time.
int64_t date_now();

// The date value of the given fields, or -1 when they are not a valid date.
int64_t make_date(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second);

// The mask with its %yyyy %yy %mm %dd %hh %ii %ss tokens (any case) replaced.
std::string date_to_text(std::string_view mask, int64_t date);

}  // namespace services
