#pragma once

#include "decode/ByteView.h"
#include "decode/CtaModel.h"
#include "decode/Finding.h"

namespace varnex::edid {

// Decodes a CTA-861 extension block (a 128-byte view whose byte 0 is 0x02).
// A data block that runs past the collection is an error finding; it is
// kept cut short and the walk stops there, since its length no longer
// leads to the next block.
CtaBlock decodeCtaBlock(const ByteView &block, int blockIndex, Findings &findings);

} // namespace varnex::edid
