#pragma once

#include <QtGlobal>

#include <array>

namespace varnex::device::sim {

// Size of the EDID memory behind each I2C address of the Varnex.
inline constexpr std::size_t EdidMemorySize = 256;
using EdidMemory = std::array<quint8, EdidMemorySize>;

// The EDID the simulated Varnex starts with: a made-up 1920x1080 display
// ("VNX", EDID 1.3) with one CTA-861 extension block, both checksums right.
EdidMemory defaultSimulatedEdid();

} // namespace varnex::device::sim
