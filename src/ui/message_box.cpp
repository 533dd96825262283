#include "ui/message_box.h"

#include <algorithm>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/message_dialog.h"
#include "platform/window.h"

namespace ui {
namespace {

// Windows this code disabled and has still to enable again, with the thread that did it.
std::vector<std::pair<std::thread::id, GtkWidget*>> disabled_windows;

}  // namespace

int message_box(std::string_view title, std::string_view text, unsigned flags) {
    const std::thread::id me = std::this_thread::get_id();
    GtkWidget* foreground = platform::foreground_window();
    for (GtkWidget* window : platform::top_level_windows()) {
        if (window == foreground || !platform::is_window_visible(window) || !platform::is_window_enabled(window))
            continue;
        platform::enable_window(window, false);
        disabled_windows.emplace_back(me, window);
    }

    const int result = platform::run_message_dialog(foreground, std::string(title), std::string(text), flags);

    std::vector<std::pair<std::thread::id, GtkWidget*>> kept;
    for (const auto& [thread, window] : disabled_windows) {
        if (thread != me) {
            kept.emplace_back(thread, window);
            continue;
        }
        platform::enable_window(window, true);  // does nothing for a window that has gone
    }
    disabled_windows = std::move(kept);
    return result;
}

int message_box_ok(std::string_view title, std::string_view text) { return message_box(title, text, 0); }

}  // namespace ui
