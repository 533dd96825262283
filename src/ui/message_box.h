#pragma once
// Modal message boxes. While a box is up every other window of the program is disabled; the
// box is owned by the program's foreground window when it has one.
#include <string_view>

#include "platform/gui.h"

namespace ui {

// Flags of a box: a button set in the low four bits, an icon in the next four, and the default
// button (0 the first) in the four above.
enum message_box_flag : unsigned {
    MESSAGE_BOX_OK = 0x0,
    MESSAGE_BOX_OK_CANCEL = 0x1,
    MESSAGE_BOX_YES_NO_CANCEL = 0x3,
    MESSAGE_BOX_YES_NO = 0x4,
    MESSAGE_BOX_ICON_ERROR = 0x10,
    MESSAGE_BOX_ICON_QUESTION = 0x20,
    MESSAGE_BOX_ICON_WARNING = 0x30,
    MESSAGE_BOX_ICON_INFORMATION = 0x40,
    MESSAGE_BOX_SECOND_BUTTON_DEFAULT = 0x100,
};

// The pressed button.
enum message_box_answer : int { ANSWER_NONE = 0, ANSWER_OK = 1, ANSWER_CANCEL = 2, ANSWER_YES = 6, ANSWER_NO = 7 };

// Returns the pressed button (others than those above for other button sets), ANSWER_NONE
// when no box could be shown.
int message_box(std::string_view title, std::string_view text, unsigned flags);
int message_box_ok(std::string_view title, std::string_view text);

}  // namespace ui
