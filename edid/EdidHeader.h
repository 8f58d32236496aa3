#pragma once

#include "EdidImage.h"

#include <array>

namespace varnex::edid {

// The fixed pattern with which every EDID base block begins (VESA E-EDID 1.3/1.4,
// bytes 0 to 7). A video source does not accept a table without it.
inline constexpr std::array<quint8, 8> EdidHeaderBytes{0x00, 0xFF, 0xFF, 0xFF,
                                                       0xFF, 0xFF, 0xFF, 0x00};

// True when the image's first 8 bytes are the EDID header.
bool hasEdidHeader(const EdidImage &image);

} // namespace varnex::edid
