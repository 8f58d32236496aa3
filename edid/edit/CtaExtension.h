#pragma once

#include "EdidImage.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace varnex::edid {

// Data block tags of CTA-861 (table 55) and the extended tags (table 56) the edits use.
namespace CtaTag {
inline constexpr int Audio = 1;
inline constexpr int Video = 2;
inline constexpr int VendorSpecific = 3;
inline constexpr int SpeakerAllocation = 4;
inline constexpr int Extended = 7;
} // namespace CtaTag
namespace CtaExtendedTag {
inline constexpr int VideoCapability = 0;
inline constexpr int Colorimetry = 5;
inline constexpr int HdrStaticMetadata = 6;
inline constexpr int VideoFormatPreference = 13;
inline constexpr int Ycbcr420Video = 14;
inline constexpr int Ycbcr420CapabilityMap = 15;
inline constexpr int HdmiForumSinkCapability = 0x79;
} // namespace CtaExtendedTag

// IEEE OUIs of the vendor-specific data blocks, as written in the block (least significant byte
// first).
inline constexpr quint32 HdmiLlcOui = 0x000C03;   // HDMI 1.4 VSDB
inline constexpr quint32 HdmiForumOui = 0xC45DD8; // HDMI Forum VSDB

// Flags of byte 3 of a CTA-861 extension (revision 2 and later).
inline constexpr quint8 CtaUnderscanFlag = 0x80;
inline constexpr quint8 CtaBasicAudioFlag = 0x40;
inline constexpr quint8 CtaYcbcr444Flag = 0x20;
inline constexpr quint8 CtaYcbcr422Flag = 0x10;
inline constexpr quint8 CtaNativeDtdMask = 0x0F;

// The VIC of a short video descriptor: codes 129-192 are VICs 1-64 marked
// native (CTA-861-H section 7.5.1); every other code is the VIC itself.
inline int svdToVic(quint8 svd)
{
    return svd >= 129 && svd <= 192 ? svd & 0x7F : svd;
}

// The CTA-861 extension in block 1, split into the parts an edit changes and
// laid out again by write(): byte 3's flags, the data block collection (each
// block with its header byte) and the detailed timing descriptors. Reading is
// bounds-checked; a length taken from the data is never trusted.
struct CtaExtension
{
    // Nothing, with *error set, when block 1 is not a CTA-861 extension of
    // revision 3 or later (the first with data blocks) or its layout does not hold together.
    static std::optional<CtaExtension> parse(const EdidImage &image, QString *error);

    // Lays the parts out in block 1 (data blocks from byte 4, the DTDs after
    // them, zeros up to the checksum), updates the DTD offset and both checksums.
    // False, with *error set and `image` unchanged, when the parts do not fit.
    bool write(EdidImage &image, QString *error) const;

    int usedBytes() const;

    quint8 flags = 0;
    QList<QByteArray> dataBlocks; // header byte included
    QList<QByteArray> dtds;       // 18 bytes each

    static int tagOf(const QByteArray &block);
    // The extended tag of a tag-7 block, -1 for other blocks.
    static int extendedTagOf(const QByteArray &block);
    // The OUI of a vendor-specific block, 0 when it is too short to have one.
    static quint32 ouiOf(const QByteArray &block);
    // Header byte plus payload; the payload must be at most 31 bytes.
    static QByteArray makeBlock(int tag, const QByteArray &payload);

    int indexOf(int tag, int extendedTag = -1) const;
    int indexOfVendor(quint32 oui) const;
};

} // namespace varnex::edid
