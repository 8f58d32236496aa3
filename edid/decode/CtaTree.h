#pragma once

#include "decode/DecodedTree.h"

namespace varnex::edid::tree {

// A CTA-861 block starting at absolute offset `start` as a tree; `bytes` is
// the decoded image, for slots shown as bytes.
DecodedNode ctaBlockNode(const CtaBlock &cta, int start, const QByteArray &bytes);

} // namespace varnex::edid::tree
