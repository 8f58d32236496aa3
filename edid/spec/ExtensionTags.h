#pragma once

namespace varnex::edid {

// Byte 0 of the extension blocks decoded beyond CTA-861 (VESA E-EDID 1.4,
// table 2.6; DisplayID 1.3, section 2.2).
inline constexpr int VtbExtensionTag = 0x10;
inline constexpr int DiExtensionTag = 0x40;
inline constexpr int DisplayIdExtensionTag = 0x70;
inline constexpr int BlockMapTag = 0xF0;

} // namespace varnex::edid
