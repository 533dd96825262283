#pragma once
// The system message box: a modal dialog with a title, a text and a set of buttons chosen by
// the classic message-box flag bits, answering with the identifier of the pressed button.
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace platform {

// Button sets (flags & 0xF), icons (flags & 0xF0) and default button (flags & 0xF00).
enum message_box_flag : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_CANCELTRYCONTINUE = 0x6,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};

// Identifiers of the buttons.
enum message_box_result : int {
    IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7,
    IDTRYAGAIN = 10, IDCONTINUE = 11,
};

// Shows the box, owned by owner (nullptr for none, else one of our windows, which is disabled
// while the box is up), and runs its modal loop until a button is pressed. Escape and the
// close box answer Cancel when there is one, OK for a lone OK button, and nothing otherwise.
// Returns the button's identifier, or 0 when no box can be shown.
int run_message_dialog(GtkWidget* owner, const std::string& title, const std::string& text, unsigned flags);

// Answers every box that is up as refused: No where there is one, else Cancel, else its lone
// button (the program is being ended from outside and must not wait for a person).
void dismiss_message_dialogs();

}  // namespace platform
