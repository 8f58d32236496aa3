#pragma once

#include "decode/ByteView.h"
#include "decode/EdidModel.h"
#include "decode/Finding.h"
#include "spec/DetailedTiming.h"

namespace varnex::edid {

// Decodes one 18-byte base block descriptor: a detailed timing when its
// pixel clock is not 0, else a display descriptor chosen by its tag.
// EDID before 1.3 reads aspect code 0 of standard timings as 1:1; before
// 1.4 the range limit offsets (byte 4) do not exist. A pixel clock under
// 10 MHz is no timing: the descriptor keeps the DetailedTiming kind without
// a timing (see checkPixelClock).
Descriptor decodeDescriptor(const ByteView &bytes, bool aspect1to1, bool edid14 = true);

// Pixel clocks below this many 10 kHz units (10 MHz) are no timing: less
// than any video mode needs, and what a table of filler bytes holds.
inline constexpr int DtdMinPixelClock10KHz = 1000;

// Adds a dtd-pixel-clock error when the 18 bytes at `bytes` have a pixel
// clock that is not 0 but under 10 MHz.
void checkPixelClock(const ByteView &bytes, int block, Findings &findings);

// Decodes the detailed timing descriptor at the start of `bytes` (missing
// bytes read as 0), recording where it lies in the image.
DetailedTiming readDetailedTiming(const ByteView &bytes);

// Adds a dtd-blanking warning when the timing has no active area or its
// porches, sync and borders do not fit in its blanking.
void checkDetailedTiming(const DetailedTiming &timing, int block, Findings &findings);

// Text of a name, serial or data string: up to the line feed or all 13
// bytes, bytes outside printable ASCII written as \xNN.
QString descriptorText(const ByteView &bytes);

} // namespace varnex::edid
