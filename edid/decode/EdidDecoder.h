#pragma once

#include "decode/EdidModel.h"

#include <QByteArrayView>

namespace varnex::edid {

// The base block and up to 255 extensions, the most byte 0x7E can count.
inline constexpr int MaxEdidBlocks = 256;

// Decodes an EDID image: any length, any bytes. Whole 128-byte blocks are
// decoded (at most MaxEdidBlocks); a partial block at the end, an input
// shorter than one block or longer than MaxEdidBlocks is a finding. Never
// reads outside `bytes`, never throws; problems become findings.
DecodedEdid decodeEdid(QByteArrayView bytes);

} // namespace varnex::edid
