#pragma once
// Text operations and the conversions between numbers and text.
//
// Texts are 8-bit byte strings without embedded NULs; positions and lengths count bytes and
// are 1-based where a position is asked for. An absent text is simply the empty text. None
// of these operations fails: out-of-range positions, counts and indices are clamped.
#include <cstdint>
#include <string>
#include <string_view>

namespace services {

int64_t text_length(std::string_view text);

// Position (1-based) of the first occurrence of search at or after start; 0 when there is
// none, when either text is empty, or when start lies beyond the end. A start below 1 is 1.
int64_t text_find(std::string_view text, std::string_view search, int64_t start = 1);

// The first / last count characters, count clamped to 0..length.
std::string text_left(std::string_view text, int64_t count);
std::string text_right(std::string_view text, int64_t count);

// Removes non-overlapping occurrences of search scanning left to right from start.
// count -1 removes all; otherwise at most max(count, 1) occurrences.
std::string text_remove(std::string_view text, std::string_view search, bool case_insensitive = false,
                        int64_t start = 1, int64_t count = -1);

// The index-th (1-based, below 1 counts as 1) field of text split at the first character of
// separator; the empty text when the text ends before that field.
std::string text_field(std::string_view text, int64_t index, std::string_view separator);

bool text_equal(std::string_view a, std::string_view b);

// Reads the longest decimal prefix (atof rules, full stop as decimal point whatever the locale).
double text_to_real(std::string_view text);

// Fixed-point text with `decimals` digits after the point (-1: 10 digits; clamped to 512).
std::string real_to_text(double value, int decimals = -1);

std::string integer_to_text(int64_t value);

}  // namespace services
