#pragma once

#include "decode/ByteView.h"
#include "decode/EdidModel.h"

namespace varnex::edid {

// Decodes block 0 (a 128-byte view) and appends its findings: header,
// version, descriptors, name and range limits. Checksum and extension count
// concern the whole image and are checked by decodeEdid().
BaseBlock decodeBaseBlock(const ByteView &block, Findings &findings);

} // namespace varnex::edid
