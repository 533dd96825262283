#pragma once
// Owning handles for the C resources the program holds. Each is a unique_ptr whose deleter is
// the one C function that releases the resource, so a handle frees what it holds when it goes
// away, on every path. The toolkit's own objects (cairo surfaces, GObject references, GLib
// strings) get their handles from the same template inside the platform's backend.
#include <cstdio>
#include <memory>

namespace platform {

template <auto release>
struct released_by {
    template <class T>
    void operator()(T* resource) const {
        release(resource);
    }
};

// owned<T, f>: owns a T* and calls f on it (never on null).
template <class T, auto release>
using owned = std::unique_ptr<T, released_by<release>>;

inline void close_stream(std::FILE* file) { std::fclose(file); }
using file_handle = owned<std::FILE, close_stream>;

struct bitmap;
void delete_bitmap(bitmap* handle);
using bitmap_handle = owned<bitmap, delete_bitmap>;

}  // namespace platform
