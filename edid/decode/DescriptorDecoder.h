#pragma once

#include "decode/ByteView.h"
#include "decode/EdidModel.h"

namespace varnex::edid {

// Decodes one 18-byte base block descriptor: a detailed timing when its
// pixel clock is not 0, else a display descriptor chosen by its tag.
// EDID before 1.3 reads aspect code 0 of standard timings as 1:1.
Descriptor decodeDescriptor(const ByteView &bytes, bool aspect1to1);

// Text of a name, serial or data string: up to the line feed or all 13
// bytes, bytes outside printable ASCII written as \xNN.
QString descriptorText(const ByteView &bytes);

} // namespace varnex::edid
