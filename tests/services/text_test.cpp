#include "services/text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace services {
namespace {

TEST(TextFind, FindsFromStartPositionAndRejectsDegenerateInput) {
    const std::string kml = "<coordinates>1,2</coordinates>";
    EXPECT_EQ(text_find(kml, "coordinates", 1), 2);
    EXPECT_EQ(text_find(kml, "coordinates", 3), 19);
    EXPECT_EQ(text_find(kml, "", 1), 0);
    EXPECT_EQ(text_find("", "a", 1), 0);
    EXPECT_EQ(text_find(kml, "coordinates", 31), 0);
    EXPECT_EQ(text_find(kml, "coordinates", -5), 2);
    EXPECT_EQ(text_find("aaab", "aab", 1), 2);  // overlapping attempts
    EXPECT_EQ(text_find("abc", "abcd", 1), 0);
}

TEST(TextCut, LeftAndRightClampTheirCount) {
    EXPECT_EQ(text_left("abc", 5), "abc");
    EXPECT_EQ(text_left("abc", -1), "");
    EXPECT_EQ(text_left("abc", 2), "ab");
    EXPECT_EQ(text_right("abcdef", 2), "ef");
    EXPECT_EQ(text_right("abc", 9), "abc");
    EXPECT_EQ(text_right("abc", -3), "");
    EXPECT_EQ(text_length(""), 0);
    EXPECT_EQ(text_length("abc"), 3);
}

TEST(TextRemove, RemovesWithoutRescanningWhatItProduced) {
    EXPECT_EQ(text_remove("1,2,0 3,4,0 ", "0 "), "1,2,3,4,");
    EXPECT_EQ(text_remove("00 ", "0 "), "0");
    EXPECT_EQ(text_remove("1234.5678000000", "."), "12345678000000");
    EXPECT_EQ(text_remove("", "x"), "");
    EXPECT_EQ(text_remove("abc", ""), "abc");
}

TEST(TextRemove, HonoursCaseStartAndCount) {
    EXPECT_EQ(text_remove("aXbxcx", "x", true), "abc");
    EXPECT_EQ(text_remove("aXbxcx", "x", false), "aXbc");
    EXPECT_EQ(text_remove("x1x2x3", "x", false, 2), "x123");
    EXPECT_EQ(text_remove("x1x2x3", "x", false, 1, 2), "12x3");
    EXPECT_EQ(text_remove("x1x2x3", "x", false, 1, 0), "1x2x3");  // 0 behaves like 1
    EXPECT_EQ(text_remove("x1x2x3", "x", false, 99), "x1x2x3");   // start past the end
}

TEST(TextField, SplitsAtTheFirstSeparatorCharacter) {
    EXPECT_EQ(text_field("a,b,,c", 3, ","), "");
    EXPECT_EQ(text_field("a,b,,c", 4, ","), "c");
    EXPECT_EQ(text_field("a,b,,c", 5, ","), "");
    EXPECT_EQ(text_field("a,b,,c", 0, ","), "a");
    EXPECT_EQ(text_field("12.345", 0, "."), "12");
    EXPECT_EQ(text_field("a;b,c", 2, ",;"), "c");
    EXPECT_EQ(text_field("a,b,", 3, ","), "");
    EXPECT_EQ(text_field("a,b", 1, ""), "a,b");
    EXPECT_EQ(text_field("a,b", 2, ""), "");
}

TEST(TextEqual, ComparesBytesExactly) {
    EXPECT_TRUE(text_equal("nofile", "nofile"));
    EXPECT_FALSE(text_equal("nofile", "NOFILE"));
    EXPECT_TRUE(text_equal("", std::string_view()));
    EXPECT_FALSE(text_equal("a", ""));
}

TEST(TextToReal, ReadsTheLongestNumberPrefix) {
    EXPECT_EQ(text_to_real("43.1"), 43.1);
    EXPECT_EQ(text_to_real("  -5.25xyz"), -5.25);
    EXPECT_EQ(text_to_real("\t\n+7"), 7.0);
    EXPECT_EQ(text_to_real("1e3"), 1000.0);
    EXPECT_EQ(text_to_real("2.5E-1"), 0.25);
    EXPECT_EQ(text_to_real("12,5"), 12.0);
    EXPECT_EQ(text_to_real(""), 0.0);
    EXPECT_EQ(text_to_real("abc"), 0.0);
    EXPECT_EQ(text_to_real("0"), 0.0);
    EXPECT_EQ(text_to_real("1e"), 1.0);
    EXPECT_TRUE(std::isinf(text_to_real("1e400")));
}

// Sets a French locale, whose decimal separator is a comma: the machine's own when it has one,
// else one made for this test with localedef into a folder of the test's own.
bool use_decimal_comma_locale(const test_support::temp_dir& folder) {
    if (std::setlocale(LC_ALL, "fr_FR.UTF-8")) return true;
    const std::string made = folder.file("fr_FR.UTF-8");
    const std::string command = "localedef -i fr_FR -f UTF-8 '" + made + "'";
    if (std::system(command.c_str()) != 0 && !std::ifstream(made + "/LC_NUMERIC")) return false;
    setenv("LOCPATH", folder.path().c_str(), 1);
    return std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
}

TEST(TextToReal, UsesAFullStopWhateverTheLocale) {
    test_support::temp_dir folder;
    ASSERT_TRUE(use_decimal_comma_locale(folder)) << "localedef could not make fr_FR.UTF-8 (package locales)";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(text_to_real("43.125"), 43.125);
    EXPECT_EQ(text_to_real("43,125"), 43.0);
    EXPECT_EQ(real_to_text(43.125, 3), "43.125");
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
}

TEST(RealToText, SixDecimalsForTheAreaFields) {
    EXPECT_EQ(real_to_text(-60.0, 6), "-60.000000");
    EXPECT_EQ(real_to_text(75.0, 6), "75.000000");
    EXPECT_EQ(real_to_text(-169.0, 6), "-169.000000");
    EXPECT_EQ(real_to_text(43.1, 6), "43.100000");
    EXPECT_EQ(real_to_text(0.0, 6), "0.000000");
    EXPECT_EQ(real_to_text(-0.0000001, 6), "-0.000000");
    EXPECT_EQ(real_to_text(1234567.891, 6), "1234567.891000");
    EXPECT_EQ(real_to_text(1e20, 6), "100000000000000000000.000000");
}

TEST(RealToText, TenDecimalsByDefault) {
    EXPECT_EQ(real_to_text(825195.3125), "825195.3125000000");
    EXPECT_EQ(real_to_text(-169.0), "-169.0000000000");
    EXPECT_EQ(real_to_text(0.0000005), "0.0000005000");
    EXPECT_EQ(real_to_text(1.0 / 3.0), "0.3333333333");
    EXPECT_EQ(real_to_text(2.5, 0), "2");  // no point without decimals; ties to even
}

TEST(RealToText, SpecialValuesAndTheDecimalsLimit) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(real_to_text(inf), "+Infinity");
    EXPECT_EQ(real_to_text(inf, 3), "+Infinity");
    EXPECT_EQ(real_to_text(-inf, 0), "-Infinity");
    uint64_t ones = ~uint64_t{0};
    double all_ones = 0;
    std::memcpy(&all_ones, &ones, sizeof all_ones);
    EXPECT_EQ(real_to_text(all_ones), "NaN");

    const std::string wide = real_to_text(1.0, 600);
    EXPECT_EQ(wide.size(), 2u + 512u);
    EXPECT_EQ(wide.substr(0, 4), "1.00");
    // The largest double with 512 decimals: exact digits, never an exponent.
    const std::string largest = real_to_text(-std::numeric_limits<double>::max(), 512);
    EXPECT_EQ(largest.size(), 1u + 309u + 1u + 512u);
    EXPECT_LT(largest.size(), 1024u);
    EXPECT_EQ(largest.find_first_of("eE+"), std::string::npos);
    // The smallest subnormal is exact within 512 decimals.
    const std::string tiny = real_to_text(std::numeric_limits<double>::denorm_min(), 512);
    EXPECT_EQ(tiny.substr(0, 2 + 323), "0." + std::string(323, '0'));
    EXPECT_EQ(tiny.substr(2 + 323, 6), "494065");
}

TEST(IntegerToText, CoversTheWholeRange) {
    EXPECT_EQ(integer_to_text(0), "0");
    EXPECT_EQ(integer_to_text(-5), "-5");
    EXPECT_EQ(integer_to_text(2147483648LL), "2147483648");
    EXPECT_EQ(integer_to_text(-2147483648LL), "-2147483648");
    EXPECT_EQ(integer_to_text(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(integer_to_text(std::numeric_limits<int64_t>::max()), "9223372036854775807");
}

}  // namespace
}  // namespace services
