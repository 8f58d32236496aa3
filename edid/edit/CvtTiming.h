#pragma once

#include "spec/DetailedTiming.h"

#include <optional>

namespace varnex::edid {

// The progressive timing that VESA CVT 1.2 gives with reduced blanking
// version 1 for this size and field rate, without margins. Nothing when the
// size or rate is out of any sensible range (zero, negative, a frame period
// shorter than the minimum vertical blanking).
std::optional<Timing> cvtReducedBlanking(int width, int height, double hz);

} // namespace varnex::edid
