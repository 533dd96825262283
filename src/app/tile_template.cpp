#include "app/tile_template.h"

#include "services/settings.h"
#include "services/text.h"

namespace app {
namespace {

constexpr char template_key[] = "LOMTRA_SAT_TILE_URL";

bool starts_without_case(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != prefix[i]) return false;
    }
    return true;
}

// Length of the scheme with its "://", 0 when the text is neither http nor https.
std::size_t web_scheme_length(std::string_view text) {
    if (starts_without_case(text, "http://")) return 7;
    if (starts_without_case(text, "https://")) return 8;
    return 0;
}

int64_t grid_size(int64_t zoom) { return (zoom >= 0 && zoom < 62) ? int64_t{1} << zoom : 0; }

}  // namespace

std::string template_fault(std::string_view text) {
    const std::size_t scheme = web_scheme_length(text);
    if (scheme == 0) return "it is not an http:// or https:// address";
    if (scheme >= text.size() || text[scheme] == '/') return "it names no host after " + std::string(text.substr(0, scheme));
    bool column = false, row = false, zoom = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c <= 0x20 || c == 0x7F) return "it holds a space or a control character";
        if (c == '}') return "a } stands without its {";
        if (c != '{') continue;
        const std::size_t close = text.find('}', i);
        if (close == std::string_view::npos) return "a { is not closed by }";
        const std::string_view name = text.substr(i + 1, close - i - 1);
        if (name == "x") {
            column = true;
        } else if (name == "y" || name == "-y") {
            row = true;
        } else if (name == "z") {
            zoom = true;
        } else if (name == "q") {
            column = row = zoom = true;
        } else {
            return "{" + std::string(name) + "} is not one of {x}, {y}, {-y}, {z} and {q}";
        }
        i = close;
    }
    if (!column) return "it has no column ({x} or {q})";
    if (!row) return "it has no row ({y}, {-y} or {q})";
    if (!zoom) return "it has no zoom ({z} or {q})";
    return {};
}

std::string quadkey(int64_t x, int64_t y, int64_t zoom) {
    const int64_t size = grid_size(zoom);
    if (size == 0 || y < 0 || y >= size) return {};
    x = ((x % size) + size) % size;
    std::string key;
    for (int64_t level = zoom; level > 0; --level) {
        const int64_t bit = int64_t{1} << (level - 1);
        key += static_cast<char>('0' + ((x & bit) ? 1 : 0) + ((y & bit) ? 2 : 0));
    }
    return key;
}

std::string expand_tile_template(std::string_view text, int64_t x, int64_t y, int64_t zoom) {
    std::string address;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t close = text[i] == '{' ? text.find('}', i) : std::string_view::npos;
        if (close == std::string_view::npos) {
            address += text[i];
            continue;
        }
        const std::string_view name = text.substr(i + 1, close - i - 1);
        if (name == "x") {
            address += services::integer_to_text(x);
        } else if (name == "y") {
            address += services::integer_to_text(y);
        } else if (name == "-y") {
            address += services::integer_to_text(grid_size(zoom) - 1 - y);
        } else if (name == "z") {
            address += services::integer_to_text(zoom);
        } else if (name == "q") {
            address += quadkey(x, y, zoom);
        } else {
            address += text.substr(i, close - i + 1);
        }
        i = close;
    }
    return address;
}

std::string tile_template_refusal() {
    const std::string text = services::setting(template_key);
    if (text.empty()) return {};
    const std::string fault = template_fault(text);
    if (fault.empty()) return {};
    return std::string("The tile address template ") + template_key + " = \"" + text + "\", set in " +
           services::setting_origin_text(template_key) + ", cannot be used: " + fault +
           ". Correct it (for example http://127.0.0.1:18089/{z}/{x}/{y}.jpg) or remove it, then start "
           "Lomtra-SAT again.";
}

}  // namespace app
