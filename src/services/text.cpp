#include "services/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/numbers.h"

namespace services {

namespace {

int64_t clamp_count(int64_t count, std::size_t length) {
    if (count < 0) return 0;
    return std::min<int64_t>(count, static_cast<int64_t>(length));
}

char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matches_at(std::string_view text, std::size_t pos, std::string_view search, bool case_insensitive) {
    if (text.size() - pos < search.size()) return false;
    for (std::size_t i = 0; i < search.size(); ++i) {
        char a = text[pos + i];
        char b = search[i];
        if (case_insensitive) {
            a = ascii_lower(a);
            b = ascii_lower(b);
        }
        if (a != b) return false;
    }
    return true;
}

}  // namespace

int64_t text_length(std::string_view text) {
    return static_cast<int64_t>(text.size());
}

int64_t text_find(std::string_view text, std::string_view search, int64_t start) {
    if (text.empty() || search.empty()) return 0;
    if (start < 1) start = 1;
    if (start > text_length(text)) return 0;
    const std::size_t found = text.find(search, static_cast<std::size_t>(start - 1));
    return found == std::string_view::npos ? 0 : static_cast<int64_t>(found) + 1;
}

std::string text_left(std::string_view text, int64_t count) {
    return std::string(text.substr(0, static_cast<std::size_t>(clamp_count(count, text.size()))));
}

std::string text_right(std::string_view text, int64_t count) {
    const auto n = static_cast<std::size_t>(clamp_count(count, text.size()));
    return std::string(text.substr(text.size() - n));
}

std::string text_remove(std::string_view text, std::string_view search, bool case_insensitive, int64_t start,
                        int64_t count) {
    if (text.empty() || search.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    if (start > 1) {
        // A start past the end simply leaves nothing to scan.
        pos = std::min(static_cast<std::size_t>(start - 1), text.size());
        result.append(text.substr(0, pos));
    }
    const bool remove_all = count == -1;
    while (pos < text.size()) {
        if (!matches_at(text, pos, search, case_insensitive)) {
            result.push_back(text[pos]);
            ++pos;
            continue;
        }
        pos += search.size();
        if (!remove_all && --count <= 0) break;
    }
    result.append(text.substr(pos));
    return result;
}

std::string text_field(std::string_view text, int64_t index, std::string_view separator) {
    // An empty separator stands for the terminator, which never occurs inside a text.
    const char sep = separator.empty() ? '\0' : separator.front();
    if (index < 1) index = 1;
    std::size_t field_start = 0;
    int64_t field = 1;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != sep) continue;
        if (field == index) return std::string(text.substr(field_start, i - field_start));
        ++field;
        field_start = i + 1;
    }
    return {};
}

bool text_equal(std::string_view a, std::string_view b) {
    return a == b;
}

double text_to_real(std::string_view text) {
    // Texts never hold NULs, so anything after one is ignored. A full stop is the decimal
    // point however the toolkit set up the user's locale.
    return platform::read_real(std::string(text.substr(0, std::min(text.size(), text.find('\0')))));
}

std::string real_to_text(double value, int decimals) {
    if (std::isinf(value)) return value > 0 ? "+Infinity" : "-Infinity";
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    if (bits == ~uint64_t{0}) return "NaN";

    const int digits = decimals == -1 ? 10 : std::clamp(decimals, 0, 512);
    // 309 integer digits, the point, 512 decimals and a sign fit with room to spare.
    char buffer[1024];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    if (result.ec != std::errc()) return "NaN";
    return std::string(buffer, result.ptr);
}

std::string integer_to_text(int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace services
