#pragma once

#include "decode/ByteView.h"
#include "decode/DisplayIdModel.h"

namespace varnex::edid {

// The named parts of a VTB (0x10), DI-EXT (0x40) or block map (0xF0)
// extension block: header fields and each timing or section of the block,
// with their bytes. Empty for other tags. Reads only inside `block`.
QList<ExtensionField> extensionFields(const ByteView &block, int tag);

} // namespace varnex::edid
