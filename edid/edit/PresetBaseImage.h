#pragma once

#include "BaseDescriptors.h"
#include "EdidImage.h"

namespace varnex::edid {

// The starting point of every preset: an EDID 1.3 base block for a digital
// RGB display with sRGB colour, manufacturer "VNX", the given product code,
// 640x480@60 as its one established timing, the range limits descriptor and
// three free descriptor slots (the first for the preferred timing); then a
// CTA-861 revision 3 block with no data blocks and `ctaFlags` in byte 3.
// Checksums are correct. The presets fill it in through the edit functions.
EdidImage presetBaseImage(quint16 productCode, const ModeRangeLimits &limits, quint8 ctaFlags);

} // namespace varnex::edid
