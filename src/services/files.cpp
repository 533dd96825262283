#include "services/files.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/native_file.h"
#include "platform/paths.h"
#include "services/numbered_table.h"

namespace services {

namespace {

constexpr std::size_t default_buffer_size = 4096;
// A file number beyond this is refused instead of growing the table to an absurd size.
constexpr file_number largest_file_number = 1 << 20;
constexpr std::size_t longest_name = 260;

struct file_record {
    platform::native_file handle;
    std::unique_ptr<unsigned char[]> buffer;  // none: every transfer goes straight to the file
    std::size_t buffer_size = 0;
    std::size_t remaining = 0;  // reading: unread bytes in the buffer; writing: free bytes
    std::size_t fill_count = 0;
    bool writing = false;
};

void flush(file_record& record);

// A program that ends without close_all_files still gets its written lines onto disk.
struct file_table : numbered_table<file_record> {
    file_table() : numbered_table(largest_file_number) {}
    ~file_table() { for_each(flush); }
};

file_table& table() {
    static file_table instance;
    return instance;
}

file_record* open_record(file_number number) {
    file_record* record = table().find(number);
    return record && record->handle.is_open() ? record : nullptr;
}

void flush(file_record& record) {
    if (!record.writing || !record.buffer) return;
    const std::size_t pending = record.buffer_size - record.remaining;
    if (pending > 0) record.handle.write(record.buffer.get(), pending);  // failures are not reported
    record.remaining = record.buffer_size;
}

void close_record(file_record& record) {
    if (!record.handle.is_open()) return;
    flush(record);
    record = file_record();
}

std::size_t read_bytes(file_record& record, unsigned char* destination, std::size_t n) {
    if (!record.buffer) return record.handle.read(destination, n);
    if (record.writing) {
        flush(record);
        record.writing = false;
        record.remaining = 0;
    }
    const unsigned char* unread = record.buffer.get() + (record.fill_count - record.remaining);
    if (record.remaining >= n) {
        std::memcpy(destination, unread, n);
        record.remaining -= n;
        return n;
    }
    const std::size_t from_buffer = record.remaining;
    std::memcpy(destination, unread, from_buffer);
    record.remaining = 0;
    const std::size_t rest = n - from_buffer;
    if (rest >= record.buffer_size) return from_buffer + record.handle.read(destination + from_buffer, rest);

    const std::size_t got = record.handle.read(record.buffer.get(), record.buffer_size);
    record.fill_count = record.remaining = got;
    const std::size_t taken = std::min(rest, got);
    std::memcpy(destination + from_buffer, record.buffer.get(), taken);
    record.remaining -= taken;
    return from_buffer + taken;
}

void write_bytes(file_record& record, const unsigned char* source, std::size_t n) {
    if (!record.buffer) {
        record.handle.write(source, n);
        return;
    }
    if (!record.writing) {
        // Give back the read-ahead so the bytes land where the reader stopped.
        if (record.remaining > 0) record.handle.seek_relative(-static_cast<int64_t>(record.remaining));
        record.writing = true;
        record.remaining = record.buffer_size;
    }
    if (record.remaining > n) {
        std::memcpy(record.buffer.get() + (record.buffer_size - record.remaining), source, n);
        record.remaining -= n;
        return;
    }
    flush(record);
    if (n >= record.buffer_size) {
        record.handle.write(source, n);
        return;
    }
    std::memcpy(record.buffer.get(), source, n);
    record.remaining -= n;
}

intptr_t open_file(file_number number, std::string_view name, platform::native_file::mode how) {
    file_record* record = table().take(number);
    if (!record) return 0;
    close_record(*record);

    platform::native_file handle;
    if (!handle.open(platform::native_path(name), how)) {
        if (number == auto_file_number) table().remove(record);
        return 0;
    }
    record->handle = std::move(handle);
    // Without memory for a buffer the file still works, one platform call per transfer.
    record->buffer.reset(new (std::nothrow) unsigned char[default_buffer_size]);
    record->buffer_size = record->buffer ? default_buffer_size : 0;
    record->remaining = 0;
    record->fill_count = 0;
    record->writing = false;
    if (number == auto_file_number) return file_table::number_of(record, number);
    return std::max(record->handle.descriptor(), 1);
}

std::string cut_name(std::string_view name) {
    return std::string(name.substr(0, longest_name));
}

}  // namespace

intptr_t open_for_reading(file_number number, std::string_view name) {
    return open_file(number, name, platform::native_file::mode::read);
}

intptr_t create_file(file_number number, std::string_view name) {
    return open_file(number, name, platform::native_file::mode::create);
}

intptr_t open_for_update(file_number number, std::string_view name) {
    return open_file(number, name, platform::native_file::mode::update);
}

void close_file(file_number number) {
    if (number == auto_file_number) return;
    file_record* record = open_record(number);
    if (!record) return;
    close_record(*record);
    table().remove(record);
}

void close_all_files() {
    table().for_each(close_record);
    table().remove_automatic();
}

int read_byte(file_number number) {
    file_record* record = open_record(number);
    if (!record) return 0;
    unsigned char byte = 0;
    return read_bytes(*record, &byte, 1) == 1 ? byte : 0;
}

int end_of_file(file_number number) {
    file_record* record = open_record(number);
    if (!record) return 0;
    unsigned char byte = 0;
    if (read_bytes(*record, &byte, 1) == 0) return 1;
    if (record->buffer) {
        ++record->remaining;
    } else {
        record->handle.seek_relative(-1);
    }
    return 0;
}

int64_t write_line(file_number number, std::string_view text) {
    file_record* record = open_record(number);
    if (!record) return 0;
    if (!text.empty()) write_bytes(*record, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    static const unsigned char line_end[2] = {0x0D, 0x0A};
    write_bytes(*record, line_end, 2);
    return static_cast<int64_t>(text.size()) + 2;
}

int64_t file_size(std::string_view name) {
    std::string cut = cut_name(name);
    if (cut.empty()) return -1;
    if ((cut.size() == 2 || cut.size() == 3) && cut[1] == ':') {
        // A drive: only its root ("C:" or "C:\") names it.
        const bool root = cut.size() == 2 || cut[2] == '\\' || cut[2] == '/';
        return root && platform::drive_exists(cut[0]) ? -2 : -1;
    }
    while (!cut.empty() && cut.back() == '\\') cut.pop_back();
    if (cut.empty()) return -1;
    const platform::path_info found = platform::look_up_path(platform::native_path(cut));
    if (found.kind == platform::path_kind::missing) return -1;
    if (found.kind == platform::path_kind::folder) return -2;
    // A file name followed by "/" does not name the file.
    if (cut.back() == '/') return -1;
    return found.size;
}

int remove_file(std::string_view name) {
    return platform::delete_file(platform::native_path(name)) ? 1 : 0;
}

int make_directory(std::string_view name) {
    std::string cut = cut_name(name);
    while (!cut.empty() && (cut.back() == ' ' || cut.back() == '/' || cut.back() == '\\')) cut.pop_back();
    if (cut.empty()) return 0;
    return platform::make_folder(platform::native_path(cut)) ? 1 : 0;
}

}  // namespace services
