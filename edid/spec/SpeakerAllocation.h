#pragma once

#include <QtGlobal>

#include <array>

namespace varnex::edid {

// Speaker allocation bits, CTA-861-H table 65 (byte 1 in bits 0-7, byte 2 in
// bits 8-15, byte 3 in bits 16-23).
namespace Speakers {
inline constexpr quint32 FrontLeftRight = 0x0001;
inline constexpr quint32 LowFrequencyEffects = 0x0002;
inline constexpr quint32 FrontCenter = 0x0004;
inline constexpr quint32 BackLeftRight = 0x0008;
inline constexpr quint32 BackCenter = 0x0010;
inline constexpr quint32 FrontLeftRightOfCenter = 0x0020;
inline constexpr quint32 RearLeftRightOfCenter = 0x0040;
inline constexpr quint32 Stereo = FrontLeftRight;
inline constexpr quint32 Surround51 =
    FrontLeftRight | LowFrequencyEffects | FrontCenter | BackLeftRight;
// The 7.1 layout that sources have read from byte 1 since CTA-861-A.
inline constexpr quint32 Surround71 = Surround51 | RearLeftRightOfCenter;

// The short name of each bit (table 65); nullptr for a reserved bit.
inline constexpr std::array<const char *, 24> Names{
    "FL/FR",     "LFE1", "FC",        "BL/BR",     "BC",    "FLc/FRc", "RLC/RRC", "FLw/FRw",
    "TpFL/TpFR", "TpC",  "TpFC",      "LS/RS",     "LFE2",  "TpBC",    "SiL/SiR", "TpSiL/TpSiR",
    "TpBL/TpBR", "BtFC", "BtFL/BtFR", "TpLS/TpRS", nullptr, nullptr,   nullptr,   nullptr};
} // namespace Speakers

} // namespace varnex::edid
