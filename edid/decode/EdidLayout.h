#pragma once

// Byte offsets of the EDID 1.4 base block fields (VESA E-EDID, table 3.1),
// shared by the decoder and the tree that points at the bytes.
namespace varnex::edid::BaseLayout {

inline constexpr int Header = 0x00;
inline constexpr int HeaderLength = 8;
inline constexpr int Manufacturer = 0x08;
inline constexpr int ProductCode = 0x0A;
inline constexpr int SerialNumber = 0x0C;
inline constexpr int Week = 0x10;
inline constexpr int Year = 0x11;
inline constexpr int Version = 0x12;
inline constexpr int Revision = 0x13;
inline constexpr int VideoInput = 0x14;
inline constexpr int WidthCm = 0x15;
inline constexpr int HeightCm = 0x16;
inline constexpr int Gamma = 0x17;
inline constexpr int Features = 0x18;
inline constexpr int Chromaticity = 0x19;
inline constexpr int ChromaticityLength = 10;
inline constexpr int EstablishedTimings = 0x23;
inline constexpr int EstablishedTimingsLength = 3;
inline constexpr int StandardTimings = 0x26;
inline constexpr int StandardTimingCount = 8;
inline constexpr int Descriptors = 0x36;
inline constexpr int DescriptorCount = 4;
inline constexpr int ExtensionCount = 0x7E;
inline constexpr int Checksum = 0x7F;

} // namespace varnex::edid::BaseLayout

namespace varnex::edid::CtaLayout {

// CTA-861-H, table 52: tag, revision, DTD offset, flags, then data blocks.
inline constexpr int Revision = 1;
inline constexpr int DtdOffset = 2;
inline constexpr int Flags = 3;
inline constexpr int DataBlocks = 4;

} // namespace varnex::edid::CtaLayout
