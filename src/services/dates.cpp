#include "services/dates.h"

#include "platform/clock.h"
#include "services/text.h"

namespace services {

namespace {

constexpr int64_t seconds_per_day = 86400;

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

struct date_fields {
    int64_t year, month, day, hour, minute, second;
};

date_fields fields_of(int64_t date) {
    int64_t days = date / seconds_per_day;
    int64_t seconds = date % seconds_per_day;
    if (seconds < 0) {
        seconds += seconds_per_day;
        --days;
    }
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t day_of_era = days - era * 146097;
    const int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t shifted_month = (5 * day_of_year + 2) / 153;
    date_fields fields{};
    fields.day = day_of_year - (153 * shifted_month + 2) / 5 + 1;
    fields.month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
    fields.year = year_of_era + era * 400 + (fields.month <= 2 ? 1 : 0);
    fields.hour = seconds / 3600;
    fields.minute = seconds / 60 % 60;
    fields.second = seconds % 60;
    return fields;
}

bool is_leap_for_february(int32_t year) {
    // Year 3600 is kept out of the leap years too, as the date values always did.
    if (year % 4 != 0) return false;
    if (year % 100 == 0 && year % 400 != 0) return false;
    return year != 3600;
}

std::string two_digits(int64_t value) {
    return (value < 10 ? "0" : "") + integer_to_text(value);
}

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether the mask continues at `pos` with the token letters (compared without case).
bool token_at(std::string_view mask, std::size_t pos, std::string_view letters) {
    if (mask.size() - pos < letters.size()) return false;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        if (ascii_lower(mask[pos + i]) != letters[i]) return false;
    }
    return true;
}

}  // namespace

int64_t make_date(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second) {
    if (day == 31 && (month == 4 || month == 6 || month == 9 || month == 11)) return -1;
    if (month == 2 && day > 29) return -1;
    if (month == 2 && day == 29 && !is_leap_for_february(year)) return -1;
    if (static_cast<uint32_t>(second) > 59 || static_cast<uint32_t>(minute) > 59 ||
        static_cast<uint32_t>(hour) > 23)
        return -1;
    if (day < 1 || day > 31 || month < 1 || month > 12 || year <= 0) return -1;

    return days_from_civil(year, month, day) * seconds_per_day + int64_t{hour} * 3600 + int64_t{minute} * 60 +
           second;
}

int64_t date_now() {
    const platform::wall_clock_time now = platform::local_time_now();
    return make_date(now.year, now.month, now.day, now.hour, now.minute, now.second);
}

std::string date_to_text(std::string_view mask, int64_t date) {
    const std::string pattern(mask);  // the mask may be the very text the result replaces
    const date_fields fields = fields_of(date);
    std::string result;
    result.reserve(pattern.size() + 16);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            result.push_back(pattern[i]);
            continue;
        }
        const std::size_t next = i + 1;
        if (token_at(pattern, next, "yyyy")) {
            result += fields.year == 0 ? "0000" : integer_to_text(fields.year);
            i += 4;
        } else if (token_at(pattern, next, "yy")) {
            const std::string year = integer_to_text(fields.year);
            result += year.size() > 2 ? year.substr(2, 2) : std::string();
            i += 2;
        } else if (token_at(pattern, next, "mm")) {
            result += two_digits(fields.month);
            i += 2;
        } else if (token_at(pattern, next, "dd")) {
            result += two_digits(fields.day);
            i += 2;
        } else if (token_at(pattern, next, "hh")) {
            result += two_digits(fields.hour);
            i += 2;
        } else if (token_at(pattern, next, "ii")) {
            result += two_digits(fields.minute);
            i += 2;
        } else if (token_at(pattern, next, "ss")) {
            result += two_digits(fields.second);
            i += 2;
        } else {
            result.push_back('%');  // not a token: the characters after it are ordinary ones
        }
    }
    return result;
}

}  // namespace services
