#pragma once
// Date values (seconds from 1970-01-01 00:00:00 of a local wall-clock time, counted as if it
// were universal time) and their formatting through masks such as "%yyyy-%mm-%dd-".
#include <cstdint>
#include <string>
#include <string_view>

namespace services {

// The current local wall-clock date and time.
int32_t date_now();

// The date value of the given fields, or -1 when they are not a valid date.
int32_t make_date(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second);

// The mask with its %yyyy %yy %mm %dd %hh %ii %ss tokens (any case) replaced.
std::string date_to_text(std::string_view mask, int32_t date);

}  // namespace services
