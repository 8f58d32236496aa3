#pragma once

#include "decode/ByteView.h"
#include "decode/DisplayIdModel.h"
#include "decode/Finding.h"

namespace varnex::edid {

// Decodes the DisplayID section of an EDID extension block (a 128-byte view
// whose byte 0 is 0x70). Lengths come from the data and are never trusted: a
// section or data block that runs past its end is a finding and is cut
// there; blocks the decoder does not know stay in dataBlocks as bytes.
DisplayIdSection decodeDisplayIdBlock(const ByteView &block, int blockIndex, Findings &findings);

// The name of a DisplayID data block tag, "Unknown Data Block (0x45)" for a
// tag neither version defines.
QString displayIdBlockName(int tag);

} // namespace varnex::edid
