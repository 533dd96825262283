#pragma once
// How much memory this process can still have.

#include <cstdint>

namespace platform {

// Bytes the process may still allocate: the least of what the system reports available and
// what the process's own limits on address space and data leave it. -1 when nothing is known.
int64_t available_memory();

}  // namespace platform
