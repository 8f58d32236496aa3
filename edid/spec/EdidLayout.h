#pragma once

#include <QtGlobal>

#include <array>

// Where things sit in an EDID table: the block, the base block's fields
// (VESA E-EDID 1.4, table 3.1) and the CTA-861 extension's header
// (CTA-861-H, table 52). Every offset is relative to the start of its block.
namespace varnex::edid {

// An EDID 1.x block: 127 data bytes and a checksum byte.
inline constexpr int EdidBlockSize = 128;
// Offset of the checksum byte inside a block: the block's last byte.
inline constexpr int EdidChecksumOffset = EdidBlockSize - 1;

// The fixed pattern with which every EDID base block begins (VESA E-EDID 1.3/1.4,
// bytes 0 to 7). A video source does not accept a table without it.
inline constexpr std::array<quint8, 8> EdidHeaderBytes{0x00, 0xFF, 0xFF, 0xFF,
                                                       0xFF, 0xFF, 0xFF, 0x00};

// Size of one detailed descriptor slot: a detailed timing descriptor or a
// display descriptor (VESA E-EDID 1.4, section 3.10).
inline constexpr int DetailedDescriptorSize = 18;

using DetailedDescriptorBytes = std::array<quint8, DetailedDescriptorSize>;

namespace BaseLayout {

inline constexpr int Header = 0x00;
inline constexpr int HeaderLength = int(EdidHeaderBytes.size());
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
// Two bytes per standard timing.
inline constexpr int StandardTimingsLength = 2 * StandardTimingCount;
inline constexpr int Descriptors = 0x36;
inline constexpr int DescriptorCount = 4;
// How many extension blocks follow the base block.
inline constexpr int ExtensionCount = 0x7E;

} // namespace BaseLayout

// The offset of descriptor slot 0 to 3 in the base block.
inline constexpr int descriptorOffset(int slot)
{
    return BaseLayout::Descriptors + slot * DetailedDescriptorSize;
}

// Display descriptor tags (byte 3 of a descriptor whose first two bytes are 0),
// VESA E-EDID 1.4, table 3.22.
namespace DisplayDescriptorTag {
inline constexpr quint8 Dummy = 0x10;
inline constexpr quint8 EstablishedTimingsIII = 0xF7;
inline constexpr quint8 CvtCodes = 0xF8;
inline constexpr quint8 ColorManagement = 0xF9;
inline constexpr quint8 StandardTimings = 0xFA;
inline constexpr quint8 ColorPoint = 0xFB;
inline constexpr quint8 ProductName = 0xFC;
inline constexpr quint8 RangeLimits = 0xFD;
inline constexpr quint8 DataString = 0xFE;
inline constexpr quint8 SerialNumber = 0xFF;
} // namespace DisplayDescriptorTag

// Byte 10 of the range limits descriptor: the timing formula the display
// supports (VESA E-EDID 1.4, table 3.26).
namespace RangeLimitsSupport {
inline constexpr int DefaultGtf = 0;
inline constexpr int RangeOnly = 1;
inline constexpr int SecondaryGtf = 2;
inline constexpr int Cvt = 4;
} // namespace RangeLimitsSupport

namespace CtaLayout {

// Byte 0 of a CTA-861 extension block (CTA-861-H, table 52).
inline constexpr quint8 ExtensionTag = 0x02;
inline constexpr int Revision = 1;
inline constexpr int DtdOffset = 2;
inline constexpr int Flags = 3;
inline constexpr int DataBlocks = 4;
// Revision 3 is the first with a data block collection.
inline constexpr int FirstRevisionWithDataBlocks = 3;
// A data block header holds a 3-bit tag and a 5-bit payload length.
inline constexpr int MaxPayload = 31;
// Bytes before the payload of an extended-tag block: header and extended tag.
inline constexpr int ExtendedHeaderSize = 2;

} // namespace CtaLayout

// Flags of byte 3 of a CTA-861 extension (revision 2 and later).
inline constexpr quint8 CtaUnderscanFlag = 0x80;
inline constexpr quint8 CtaBasicAudioFlag = 0x40;
inline constexpr quint8 CtaYcbcr444Flag = 0x20;
inline constexpr quint8 CtaYcbcr422Flag = 0x10;
inline constexpr quint8 CtaNativeDtdMask = 0x0F;

} // namespace varnex::edid
