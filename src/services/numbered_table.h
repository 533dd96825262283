#pragma once
// Records addressed by small numbers the program chooses, the way the file table and the image
// store keep them: a dense array (16 records at first) that grows to exactly number + 16
// records when a larger number is used, and records made for the auto number (-1), whose own
// address is their number from then on. Records never move.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <list>
#include <vector>

namespace services {

template <class Record>
class numbered_table {
public:
    static constexpr std::intptr_t auto_number = -1;
    static constexpr std::size_t growth = 16;

    // Numbers beyond `largest` are refused rather than grown into.
    explicit numbered_table(std::intptr_t largest) : largest_(largest) {}
    numbered_table(const numbered_table&) = delete;
    numbered_table& operator=(const numbered_table&) = delete;

    // The record of a number (numbered, or made for the auto number), or null.
    Record* find(std::intptr_t number) {
        if (number >= 0 && static_cast<std::size_t>(number) < numbered_.size())
            return &numbered_[static_cast<std::size_t>(number)];
        // Auto-numbered records are found by comparing addresses, never by dereferencing.
        for (Record& record : automatic_)
            if (reinterpret_cast<std::intptr_t>(&record) == number) return &record;
        return nullptr;
    }

    // The record for a number, the array grown to reach it; a new record for the auto number.
    // Null for a number below -1 or beyond the largest, or when memory runs out.
    Record* take(std::intptr_t number) {
        if (number == auto_number) return &automatic_.emplace_back();
        if (Record* found = find(number)) return found;
        if (number < 0 || number > largest_) return nullptr;
        try {
            numbered_.resize(static_cast<std::size_t>(number) + growth);
        } catch (const std::exception&) {
            return nullptr;
        }
        return &numbered_[static_cast<std::size_t>(number)];
    }

    // What the operations answer for a record taken under `requested`: its address for the
    // auto number, else the number itself.
    static std::intptr_t number_of(const Record* record, std::intptr_t requested) {
        return requested == auto_number ? reinterpret_cast<std::intptr_t>(record) : requested;
    }

    // Forgets a record made for the auto number (a numbered record stays).
    void remove(const Record* record) {
        automatic_.remove_if([record](const Record& candidate) { return &candidate == record; });
    }

    template <class Action>
    void for_each(Action action) {
        for (Record& record : numbered_) action(record);
        for (Record& record : automatic_) action(record);
    }

    void remove_automatic() { automatic_.clear(); }
    std::size_t capacity() const { return numbered_.size(); }

private:
    std::vector<Record> numbered_ = std::vector<Record>(growth);
    std::list<Record> automatic_;
    std::intptr_t largest_;
};

}  // namespace services
