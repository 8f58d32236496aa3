#pragma once

#include <QtGlobal>

namespace varnex::edid {

// IEEE OUIs of the vendor-specific data blocks we read or name, as a number
// (a block stores it least significant byte first).
inline constexpr quint32 HdmiLlcOui = 0x000C03;   // HDMI 1.4 VSDB
inline constexpr quint32 HdmiForumOui = 0xC45DD8; // HDMI Forum VSDB (HF-VSDB)
inline constexpr quint32 AmdOui = 0x00001A;
inline constexpr quint32 DolbyOui = 0x00D046;
inline constexpr quint32 Hdr10PlusOui = 0x90848B;
inline constexpr quint32 NvidiaOui = 0x00044B;
inline constexpr quint32 AppleOui = 0x0010FA;

// Byte offsets in the HDMI 1.4 VSDB, counted from its header byte (HDMI 1.4b,
// table 8-16); bytes 1 to 3 are the OUI.
namespace HdmiVsdbLayout {
inline constexpr int PhysicalAddress = 4;
// Header, OUI and physical address: the shortest valid block.
inline constexpr int FixedSize = 6;
inline constexpr int Flags = 6;
inline constexpr int MaxTmdsClock = 7;
inline constexpr int VideoFlags = 8;
// Bits of the video flags byte that say which optional fields follow it.
inline constexpr quint8 LatencyPresent = 0x80;
inline constexpr quint8 InterlacedLatencyPresent = 0x40;
inline constexpr quint8 HdmiVideoPresent = 0x20;
} // namespace HdmiVsdbLayout

// Byte offsets in the HF-VSDB and HF-SCDB (HDMI 2.1, tables 10-6 and 10-7).
namespace HdmiForumLayout {
inline constexpr int Version = 4;
inline constexpr int MaxTmdsCharacterRate = 5;
inline constexpr int Capabilities = 6;
} // namespace HdmiForumLayout

} // namespace varnex::edid
