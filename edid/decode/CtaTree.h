#pragma once

#include "decode/DecodedTree.h"

namespace varnex::edid::tree {

// A CTA-861 block starting at absolute offset `start` as a tree; `bytes` is
// the decoded image, for slots shown as bytes.
DecodedNode ctaBlockNode(const CtaBlock &cta, int start, const QByteArray &bytes);

// One CTA-861 data block with its fields, wherever it sits (a CTA
// extension or a DisplayID section).
DecodedNode dataBlockNode(const DataBlock &block);

} // namespace varnex::edid::tree
