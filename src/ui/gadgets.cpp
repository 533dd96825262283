#include "ui/gadgets.h"

#include <vector>

#include "ui/brushes.h"
#include "ui/windows.h"

namespace ui {
namespace {

std::vector<std::unique_ptr<gadget_record>> gadget_table;

gadget_record* record_of_handle(const platform::control* handle) {
    for (const auto& record : gadget_table)
        if (record && record->handle == handle) return record.get();
    return nullptr;
}

}  // namespace

platform::control_callbacks gadget_callbacks() {
    platform::control_callbacks callbacks;
    callbacks.acted = [](platform::control* handle, platform::user_action action, int x, int y) {
        gadget_record* record = record_of_handle(handle);
        if (record && record->kind->act) record->kind->act(*record, action, x, y);
    };
    callbacks.picture = [](platform::control* handle) -> const platform::pixel_view* {
        gadget_record* record = record_of_handle(handle);
        return record && record->kind->picture ? record->kind->picture(*record) : nullptr;
    };
    // The control is going: its kind's data and brush go with the record, and the number is free.
    callbacks.destroyed = [](platform::control* handle) {
        gadget_record* record = record_of_handle(handle);
        if (!record) return;
        brush_release(record->background_brush);
        gadget_table[static_cast<size_t>(record->number)].reset();
    };
    return callbacks;
}

gadget_record* create_gadget(int number, const platform::control_spec& spec, const gadget_kind& kind,
                             std::unique_ptr<gadget_data> data) {
    if (!can_create_gadget(number)) return nullptr;
    return register_gadget(number, platform::create_control(current_parent_window(), spec, gadget_callbacks()), kind,
                           std::move(data));
}

gadget_record* register_gadget(int number, platform::control* handle, const gadget_kind& kind,
                               std::unique_ptr<gadget_data> data) {
    if (!handle) return nullptr;
    if (number < 0) {
        platform::destroy_control(handle);
        return nullptr;
    }
    if (gadget_record* old = gadget_record_of(number)) platform::destroy_control(old->handle);
    if (number >= static_cast<int>(gadget_table.size())) gadget_table.resize(static_cast<size_t>(number) + 50);
    auto record = std::make_unique<gadget_record>();
    record->handle = handle;
    record->kind = &kind;
    record->number = number;
    record->data = std::move(data);
    gadget_table[static_cast<size_t>(number)] = std::move(record);
    return gadget_table[static_cast<size_t>(number)].get();
}

bool can_create_gadget(int number) { return number >= 0 && current_parent_window() != nullptr; }

gadget_record* gadget_record_of(int number) {
    if (number < 0 || number >= static_cast<int>(gadget_table.size())) return nullptr;
    return gadget_table[static_cast<size_t>(number)].get();
}

int gadget_number_of(const platform::control* handle) {
    const gadget_record* record = handle ? record_of_handle(handle) : nullptr;
    return record ? record->number : -1;
}

void gadget_set_text(int gadget, std::string_view text) {
    gadget_record* record = gadget_record_of(gadget);
    if (!record) return;
    if (record->kind->set_text) record->kind->set_text(*record, std::string(text));
    else record->text = std::string(text);
}

std::string gadget_get_text(int gadget) {
    gadget_record* record = gadget_record_of(gadget);
    if (!record) return {};
    return record->kind->get_text ? record->kind->get_text(*record) : record->text;
}

void gadget_set_state(int gadget, intptr_t value) {
    gadget_record* record = gadget_record_of(gadget);
    if (record && record->kind->set_state) record->kind->set_state(*record, value);
}

intptr_t gadget_get_state(int gadget) {
    gadget_record* record = gadget_record_of(gadget);
    return record && record->kind->get_state ? record->kind->get_state(*record) : 0;
}

void gadget_disable(int gadget, int flag) {
    if (gadget_record* record = gadget_record_of(gadget)) platform::enable_control(record->handle, flag == 0);
}

void gadget_set_colour(int gadget, int which, int colour) {
    gadget_record* record = gadget_record_of(gadget);
    if (record && record->kind->set_colour) record->kind->set_colour(*record, which, colour);
}

int gadget_get_colour(int gadget, int which) {
    gadget_record* record = gadget_record_of(gadget);
    return record && record->kind->get_colour ? record->kind->get_colour(*record, which) : 0;
}

intptr_t gadget_get_attribute(int gadget, int attribute) {
    gadget_record* record = gadget_record_of(gadget);
    return record && record->kind->get_attribute ? record->kind->get_attribute(*record, attribute) : 0;
}

void gadget_set_attribute(int gadget, int attribute, intptr_t value) {
    gadget_record* record = gadget_record_of(gadget);
    if (record && record->kind->set_attribute) record->kind->set_attribute(*record, attribute, value);
}

platform::control* gadget_handle(int gadget) {
    gadget_record* record = gadget_record_of(gadget);
    return record ? record->handle : nullptr;
}

std::string shown_text(gadget_record& record) { return platform::control_text(record.handle); }

void show_text(gadget_record& record, const std::string& text) { platform::set_control_text(record.handle, text); }

void set_text_colours(gadget_record& record, int which, int colour, int fill) {
    if (which == COLOUR_TEXT) {
        record.text_colour = colour;
    } else if (which == COLOUR_BACKGROUND) {
        platform::use_shared_background(record.handle, brush_background(record.background_brush), false);
        brush_release(record.background_brush);
        record.background_brush = brush_acquire(colour);
        record.background_colour = colour;
        platform::use_shared_background(record.handle, brush_background(record.background_brush), true);
    } else {
        return;
    }
    const bool fill_shows = record.text_colour != -1 && record.background_colour == -1;
    platform::set_control_colours(record.handle, record.text_colour, fill_shows ? fill : -1);
}

int get_text_colours(const gadget_record& record, int which) {
    if (which == COLOUR_TEXT) return record.text_colour;
    if (which == COLOUR_BACKGROUND) return record.background_colour;
    return 0;
}

}  // namespace ui
