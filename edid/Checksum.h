#pragma once

#include "EdidImage.h"

namespace varnex::edid {

// The checksum byte of the 128-byte block at `block`: the value that makes
// the block's bytes sum to 0 modulo 256. Reads bytes 0 to 126 only.
quint8 BlockChkSum(const quint8 *block);

// True when the checksum byte of block 0 (1) equals BlockChkSum of that block.
bool blockChecksumCorrect(const EdidImage &image, int block);

// Puts the right checksum bytes into bytes 127 and 255; nothing else changes.
void correctChecksums(EdidImage &image);

} // namespace varnex::edid
