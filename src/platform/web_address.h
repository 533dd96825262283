#pragma once
// Addresses as the user and the program write them, made fit for the browser engine.
#include <string>
#include <string_view>

namespace platform {

// An address without a scheme ("example.org/page.html", "127.0.0.1:18089/x") gets "http://"
// in front: the program writes its own pages' addresses that way, and the engine would refuse
// them.
// Text that is not valid UTF-8 is taken as Latin-1. Empty stays empty.
std::string complete_web_address(std::string_view address);

}  // namespace platform
