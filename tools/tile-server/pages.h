#pragma once
// The product's information pages that the program's side panels show.
#include <string>

namespace tileserver {

// The HTML of "presentation.html", "publicite1.html" or "publicite2.html"; empty for any
// other name.
std::string page(const std::string& name);

}  // namespace tileserver
