#include "platform/message_dialog.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <vector>

#include "platform/gtk_session.h"
#include "platform/message_dialog_testing.h"
#include "platform/termination.h"
#include "platform/window.h"

namespace platform {
namespace {

struct button {
    const char* label;
    int id;
};

message_dialog_responder& responder() {
    static message_dialog_responder instance;
    return instance;
}

std::vector<button> buttons_for(unsigned flags) {
    switch (flags & 0xFu) {
        case MB_OKCANCEL: return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
        case MB_ABORTRETRYIGNORE: return {{"_Abort", IDABORT}, {"_Retry", IDRETRY}, {"_Ignore", IDIGNORE}};
        case MB_YESNOCANCEL: return {{"_Yes", IDYES}, {"_No", IDNO}, {"Cancel", IDCANCEL}};
        case MB_YESNO: return {{"_Yes", IDYES}, {"_No", IDNO}};
        case MB_RETRYCANCEL: return {{"_Retry", IDRETRY}, {"Cancel", IDCANCEL}};
        case MB_CANCELTRYCONTINUE: return {{"Cancel", IDCANCEL}, {"_Try Again", IDTRYAGAIN}, {"_Continue", IDCONTINUE}};
        default: return {{"OK", IDOK}};
    }
}

GtkMessageType type_for(unsigned flags) {
    switch (flags & 0xF0u) {
        case MB_ICONERROR: return GTK_MESSAGE_ERROR;
        case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
        case MB_ICONWARNING: return GTK_MESSAGE_WARNING;
        case MB_ICONINFORMATION: return GTK_MESSAGE_INFO;
        default: return GTK_MESSAGE_OTHER;
    }
}

struct pending_answer {
    message_dialog_request request;
    bool ran = false;
};

gboolean answer_from_responder(gpointer data) {
    auto* pending = static_cast<pending_answer*>(data);
    pending->ran = true;
    if (responder()) {
        const int id = responder()(pending->request);
        if (id != 0) gtk_dialog_response(GTK_DIALOG(pending->request.dialog), id);
    }
    return G_SOURCE_REMOVE;
}

// The boxes now running (nested boxes stack up), with the answer that refuses each.
std::vector<std::pair<GtkWidget*, int>>& running_dialogs() {
    static std::vector<std::pair<GtkWidget*, int>> instance;
    return instance;
}

int refusing_answer(const std::vector<button>& buttons) {
    for (const int wanted : {static_cast<int>(IDNO), static_cast<int>(IDCANCEL)})
        for (const button& entry : buttons)
            if (entry.id == wanted) return wanted;
    return buttons.front().id;
}

}  // namespace

void dismiss_message_dialogs() {
    for (const auto& [dialog, answer] : running_dialogs()) gtk_dialog_response(GTK_DIALOG(dialog), answer);
}

void set_message_dialog_responder(message_dialog_responder callback) { responder() = std::move(callback); }

int run_message_dialog(GtkWidget* owner, const std::string& title, const std::string& text, unsigned flags) {
    if (!ensure_gtk()) return 0;
    // Once the program is being ended from outside, no box waits for a person.
    if (termination_signal() != 0) return refusing_answer(buttons_for(flags));
    if (!is_window(owner)) owner = nullptr;

    GtkWidget* dialog = gtk_message_dialog_new(owner ? GTK_WINDOW(owner) : nullptr, GTK_DIALOG_MODAL, type_for(flags),
                                               GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    gtk_window_set_position(GTK_WINDOW(dialog), owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);

    const std::vector<button> buttons = buttons_for(flags);
    int escape_id = 0;
    for (const button& entry : buttons) {
        gtk_dialog_add_button(GTK_DIALOG(dialog), entry.label, entry.id);
        if (entry.id == IDCANCEL) escape_id = IDCANCEL;
    }
    if (buttons.size() == 1) escape_id = buttons.front().id;
    const size_t default_index = std::min<size_t>((flags & 0xF00u) >> 8, buttons.size() - 1);
    const int default_id = buttons[default_index].id;
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), default_id);
    // Return presses the focused button: focus the default one so Return answers with it.
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), default_id));

    // The owner takes no input while its box is up.
    const bool owner_was_enabled = owner && is_window_enabled(owner);
    if (owner_was_enabled) enable_window(owner, false);

    pending_answer pending{message_dialog_request{dialog, owner, title, text, flags}, false};
    guint answer_source = 0;
    if (responder()) answer_source = g_idle_add(answer_from_responder, &pending);

    running_dialogs().emplace_back(dialog, refusing_answer(buttons));
    int result = 0;
    for (;;) {
        const int response = gtk_dialog_run(GTK_DIALOG(dialog));
        if (response > 0) {
            result = response;
            break;
        }
        if (response == GTK_RESPONSE_DELETE_EVENT && escape_id == 0) continue;  // no way out but a button
        result = response == GTK_RESPONSE_DELETE_EVENT ? escape_id : 0;
        break;
    }
    running_dialogs().pop_back();
    if (answer_source && !pending.ran) g_source_remove(answer_source);
    gtk_widget_destroy(dialog);
    if (owner_was_enabled) enable_window(owner, true);
    return result;
}

}  // namespace platform
