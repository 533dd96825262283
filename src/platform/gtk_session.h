#pragma once
// Brings the GUI toolkit up once per process, on first need.

namespace platform {

// Starts GTK (with one device pixel per client pixel) if it is not running yet. Safe to call
// any number of times; false when no display can be opened.
bool ensure_gtk();

}  // namespace platform
