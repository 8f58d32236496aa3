#pragma once

#include "EdidImage.h"
#include "spec/CtaTags.h"
#include "spec/CtaVideoFormats.h"
#include "spec/EdidLayout.h"
#include "spec/VendorBlocks.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace varnex::edid {

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

    // Where the HDMI VIC list of an HDMI 1.4 VSDB (header byte included) sits.
    struct HdmiVideoFields
    {
        int lengthsIndex = -1; // byte holding HDMI_VIC_LEN and HDMI_3D_LEN; -1 without video fields
        int vicCount = 0;
        int threeDLength = 0;
    };
    static HdmiVideoFields hdmiVideoFields(const QByteArray &vsdb);

    // The bits of bytes[from...], bit 0 of each byte first (a 4:2:0 capability map).
    static std::vector<bool> unpackBits(const QByteArray &bytes, int from);
    // Writes `bits` back over bytes[from...]; bits beyond the bytes are dropped.
    static void packBits(QByteArray &bytes, int from, const std::vector<bool> &bits);

    int indexOf(int tag, int extendedTag = -1) const;
    int indexOfVendor(quint32 oui) const;
};

} // namespace varnex::edid
