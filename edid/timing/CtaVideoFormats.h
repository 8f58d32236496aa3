#pragma once

#include "timing/VideoFormat.h"

#include <optional>

namespace varnex::edid {

// Highest VIC of the CTA-861 video format table we know (CTA-861-H).
inline constexpr int MaxKnownVic = 219;

// The timing of a CTA-861 Video Identification Code, or nullopt for a
// reserved or unknown code (0, 128 to 192, above 219). Formats sent at
// 59.94 Hz and 60 Hz share one VIC; this gives the rate the table lists.
std::optional<VideoFormat> ctaVideoFormat(int vic);

// The VIC with the same timing as an HDMI VIC (HDMI 1.4 4K formats 1 to 4),
// or 0 for another code.
int vicForHdmiVic(int hdmiVic);

} // namespace varnex::edid
