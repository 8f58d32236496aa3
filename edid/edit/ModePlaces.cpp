#include "ModePlaces.h"

#include "BaseDescriptors.h"
#include "Checksum.h"
#include "CtaExtension.h"
#include "StandardModes.h"
#include "decode/ByteView.h"
#include "decode/EdidModel.h"
#include "decode/TimingCodes.h"
#include "spec/CtaVideoFormats.h"

#include <algorithm>
#include <climits>

namespace varnex::edid {

namespace {

// Established timings I and II: 16 bits, then bit 7 of the manufacturer's byte.
constexpr int EstablishedBits = 17;
// Standard timing codes of a 0xFA descriptor: six from byte 5 (E-EDID 1.4, 3.10.3.8).
constexpr int DescriptorStandardStart = 5;
constexpr int DescriptorStandardCount = 6;
// Established timings III: the bitmap in bytes 6 to 11 of a 0xF7 descriptor.
constexpr int EstablishedIIIStart = 6;
constexpr int EstablishedIIIBytes = 6;
// CVT 3-byte codes: four from byte 6 of a 0xF8 descriptor; bits 4-0 of the
// third byte are the supported rates.
constexpr int CvtCodeStart = 6;
constexpr int CvtCodeCount = 4;
constexpr int CvtCodeSize = 3;
constexpr int CvtRateBits = 5;
constexpr quint8 UnusedStandardByte = 0x01;
// Video format preference codes (CTA-861-H table 60) that are VICs themselves.
constexpr int FirstHighSvr = 193;
constexpr int LastHighSvr = 253;
// Bits 7-5 of the HDMI VSDB byte before the VIC lengths: 3D_present, 3D_Multi_present.
constexpr quint8 Hdmi3dBits = 0xE0;
constexpr int HdmiVicLengthShift = 5;

bool keeps(const ModeRank &rank, const std::optional<CapabilityMode> &mode)
{
    return !mode || rank(*mode).has_value();
}

// Each entry with the rank of its mode; the kept ones in rank order (stable).
template <typename T> QList<T> ranked(const QList<std::pair<T, std::optional<int>>> &entries)
{
    QList<std::pair<T, int>> kept;
    for (const auto &[value, rank] : entries) {
        if (rank)
            kept.append({value, *rank});
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const auto &a, const auto &b) { return a.second < b.second; });
    QList<T> values;
    for (const auto &entry : kept)
        values.append(entry.first);
    return values;
}

// The 2-byte standard timing codes at `codes`: the kept ones first in rank
// order, unused slots after. Rewritten only when something changes.
void shapeStandardCodes(quint8 *codes, int count, bool aspect1to1, const ModeRank &rank)
{
    QList<std::pair<quint16, std::optional<int>>> entries;
    QList<quint16> used;
    for (int i = 0; i < count; ++i) {
        const QByteArray code(reinterpret_cast<const char *>(codes + 2 * i), 2);
        const auto timing = decodeStandardTiming(ByteView(code, 0), aspect1to1);
        if (!timing)
            continue;
        const quint16 value = quint16(codes[2 * i] << 8 | codes[2 * i + 1]);
        used.append(value);
        entries.append({value, rank(modeNamedBy(*timing))});
    }
    const QList<quint16> kept = ranked(entries);
    if (kept == used)
        return;
    for (int i = 0; i < count; ++i) {
        const bool filled = i < kept.size();
        codes[2 * i] = filled ? quint8(kept[i] >> 8) : UnusedStandardByte;
        codes[2 * i + 1] = filled ? quint8(kept[i]) : UnusedStandardByte;
    }
}

void shapeEstablished(EdidImage &image, const ModeRank &rank)
{
    for (int bit = 0; bit < EstablishedBits; ++bit) {
        const int offset = BaseLayout::EstablishedTimings + bit / 8;
        const quint8 mask = quint8(0x80 >> (bit % 8));
        if (!(image[std::size_t(offset)] & mask))
            continue;
        QByteArray alone(EdidBlockSize, '\0');
        alone[offset] = char(mask);
        const QList<TimingCode> named = decodeEstablishedTimings(ByteView(alone, 0));
        const bool baseline = bit == BaselineEstablishedBit && hasExtensionBlock(image);
        if (named.size() == 1 && !baseline && !rank(modeNamedBy(named.first())))
            image[std::size_t(offset)] &= quint8(~mask);
    }
}

void shapeEstablishedIII(quint8 *d, const ModeRank &rank)
{
    for (int bit = 0; bit < EstablishedIIIBytes * 8; ++bit) {
        const int offset = EstablishedIIIStart + bit / 8;
        const quint8 mask = quint8(0x80 >> (bit % 8));
        if (!(d[offset] & mask))
            continue;
        QByteArray alone(DetailedDescriptorSize, '\0');
        alone[offset] = char(mask);
        const QList<TimingCode> named = decodeEstablishedTimings3(ByteView(alone, 0));
        if (named.size() == 1 && !rank(modeNamedBy(named.first())))
            d[offset] &= quint8(~mask);
    }
}

void shapeCvtCodes(quint8 *d, const ModeRank &rank)
{
    for (int i = 0; i < CvtCodeCount; ++i) {
        quint8 *code = d + CvtCodeStart + CvtCodeSize * i;
        if (code[0] == 0 && code[1] == 0 && code[2] == 0)
            continue;
        for (int bit = 0; bit < CvtRateBits; ++bit) {
            if (!(code[2] & (1 << bit)))
                continue;
            QByteArray alone(reinterpret_cast<const char *>(code), CvtCodeSize);
            alone[2] = char((code[2] & ~((1 << CvtRateBits) - 1)) | (1 << bit));
            const QList<TimingCode> named = decodeCvtCode(ByteView(alone, 0));
            if (named.size() == 1 && !rank(modeNamedBy(named.first())))
                code[2] &= quint8(~(1 << bit));
        }
        if (!(code[2] & ((1 << CvtRateBits) - 1)))
            std::fill(code, code + CvtCodeSize, quint8(0));
    }
}

void shapeBaseBlock(EdidImage &image, const ModeRank &rank)
{
    shapeEstablished(image, rank);
    const bool aspect1to1 = image[BaseLayout::Version] == 1 && image[BaseLayout::Revision] < 3;
    shapeStandardCodes(image.data() + BaseLayout::StandardTimings, BaseLayout::StandardTimingCount,
                       aspect1to1, rank);
    for (int slot = 0; slot < BaseLayout::DescriptorCount; ++slot) {
        quint8 *d = image.data() + descriptorOffset(slot);
        if (const auto timing = decodeDetailedTiming(d)) {
            if (!rank(modeOfTiming(*timing)))
                makeDummyDescriptor(d);
            continue;
        }
        switch (displayDescriptorTag(image, slot)) {
        case DisplayDescriptorTag::StandardTimings:
            shapeStandardCodes(d + DescriptorStandardStart, DescriptorStandardCount, aspect1to1,
                               rank);
            break;
        case DisplayDescriptorTag::EstablishedTimingsIII:
            shapeEstablishedIII(d, rank);
            break;
        case DisplayDescriptorTag::CvtCodes:
            shapeCvtCodes(d, rank);
            break;
        default:
            break;
        }
    }
}

// The SVDs of every video data block, with their 4:2:0 capability map bits, as
// one video data block (or more, 31 to a block) at the place of the first.
// True when the SVD list changed.
bool shapeSvds(CtaExtension &cta, const ModeRank &rank)
{
    const int mapIndex = cta.indexOf(CtaTag::Extended, CtaExtendedTag::Ycbcr420CapabilityMap);
    const bool mapAll =
        mapIndex >= 0 && cta.dataBlocks[mapIndex].size() == CtaLayout::ExtendedHeaderSize;
    const std::vector<bool> map =
        mapIndex >= 0 && !mapAll
            ? CtaExtension::unpackBits(cta.dataBlocks[mapIndex], CtaLayout::ExtendedHeaderSize)
            : std::vector<bool>{};
    struct Svd
    {
        char code;
        bool in420;
        bool operator==(const Svd &) const = default;
    };
    QList<Svd> all;
    QList<std::pair<Svd, std::optional<int>>> entries;
    int firstVideo = -1;
    for (int i = 0; i < cta.dataBlocks.size(); ++i) {
        const QByteArray &b = cta.dataBlocks[i];
        if (CtaExtension::tagOf(b) != CtaTag::Video)
            continue;
        if (firstVideo < 0)
            firstVideo = i;
        for (qsizetype at = 1; at < b.size(); ++at) {
            const std::size_t position = std::size_t(all.size());
            const Svd svd{b[at], mapAll || (position < map.size() && map[position])};
            all.append(svd);
            const auto mode = modeOfVic(svdToVic(quint8(b[at])));
            entries.append({svd, mode ? rank(*mode) : std::optional<int>(INT_MAX)});
        }
    }
    const QList<Svd> kept = ranked(entries);
    if (kept == all)
        return false;
    cta.dataBlocks.removeIf(
        [](const QByteArray &b) { return CtaExtension::tagOf(b) == CtaTag::Video; });
    QList<QByteArray> blocks;
    for (qsizetype at = 0; at < kept.size(); at += CtaLayout::MaxPayload) {
        QByteArray payload;
        for (qsizetype i = at; i < std::min(kept.size(), at + CtaLayout::MaxPayload); ++i)
            payload.append(kept[i].code);
        blocks.append(CtaExtension::makeBlock(CtaTag::Video, payload));
    }
    for (qsizetype i = 0; i < blocks.size(); ++i)
        cta.dataBlocks.insert(firstVideo + i, blocks[i]);
    const int newMap = cta.indexOf(CtaTag::Extended, CtaExtendedTag::Ycbcr420CapabilityMap);
    if (newMap >= 0) {
        const bool any =
            std::any_of(kept.cbegin(), kept.cend(), [](const Svd &s) { return s.in420; });
        const bool every =
            std::all_of(kept.cbegin(), kept.cend(), [](const Svd &s) { return s.in420; });
        if (!any) {
            cta.dataBlocks.removeAt(newMap);
        } else if (!(every && mapAll)) {
            QByteArray &b = cta.dataBlocks[newMap];
            b.truncate(CtaLayout::ExtendedHeaderSize);
            b.append(QByteArray((kept.size() + 7) / 8, '\0'));
            std::vector<bool> bits;
            for (const Svd &s : kept)
                bits.push_back(s.in420);
            CtaExtension::packBits(b, CtaLayout::ExtendedHeaderSize, bits);
            fixDataBlockLength(b);
        }
    }
    return true;
}

// The 4:2:0 video data block and the video format preferences: kept codes in
// rank order. A preference that names a DTD or a DisplayID timing goes when the
// list changes, as the timings it counts are rearranged.
void shapeCodeLists(CtaExtension &cta, const ModeRank &rank)
{
    for (QByteArray &b : cta.dataBlocks) {
        const int ext = CtaExtension::extendedTagOf(b);
        if (ext != CtaExtendedTag::Ycbcr420Video && ext != CtaExtendedTag::VideoFormatPreference)
            continue;
        QList<std::pair<char, std::optional<int>>> entries;
        for (qsizetype at = CtaLayout::ExtendedHeaderSize; at < b.size(); ++at) {
            const int code = quint8(b[at]);
            int vic = svdToVic(code);
            if (ext == CtaExtendedTag::VideoFormatPreference)
                vic = (code >= 1 && code <= MaxLowVic) ||
                              (code >= FirstHighSvr && code <= LastHighSvr)
                          ? code
                          : 0;
            const auto mode = modeOfVic(vic);
            entries.append({b[at], mode ? rank(*mode) : std::optional<int>(INT_MAX)});
        }
        const QList<char> kept = ranked(entries);
        const QByteArray list(kept.constData(), kept.size());
        if (list == b.mid(CtaLayout::ExtendedHeaderSize))
            continue;
        QByteArray cleaned;
        for (char code : list) {
            const bool named =
                modeOfVic(ext == CtaExtendedTag::VideoFormatPreference ? quint8(code)
                                                                       : svdToVic(quint8(code)))
                    .has_value();
            if (named)
                cleaned.append(code);
        }
        b = b.left(CtaLayout::ExtendedHeaderSize) + cleaned;
        fixDataBlockLength(b);
    }
    cta.dataBlocks.removeIf([](const QByteArray &b) {
        const int ext = CtaExtension::extendedTagOf(b);
        return (ext == CtaExtendedTag::Ycbcr420Video ||
                ext == CtaExtendedTag::VideoFormatPreference) &&
               b.size() == CtaLayout::ExtendedHeaderSize;
    });
}

// The HDMI VICs of the HDMI VSDB; its 3D descriptions go when `svdsChanged`
// or an HDMI VIC goes, as they count SVD and HDMI VIC positions.
void shapeHdmiVics(CtaExtension &cta, const ModeRank &rank, bool svdsChanged)
{
    const int index = cta.indexOfVendor(HdmiLlcOui);
    if (index < 0)
        return;
    QByteArray &b = cta.dataBlocks[index];
    const CtaExtension::HdmiVideoFields fields = CtaExtension::hdmiVideoFields(b);
    if (fields.lengthsIndex < 0)
        return;
    const int first = fields.lengthsIndex + 1;
    QByteArray vics;
    for (int i = first; i < first + fields.vicCount; ++i) {
        if (keeps(rank, modeOfVic(vicForHdmiVic(quint8(b[i])))))
            vics.append(b[i]);
    }
    const bool vicsChanged = vics.size() != fields.vicCount;
    if (!vicsChanged && !(svdsChanged && fields.threeDLength > 0))
        return;
    quint8 &flags = reinterpret_cast<quint8 &>(b[fields.lengthsIndex - 1]);
    const bool drop3d = svdsChanged || vicsChanged;
    QByteArray tail = b.mid(first + fields.vicCount, drop3d ? 0 : fields.threeDLength);
    if (drop3d)
        flags &= quint8(~Hdmi3dBits);
    b.truncate(first);
    b[fields.lengthsIndex] =
        char((vics.size() << HdmiVicLengthShift) | (drop3d ? 0 : fields.threeDLength));
    b.append(vics).append(tail);
    fixDataBlockLength(b);
}

void shapeCta(CtaExtension &cta, const ModeRank &rank, int baseDtds)
{
    const bool svdsChanged = shapeSvds(cta, rank);
    shapeCodeLists(cta, rank);
    shapeHdmiVics(cta, rank, svdsChanged);
    cta.dtds.removeIf([&rank](const QByteArray &d) {
        const auto timing = decodeDetailedTiming(reinterpret_cast<const quint8 *>(d.constData()));
        return timing && !rank(modeOfTiming(*timing));
    });
    const int dtds = baseDtds + int(cta.dtds.size());
    if ((cta.flags & CtaNativeDtdMask) > dtds)
        cta.flags = quint8((cta.flags & ~CtaNativeDtdMask) | dtds);
}

int baseDtdCount(const EdidImage &image)
{
    int count = 0;
    for (int slot = 0; slot < BaseLayout::DescriptorCount; ++slot)
        count += decodeDetailedTiming(image.data() + descriptorOffset(slot)) ? 1 : 0;
    return count;
}

} // namespace

std::optional<CapabilityMode> modeOfVic(int vic)
{
    if (const auto standard = standardModeForVic(vic))
        return modeOfTiming(standard->timing);
    return std::nullopt;
}

bool hasExtensionBlock(const EdidImage &image)
{
    return image[BaseLayout::ExtensionCount] > 0;
}

void makeDummyDescriptor(quint8 *d)
{
    std::fill(d, d + DetailedDescriptorSize, quint8(0));
    d[3] = DisplayDescriptorTag::Dummy;
}

void fixDataBlockLength(QByteArray &block)
{
    block[0] = char((quint8(block[0]) & 0xE0) | (block.size() - 1));
}

// Removes the modes `rank` drops from every place and orders the rest.
EditResult shapeModes(const EdidImage &image, const ModeRank &rank)
{
    EdidImage edited = image;
    shapeBaseBlock(edited, rank);
    if (hasExtensionBlock(image)) {
        QString error;
        auto cta = CtaExtension::parse(edited, &error);
        if (!cta)
            return EditResult::refused(
                QStringLiteral("Only a table whose extension is a CTA-861 block can be shaped: %1")
                    .arg(error));
        shapeCta(*cta, rank, baseDtdCount(edited));
        if (!cta->write(edited, &error))
            return EditResult::refused(error);
    }
    correctChecksums(edited);
    return EditResult::done(edited);
}

} // namespace varnex::edid
