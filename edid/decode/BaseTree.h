#pragma once

#include "decode/DecodedTree.h"

namespace varnex::edid::tree {

// Block 0 as a tree; `bytes` is the decoded image, for fields shown as bytes.
// One 18-byte descriptor, numbered as the block counts it.
DecodedNode descriptorNode(int number, const Descriptor &d, const QByteArray &bytes);

DecodedNode baseBlockNode(const BaseBlock &base, const QByteArray &bytes);

} // namespace varnex::edid::tree
