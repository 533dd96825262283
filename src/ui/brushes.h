#pragma once
// Background brushes shared between gadgets of the same colour, counted by their users;
// a brush goes when its last user lets it go. The list has a lock of its own.
#include "platform/gui.h"

namespace ui {

struct brush;

// The brush of a colour (0x00BBGGRR), made on first use; nullptr for -1.
brush* brush_acquire(int colour);
// Gives up one use of a brush (nullptr does nothing).
void brush_release(brush* shared);

// The background a gadget uses to show the brush's colour (null for no brush).
platform::shared_background* brush_background(const brush* shared);

// Number of brushes alive, and the users of the brush of a colour (0 when none).
int brush_count();
int brush_users(int colour);

}  // namespace ui
