#include "ui/brushes.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>


namespace ui {

struct brush {
    int colour = -1;
    platform::shared_background* background = nullptr;
    int users = 0;
};

namespace {

std::mutex brush_lock;
std::vector<std::unique_ptr<brush>> brushes;

}  // namespace

brush* brush_acquire(int colour) {
    if (colour == -1) return nullptr;
    std::lock_guard<std::mutex> guard(brush_lock);
    for (auto& entry : brushes) {
        if (entry->colour == colour) {
            ++entry->users;
            return entry.get();
        }
    }
    auto made = std::make_unique<brush>();
    made->colour = colour;
    made->users = 1;
    made->background = platform::create_shared_background(colour);
    brushes.push_back(std::move(made));
    return brushes.back().get();
}

void brush_release(brush* shared) {
    if (!shared) return;
    std::lock_guard<std::mutex> guard(brush_lock);
    if (--shared->users > 0) return;
    platform::delete_shared_background(shared->background);
    brushes.erase(std::remove_if(brushes.begin(), brushes.end(), [shared](const auto& e) { return e.get() == shared; }),
                  brushes.end());
}

platform::shared_background* brush_background(const brush* shared) { return shared ? shared->background : nullptr; }

int brush_count() {
    std::lock_guard<std::mutex> guard(brush_lock);
    return static_cast<int>(brushes.size());
}

int brush_users(int colour) {
    std::lock_guard<std::mutex> guard(brush_lock);
    for (auto& entry : brushes)
        if (entry->colour == colour) return entry->users;
    return 0;
}

}  // namespace ui
