#include "platform/web_address.h"

#include <glib.h>

#include <cctype>

namespace platform {
namespace {

// Schemes that take no "//" after the colon.
bool is_opaque_scheme(std::string_view scheme) {
    for (std::string_view known : {"about", "data", "javascript", "mailto", "blob"})
        if (scheme.size() == known.size() &&
            g_ascii_strncasecmp(scheme.data(), known.data(), known.size()) == 0)
            return true;
    return false;
}

bool has_scheme(std::string_view address) {
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    const std::string_view scheme = address.substr(0, colon);
    if (!std::isalpha(static_cast<unsigned char>(scheme[0]))) return false;
    for (char c : scheme)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    // "host:port/..." looks like a scheme too; a real one is followed by "//" or is opaque.
    return address.substr(colon + 1, 2) == "//" || is_opaque_scheme(scheme);
}

}  // namespace

std::string complete_web_address(std::string_view address) {
    if (address.empty()) return {};
    std::string text(address);
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        gchar* converted = g_convert(text.data(), static_cast<gssize>(text.size()), "UTF-8",
                                     "ISO-8859-1", nullptr, nullptr, nullptr);
        text = converted ? converted : "";
        g_free(converted);
    }
    return has_scheme(text) ? text : "http://" + text;
}

}  // namespace platform
