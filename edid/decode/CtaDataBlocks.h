#pragma once

#include "decode/ByteView.h"
#include "decode/CtaModel.h"
#include "decode/Finding.h"

namespace varnex::edid {

// Decodes one data block. `block` starts at its tag byte and is cut where
// the data block collection ends; `overrun` says it was cut. Every read is
// bounds-checked, so a short block decodes what it holds and adds a
// cta-block-length warning. Reserved VICs add a vic-unknown warning.
DataBlock decodeDataBlock(const ByteView &block, int blockIndex, bool overrun, Findings &findings);

// Names of the speakers whose bits are set in a speaker presence mask
// (bytes 1 to 3 of a speaker allocation block, least significant first).
QStringList speakerNames(quint32 bits);

// "00-0C-03" for the OUI 0x000C03.
QString ouiText(quint32 oui);

} // namespace varnex::edid
