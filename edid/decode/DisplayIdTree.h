#pragma once

#include "decode/DecodedTree.h"

namespace varnex::edid::tree {

// A DisplayID extension block starting at absolute offset `start` as a
// tree: the section header, each data block with what was decoded from it
// (or its bytes), and the section checksum.
DecodedNode displayIdBlockNode(const DisplayIdSection &section, int start);

// The named parts of a VTB, DI-EXT or block map block.
QList<DecodedNode> extensionFieldNodes(const QList<ExtensionField> &fields);

} // namespace varnex::edid::tree
