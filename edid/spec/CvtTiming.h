#pragma once

#include "spec/DetailedTiming.h"

#include <optional>

namespace varnex::edid {

// The progressive timing that VESA CVT 1.2 gives with reduced blanking
// version 1 for this size and field rate, without margins. Nothing when the
// size or rate is out of any sensible range (zero, negative, a frame period
// shorter than the minimum vertical blanking).
std::optional<Timing> cvtReducedBlanking(int width, int height, double hz);

// The progressive timing that VESA CVT 1.2 gives with normal (CRT) blanking
// for this size and field rate, without margins: what an EDID 1.4 source
// makes of a standard timing that is no DMT when the range limits say CVT.
// Nothing for a size or rate out of any sensible range.
std::optional<Timing> cvtTiming(int width, int height, double hz);

} // namespace varnex::edid
