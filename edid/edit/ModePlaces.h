#pragma once

#include "EditResult.h"
#include "capability/Capabilities.h"

#include <QByteArray>

#include <functional>
#include <optional>

namespace varnex::edid {

// Where a mode goes among the kept ones (lower first); nothing drops it.
using ModeRank = std::function<std::optional<int>(const CapabilityMode &)>;

// 640x480@60 is established bit 5 of byte 0x23: every CTA-861 sink must
// take it (CTA-861-H 6.2), and sources and checkers look for it there.
inline constexpr int BaselineEstablishedBit = 2;

// Removes the modes `rank` drops from every place the base block and a
// CTA-861 block 1 offer modes (established timings I-III, standard timings
// also of 0xFA descriptors, CVT codes, DTDs of both blocks, the SVDs with
// their 4:2:0 map bits, the 4:2:0 video and preference lists, HDMI VICs, whose
// 3D descriptions go when SVD positions change) and puts the SVDs and the
// lists in rank order. A dropped base DTD becomes a dummy descriptor; with a
// CTA-861 block the 640x480@60 established bit stays. Bytes of places where
// nothing changes stay as they were. Refused when block 1 is another extension.
EditResult shapeModes(const EdidImage &image, const ModeRank &rank);

// The mode of a VIC the editor knows; nothing for another code.
std::optional<CapabilityMode> modeOfVic(int vic);

bool hasExtensionBlock(const EdidImage &image);
// Overwrites the 18 bytes at `descriptor` with a dummy descriptor (tag 0x10).
void makeDummyDescriptor(quint8 *descriptor);
// Sets a CTA-861 data block's length bits to its payload size.
void fixDataBlockLength(QByteArray &block);

} // namespace varnex::edid
