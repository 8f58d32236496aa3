#pragma once

#include "spec/VideoFormat.h"

#include <optional>

namespace varnex::edid {

// Highest VIC of the CTA-861 video format table we know (CTA-861-H).
inline constexpr int MaxKnownVic = 219;

// The timing of a CTA-861 Video Identification Code, or nullopt for a
// reserved or unknown code (0, 128 to 192, above 219). Formats sent at
// 59.94 Hz and 60 Hz share one VIC; this gives the rate the table lists.
std::optional<VideoFormat> ctaVideoFormat(int vic);

// Largest VIC numbers in the two VIC ranges of CTA-861-H table 3; the codes
// between them are reserved (128) or mean a native VIC in an SVD (129 to 192).
inline constexpr int MaxLowVic = 127;
inline constexpr int FirstHighVic = 193;

// The VIC of a short video descriptor: codes 129-192 are VICs 1-64 marked
// native (CTA-861-H section 7.5.1); every other code is the VIC itself.
constexpr bool svdIsNative(int svd)
{
    return svd >= 129 && svd <= 192;
}
constexpr int svdToVic(int svd)
{
    return svdIsNative(svd) ? svd & 0x7F : svd;
}

// The VIC with the same timing as an HDMI VIC (HDMI 1.4 4K formats 1 to 4),
// or 0 for another code.
int vicForHdmiVic(int hdmiVic);
// The HDMI VIC of a VIC with an HDMI 1.4 4K timing, or 0 for another VIC.
int hdmiVicForVic(int vic);

} // namespace varnex::edid
