#pragma once
// One input picture through the filter into a 24-bit bitmap, byte for byte what the window's
// Create writes for the same source and filter.

#include "velmor/engine/colorvalues.h"

#include <QString>
#include <atomic>

namespace cli {

// Thrown when stop was raised (an interrupt) before the output was complete.
struct Stopped {};

// Renders input with the filter colour and replaces output atomically: the output is either
// left as it was or complete. A plain 24-bit bottom-up bitmap is filtered straight from its own
// rows; any other picture is decoded first. Throws platform::RuntimeError.
void filterToBitmap(const QString& input, const QString& output, engine::ColorValue color,
    const std::atomic<bool>& stop);

} // namespace cli
