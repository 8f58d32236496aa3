#pragma once

#include "decode/ByteView.h"
#include "decode/EdidModel.h"
#include "decode/Finding.h"
#include "spec/DetailedTiming.h"

namespace varnex::edid {

// Decodes one 18-byte base block descriptor: a detailed timing when its
// pixel clock is not 0, else a display descriptor chosen by its tag.
// EDID before 1.3 reads aspect code 0 of standard timings as 1:1.
Descriptor decodeDescriptor(const ByteView &bytes, bool aspect1to1);

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
