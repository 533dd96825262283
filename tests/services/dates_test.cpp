#include "services/dates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace services {
namespace {

TEST(MakeDate, CountsSecondsFromTheEpochWithoutTimeZone) {
    EXPECT_EQ(make_date(1970, 1, 1, 0, 0, 59), 59);
    EXPECT_EQ(make_date(1970, 1, 1, 1, 2, 3), 3723);
    EXPECT_EQ(make_date(1970, 1, 2, 0, 0, 0), 86400);
    EXPECT_EQ(make_date(2026, 12, 7, 10, 15, 36), 1796638536);
    EXPECT_EQ(make_date(2038, 1, 19, 3, 14, 7), 2147483647);
    // A second later the clock goes on, and comes back as the same fields.
    EXPECT_EQ(make_date(2038, 1, 19, 3, 14, 8), 2147483648);
    EXPECT_EQ(date_to_text("%yyyy-%mm-%dd-%hh%ii%ss", make_date(2106, 2, 7, 6, 28, 16)), "2106-02-07-062816");
}

TEST(MakeDate, RefusesFieldsThatAreNoDate) {
    EXPECT_NE(make_date(2024, 2, 29, 0, 0, 0), -1);
    EXPECT_NE(make_date(2000, 2, 29, 0, 0, 0), -1);
    EXPECT_EQ(make_date(2023, 2, 29, 0, 0, 0), -1);
    EXPECT_EQ(make_date(1900, 2, 29, 0, 0, 0), -1);
    EXPECT_EQ(make_date(2026, 2, 30, 0, 0, 0), -1);
    EXPECT_EQ(make_date(2026, 4, 31, 0, 0, 0), -1);
    EXPECT_EQ(make_date(2026, 1, 1, 24, 0, 0), -1);
    EXPECT_EQ(make_date(2026, 1, 1, 0, 60, 0), -1);
    EXPECT_EQ(make_date(2026, 1, 1, 0, 0, -1), -1);
    EXPECT_EQ(make_date(2026, 1, 0, 0, 0, 0), -1);
    EXPECT_EQ(make_date(2026, 13, 1, 0, 0, 0), -1);
    EXPECT_EQ(make_date(0, 1, 1, 0, 0, 0), -1);
}

TEST(DateToText, ReplacesTokensOfAnyCase) {
    const int64_t morning = make_date(2026, 12, 7, 10, 15, 36);
    EXPECT_EQ(date_to_text("%yyyy-%mm-%dd-", morning), "2026-12-07-");
    EXPECT_EQ(date_to_text("%hh%ii%ss", morning), "101536");
    const int64_t later = make_date(2030, 1, 5, 9, 4, 3);
    EXPECT_EQ(date_to_text("%dd/%mm/%yy %hh:%ii:%ss", later), "05/01/30 09:04:03");
    EXPECT_EQ(date_to_text("%YYYY%Mm%dD", later), "20300105");
}

TEST(DateToText, PercentWithoutATokenStaysAsItIs) {
    const int64_t date = make_date(2030, 1, 5, 9, 4, 3);
    EXPECT_EQ(date_to_text("%x", date), "%x");
    EXPECT_EQ(date_to_text("%%yyyy", date), "%2030");
    EXPECT_EQ(date_to_text("100%", date), "100%");
    EXPECT_EQ(date_to_text("%y-%yyy", date), "%y-30y");
    EXPECT_EQ(date_to_text("", date), "");
    EXPECT_EQ(date_to_text(std::string(10000, 'a') + "%ss", date), std::string(10000, 'a') + "03");
}

TEST(DateToText, WallClockFieldsComeBackUnchangedAcrossDaylightSaving) {
    // 02:30 on the spring-forward night does not exist in Paris, yet the value keeps it.
    setenv("TZ", "Europe/Paris", 1);
    tzset();
    const int64_t date = make_date(2026, 3, 29, 2, 30, 0);
    EXPECT_EQ(date_to_text("%yyyy-%mm-%dd %hh:%ii:%ss", date), "2026-03-29 02:30:00");
}

TEST(DateNow, ReadsTheLocalWallClock) {
    setenv("TZ", "Asia/Kolkata", 1);  // +05:30 all year, so the offset cannot go unnoticed
    tzset();
    const std::time_t before = std::time(nullptr);
    const int64_t now = date_now();
    const std::time_t after = std::time(nullptr);
    std::tm local{};
    localtime_r(&before, &local);
    const int64_t expected = make_date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                       local.tm_min, local.tm_sec);
    EXPECT_GE(now, expected);
    EXPECT_LE(now, expected + static_cast<int64_t>(after - before) + 1);
    EXPECT_NE(date_to_text("%yyyy%mm%dd%hh%ii%ss", now), "");
}

}  // namespace
}  // namespace services
