#pragma once
// Reading numbers the same way whatever language the desktop speaks.
#include <string>

namespace platform {

// The longest prefix of `text` that the C library reads as a number, read in the "C" locale
// (a full stop is the decimal point even where the user's locale says comma); 0 for none.
double read_real(const std::string& text);

}  // namespace platform
