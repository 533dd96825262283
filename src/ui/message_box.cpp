#include "ui/message_box.h"

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ui {
namespace {

// Windows this code disabled and has still to enable again, with the thread that did it.
std::vector<std::pair<std::thread::id, platform::window*>> disabled_windows;

platform::dialog_spec dialog_for(std::string_view title, std::string_view text, unsigned flags) {
    platform::dialog_spec spec;
    spec.title = std::string(title);
    spec.text = std::string(text);
    const unsigned buttons = flags & 0xFu;
    spec.buttons = buttons <= 6 ? static_cast<platform::dialog_buttons>(buttons) : platform::dialog_buttons::ok;
    const unsigned icon = (flags & 0xF0u) >> 4;
    spec.icon = icon <= 4 ? static_cast<platform::dialog_icon>(icon) : platform::dialog_icon::none;
    spec.default_button = static_cast<int>((flags & 0xF00u) >> 8);
    return spec;
}

}  // namespace

int message_box(std::string_view title, std::string_view text, unsigned flags) {
    const std::thread::id me = std::this_thread::get_id();
    platform::window* foreground = platform::foreground_window();
    for (platform::window* window : platform::top_level_windows()) {
        if (window == foreground || !platform::is_window_visible(window) || !platform::is_window_enabled(window))
            continue;
        platform::enable_window(window, false);
        disabled_windows.emplace_back(me, window);
    }

    const platform::dialog_answer answer = platform::run_message_dialog(foreground, dialog_for(title, text, flags));

    std::vector<std::pair<std::thread::id, platform::window*>> kept;
    for (const auto& [thread, window] : disabled_windows) {
        if (thread != me) {
            kept.emplace_back(thread, window);
            continue;
        }
        platform::enable_window(window, true);  // does nothing for a window that has gone
    }
    disabled_windows = std::move(kept);
    return static_cast<int>(answer);
}

int message_box_ok(std::string_view title, std::string_view text) { return message_box(title, text, MESSAGE_BOX_OK); }

}  // namespace ui
