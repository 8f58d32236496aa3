#include "CtaExtension.h"

#include "Checksum.h"

#include <algorithm>

namespace varnex::edid {

std::optional<CtaExtension> CtaExtension::parse(const EdidImage &image, QString *error)
{
    const quint8 *block = image.data() + EdidBlockSize;
    if (image[BaseLayout::ExtensionCount] == 0 || block[0] != CtaLayout::ExtensionTag) {
        *error = QStringLiteral("The table has no CTA-861 extension block.");
        return std::nullopt;
    }
    if (block[1] < CtaLayout::FirstRevisionWithDataBlocks) {
        *error = QStringLiteral("The CTA-861 block is revision %1, which has no data blocks.")
                     .arg(block[1]);
        return std::nullopt;
    }
    const int dtdOffset = block[CtaLayout::DtdOffset];
    if ((dtdOffset != 0 && dtdOffset < CtaLayout::DataBlocks) || dtdOffset > EdidChecksumOffset) {
        *error = QStringLiteral("The CTA-861 block's DTD offset %1 is invalid.").arg(dtdOffset);
        return std::nullopt;
    }

    CtaExtension cta;
    cta.flags = block[CtaLayout::Flags];
    // Offset 0 means neither data blocks nor DTDs.
    const int end = dtdOffset == 0 ? CtaLayout::DataBlocks : dtdOffset;
    for (int at = CtaLayout::DataBlocks; at < end;) {
        const int length = 1 + (block[at] & CtaLayout::MaxPayload);
        if (at + length > end) {
            *error = QStringLiteral("A CTA-861 data block at byte %1 runs past the DTD offset.")
                         .arg(EdidBlockSize + at);
            return std::nullopt;
        }
        cta.dataBlocks.append(QByteArray(reinterpret_cast<const char *>(block + at), length));
        at += length;
    }
    if (dtdOffset != 0) {
        for (int at = dtdOffset; at + DetailedDescriptorSize <= EdidChecksumOffset;
             at += DetailedDescriptorSize) {
            if (block[at] == 0 && block[at + 1] == 0)
                break;
            cta.dtds.append(
                QByteArray(reinterpret_cast<const char *>(block + at), DetailedDescriptorSize));
        }
    }
    return cta;
}

int CtaExtension::usedBytes() const
{
    int used = CtaLayout::DataBlocks;
    for (const QByteArray &b : dataBlocks)
        used += int(b.size());
    return used + int(dtds.size()) * DetailedDescriptorSize;
}

bool CtaExtension::write(EdidImage &image, QString *error) const
{
    if (usedBytes() > EdidChecksumOffset) {
        *error = QStringLiteral("There is no room left in the CTA-861 block (%1 bytes needed, "
                                "%2 available).")
                     .arg(usedBytes() - CtaLayout::DataBlocks)
                     .arg(EdidChecksumOffset - CtaLayout::DataBlocks);
        return false;
    }
    quint8 *block = image.data() + EdidBlockSize;
    int at = CtaLayout::DataBlocks;
    for (const QByteArray &b : dataBlocks) {
        std::copy(b.cbegin(), b.cend(), block + at);
        at += int(b.size());
    }
    block[CtaLayout::DtdOffset] = quint8(at);
    block[CtaLayout::Flags] = flags;
    for (const QByteArray &d : dtds) {
        std::copy(d.cbegin(), d.cend(), block + at);
        at += int(d.size());
    }
    std::fill(block + at, block + EdidChecksumOffset, quint8(0));
    correctChecksums(image);
    return true;
}

int CtaExtension::tagOf(const QByteArray &block)
{
    return block.isEmpty() ? -1 : quint8(block[0]) >> 5;
}

int CtaExtension::extendedTagOf(const QByteArray &block)
{
    return tagOf(block) == CtaTag::Extended && block.size() >= 2 ? quint8(block[1]) : -1;
}

quint32 CtaExtension::ouiOf(const QByteArray &block)
{
    if (block.size() < 4)
        return 0;
    return quint8(block[1]) | (quint8(block[2]) << 8) | (quint32(quint8(block[3])) << 16);
}

QByteArray CtaExtension::makeBlock(int tag, const QByteArray &payload)
{
    Q_ASSERT(payload.size() <= CtaLayout::MaxPayload);
    return char((tag << 5) | int(payload.size())) + payload;
}

CtaExtension::HdmiVideoFields CtaExtension::hdmiVideoFields(const QByteArray &b)
{
    if (b.size() <= HdmiVsdbLayout::VideoFlags)
        return {};
    const quint8 flags = quint8(b[HdmiVsdbLayout::VideoFlags]);
    int at = HdmiVsdbLayout::VideoFlags + 1;
    if (flags & HdmiVsdbLayout::LatencyPresent)
        at += 2;
    if (flags & HdmiVsdbLayout::InterlacedLatencyPresent)
        at += 2;
    if (!(flags & HdmiVsdbLayout::HdmiVideoPresent) || at + 1 >= b.size())
        return {};
    HdmiVideoFields fields;
    fields.lengthsIndex = at + 1;
    fields.vicCount = std::min<int>(quint8(b[at + 1]) >> 5, int(b.size()) - at - 2);
    fields.threeDLength = quint8(b[at + 1]) & 0x1F;
    return fields;
}

std::vector<bool> CtaExtension::unpackBits(const QByteArray &bytes, int from)
{
    std::vector<bool> bits;
    for (qsizetype i = from; i < bytes.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit)
            bits.push_back(quint8(bytes[i]) & (1 << bit));
    }
    return bits;
}

void CtaExtension::packBits(QByteArray &bytes, int from, const std::vector<bool> &bits)
{
    for (qsizetype i = from; i < bytes.size(); ++i) {
        quint8 value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const std::size_t n = std::size_t((i - from) * 8 + bit);
            if (n < bits.size() && bits[n])
                value |= quint8(1 << bit);
        }
        bytes[i] = char(value);
    }
}

int CtaExtension::indexOf(int tag, int extendedTag) const
{
    for (int i = 0; i < dataBlocks.size(); ++i) {
        if (tagOf(dataBlocks[i]) == tag &&
            (extendedTag < 0 || extendedTagOf(dataBlocks[i]) == extendedTag))
            return int(i);
    }
    return -1;
}

int CtaExtension::indexOfVendor(quint32 oui) const
{
    for (int i = 0; i < dataBlocks.size(); ++i) {
        if (tagOf(dataBlocks[i]) == CtaTag::VendorSpecific && ouiOf(dataBlocks[i]) == oui)
            return int(i);
    }
    return -1;
}

} // namespace varnex::edid
