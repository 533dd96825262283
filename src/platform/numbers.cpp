#include "platform/numbers.h"

#include <locale.h>

#include <cstdlib>

namespace platform {

double read_real(const std::string& text) {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (!c_locale) return std::atof(text.c_str());
    return strtod_l(text.c_str(), nullptr, c_locale);
}

}  // namespace platform
