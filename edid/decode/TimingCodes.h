#pragma once

#include "decode/ByteView.h"
#include "decode/EdidModel.h"

#include <QList>

namespace varnex::edid {

// Established timings I and II: bytes 0x23 to 0x25 of the base block.
QList<TimingCode> decodeEstablishedTimings(const ByteView &base);

// Established timings III: the bitmap in bytes 6 to 11 of a 0xF7 descriptor.
QList<TimingCode> decodeEstablishedTimings3(const ByteView &descriptor);

// One 2-byte standard timing; nullopt for an unused slot. EDID before 1.3
// reads aspect code 0 as 1:1 instead of 16:10.
std::optional<TimingCode> decodeStandardTiming(const ByteView &bytes, bool aspect1to1);

// The timings of one 3-byte CVT code (one per supported rate), empty when
// the code is unused.
QList<TimingCode> decodeCvtCode(const ByteView &bytes);

} // namespace varnex::edid
