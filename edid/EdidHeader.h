#pragma once

#include "EdidImage.h"

#include <algorithm>
#include <array>

namespace varnex::edid {

// The fixed pattern that opens every EDID 1.x base block (VESA E-EDID, bytes 0 to 7).
inline constexpr std::array<quint8, 8> EdidHeader = {0x00, 0xFF, 0xFF, 0xFF,
                                                     0xFF, 0xFF, 0xFF, 0x00};

// True when the table begins with the EDID header; a source rejects a table
// without it, whatever its checksums say.
inline bool hasEdidHeader(const EdidImage &image)
{
    return std::equal(EdidHeader.begin(), EdidHeader.end(), image.begin());
}

} // namespace varnex::edid
