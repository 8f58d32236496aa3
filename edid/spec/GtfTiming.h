#pragma once

#include "spec/Timing.h"

#include <optional>

namespace varnex::edid {

// The progressive timing that VESA GTF 1.1 gives with its default
// parameters (C 40, M 600, K 128, J 20; 550 µs sync and back porch, 3 sync
// lines, 8 % horizontal sync) for this size and frame rate, without
// margins. What a source makes of a standard timing that is no DMT. Nothing
// for a size or rate out of any sensible range.
std::optional<Timing> gtfTiming(int width, int height, double hz);

} // namespace varnex::edid
