#pragma once

#include "decode/DecodedTree.h"

namespace varnex::edid::tree {

// Block 0 as a tree; `bytes` is the decoded image, for fields shown as bytes.
DecodedNode baseBlockNode(const BaseBlock &base, const QByteArray &bytes);

} // namespace varnex::edid::tree
