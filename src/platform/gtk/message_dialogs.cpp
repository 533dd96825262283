// Message dialogs over GtkMessageDialog, and the test hooks that reach into the toolkit.
#include <algorithm>
#include <vector>

#include "platform/gtk/backend.h"
#include "platform/termination.h"
#include "platform/testing.h"

namespace platform {
namespace {

struct button {
    const char* label;
    dialog_answer answer;
};

dialog_responder& responder() {
    static dialog_responder instance;
    return instance;
}

std::vector<button> buttons_for(dialog_buttons set) {
    using a = dialog_answer;
    switch (set) {
        case dialog_buttons::ok_cancel: return {{"OK", a::ok}, {"Cancel", a::cancel}};
        case dialog_buttons::abort_retry_ignore: return {{"_Abort", a::abort}, {"_Retry", a::retry}, {"_Ignore", a::ignore}};
        case dialog_buttons::yes_no_cancel: return {{"_Yes", a::yes}, {"_No", a::no}, {"Cancel", a::cancel}};
        case dialog_buttons::yes_no: return {{"_Yes", a::yes}, {"_No", a::no}};
        case dialog_buttons::retry_cancel: return {{"_Retry", a::retry}, {"Cancel", a::cancel}};
        case dialog_buttons::cancel_try_continue:
            return {{"Cancel", a::cancel}, {"_Try Again", a::try_again}, {"_Continue", a::go_on}};
        default: return {{"OK", a::ok}};
    }
}

GtkMessageType type_for(dialog_icon icon) {
    switch (icon) {
        case dialog_icon::error: return GTK_MESSAGE_ERROR;
        case dialog_icon::question: return GTK_MESSAGE_QUESTION;
        case dialog_icon::warning: return GTK_MESSAGE_WARNING;
        case dialog_icon::information: return GTK_MESSAGE_INFO;
        default: return GTK_MESSAGE_OTHER;
    }
}

struct pending_answer {
    dialog_request request;
    bool ran = false;
};

gboolean answer_from_responder(gpointer data) {
    auto* pending = static_cast<pending_answer*>(data);
    pending->ran = true;
    if (responder()) {
        const dialog_answer answer = responder()(pending->request);
        if (answer != dialog_answer::none)
            gtk_dialog_response(GTK_DIALOG(pending->request.dialog), static_cast<int>(answer));
    }
    return G_SOURCE_REMOVE;
}

// The dialogs now running (nested dialogs stack up), with the answer that refuses each.
std::vector<std::pair<GtkWidget*, dialog_answer>>& running_dialogs() {
    static std::vector<std::pair<GtkWidget*, dialog_answer>> instance;
    return instance;
}

dialog_answer refusing_answer(const std::vector<button>& buttons) {
    for (const dialog_answer wanted : {dialog_answer::no, dialog_answer::cancel})
        for (const button& entry : buttons)
            if (entry.answer == wanted) return wanted;
    return buttons.front().answer;
}

}  // namespace

void dismiss_message_dialogs() {
    for (const auto& [dialog, answer] : running_dialogs()) gtk_dialog_response(GTK_DIALOG(dialog), static_cast<int>(answer));
}

void set_dialog_responder(dialog_responder callback) { responder() = std::move(callback); }

void* toolkit_object(const window* target) { return target ? target->widget : nullptr; }
void* toolkit_object(const control* target) { return target ? target->widget : nullptr; }
int background_paint_count(const window* target) { return target ? target->paint_count : 0; }

dialog_answer run_message_dialog(window* owner, const dialog_spec& spec) {
    if (!open_display()) return dialog_answer::none;
    // Once the program is being ended from outside, no dialog waits for a person.
    if (termination_signal() != 0) return refusing_answer(buttons_for(spec.buttons));
    const std::vector<window*> live = top_level_windows();
    if (std::find(live.begin(), live.end(), owner) == live.end()) owner = nullptr;

    GtkWidget* dialog = gtk_message_dialog_new(owner ? GTK_WINDOW(owner->widget) : nullptr, GTK_DIALOG_MODAL,
                                               type_for(spec.icon), GTK_BUTTONS_NONE, "%s", spec.text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), spec.title.c_str());
    gtk_window_set_position(GTK_WINDOW(dialog), owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);

    const std::vector<button> buttons = buttons_for(spec.buttons);
    dialog_answer escape = buttons.size() == 1 ? buttons.front().answer : dialog_answer::none;
    for (const button& entry : buttons) {
        gtk_dialog_add_button(GTK_DIALOG(dialog), entry.label, static_cast<int>(entry.answer));
        if (entry.answer == dialog_answer::cancel) escape = dialog_answer::cancel;
    }
    const int default_id = static_cast<int>(
        buttons[static_cast<std::size_t>(std::clamp(spec.default_button, 0, static_cast<int>(buttons.size()) - 1))]
            .answer);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), default_id);
    // Return presses the focused button: focus the default one so Return answers with it.
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), default_id));

    // The owner takes no input while its dialog is up.
    const bool owner_was_enabled = owner && is_window_enabled(owner);
    if (owner_was_enabled) enable_window(owner, false);

    pending_answer pending{dialog_request{dialog, owner, spec}, false};
    const guint answer_source = responder() ? g_idle_add(answer_from_responder, &pending) : 0;

    running_dialogs().emplace_back(dialog, refusing_answer(buttons));
    dialog_answer result = dialog_answer::none;
    for (;;) {
        const int response = gtk_dialog_run(GTK_DIALOG(dialog));
        if (response > 0) {
            result = static_cast<dialog_answer>(response);
            break;
        }
        if (response == GTK_RESPONSE_DELETE_EVENT && escape == dialog_answer::none) continue;  // only a button ends it
        result = response == GTK_RESPONSE_DELETE_EVENT ? escape : dialog_answer::none;
        break;
    }
    running_dialogs().pop_back();
    if (answer_source && !pending.ran) g_source_remove(answer_source);
    gtk_widget_destroy(dialog);
    if (owner_was_enabled) enable_window(owner, true);
    return result;
}

}  // namespace platform
