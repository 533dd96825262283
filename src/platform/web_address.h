#pragma once
// Addresses as the user and the program write them, made fit for the browser engine.
#include <string>
#include <string_view>

namespace platform {

// An address without a scheme ("example.org/page.html", "127.0.0.1:18089/x") gets "http://"
// in front, as the hosted browser of the original platform did; the engine would refuse it.
// Text that is not valid UTF-8 is taken as Latin-1. Empty stays empty.
std::string complete_web_address(std::string_view address);

}  // namespace platform
