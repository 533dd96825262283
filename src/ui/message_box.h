#pragma once
// Modal message boxes. While a box is up every other window of the program is disabled; the
// box is owned by the program's foreground window when it has one.
#include <string_view>

namespace ui {

// flags: the classic message-box flag bits (0 one OK button, 4 Yes and No, ...).
// Returns the pressed button: 1 OK, 6 Yes, 7 No (others for other flags), 0 when no box could
// be shown.
int message_box(std::string_view title, std::string_view text, unsigned flags);
int message_box_ok(std::string_view title, std::string_view text);

}  // namespace ui
