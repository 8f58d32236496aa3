#pragma once

#include "spec/EdidLayout.h"

#include <QtGlobal>

#include <array>

namespace varnex::edid {

// The Varnex presents two blocks: the base block and one extension.
inline constexpr int EdidImageSize = 2 * EdidBlockSize;

// The 256-byte EDID table; byte 127 and byte 255 are the block checksums.
using EdidImage = std::array<quint8, EdidImageSize>;

} // namespace varnex::edid
