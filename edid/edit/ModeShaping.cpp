#include "ModeShaping.h"

#include "BaseDescriptors.h"
#include "Checksum.h"
#include "CtaExtension.h"
#include "StandardModes.h"
#include "capability/Capabilities.h"
#include "compose/BaseTimingCodes.h"
#include "decode/ByteView.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidModel.h"
#include "decode/TimingCodes.h"
#include "spec/CtaVideoFormats.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>

namespace varnex::edid {

namespace {

// Where a mode goes among the kept ones (lower first); nothing drops it.
using ModeRank = std::function<std::optional<int>(const CapabilityMode &)>;

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
// Feature support byte bit 0: continuous frequency (1.4) or default GTF (1.3).
constexpr quint8 ContinuousFrequencyBit = 0x01;
// Range limits descriptor: rates from byte 5, the clock in 10 MHz at byte 9,
// the kind of secondary timing at byte 10 (0 default GTF, 1 limits only).
constexpr int RangeOffsetFlags = 4;
constexpr int RangeRatesStart = 5;
constexpr int RangeClock = 9;
constexpr int RangeKind = 10;
constexpr quint8 RangeLimitsOnly = 0x01;
constexpr int RangeByteMax = 255;
constexpr quint8 MaxVPlus255 = 0x02;
constexpr quint8 MinMaxVPlus255 = 0x03;
constexpr quint8 MaxHPlus255 = 0x08;
constexpr quint8 MinMaxHPlus255 = 0x0C;
constexpr int ClockUnitKHz = 10000;
// A mode at the limit given in whole Hz counts as within it (59.94 under 60).
constexpr double RateLeeway = 1.005;

CapabilityMode modeOfTiming(const Timing &t)
{
    CapabilityMode mode;
    mode.width = t.hActive;
    mode.height = t.frameHeight();
    mode.interlaced = t.interlaced;
    mode.refreshHz = t.refreshHz();
    mode.pixelClockKHz = t.pixelClockKHz;
    mode.lineRateKHz = t.hFreqKHz();
    mode.timing = t;
    return mode;
}

CapabilityMode modeOfCode(const TimingCode &t)
{
    CapabilityMode mode;
    mode.width = t.width;
    mode.height = t.height;
    mode.interlaced = t.interlaced;
    mode.refreshHz = t.refreshHz;
    return mode;
}

CapabilityMode modeOfRequest(const ModeRequest &r)
{
    CapabilityMode mode;
    mode.width = r.width;
    mode.height = r.height;
    mode.interlaced = r.interlaced;
    mode.refreshHz = r.refreshHz;
    return mode;
}

std::optional<CapabilityMode> modeOfVic(int vic)
{
    if (const auto standard = standardModeForVic(vic))
        return modeOfTiming(standard->timing);
    return std::nullopt;
}

double pixelRate(const CapabilityMode &m)
{
    return double(m.width) * m.height * m.refreshHz / (m.interlaced ? 2 : 1);
}

// A VIC whose format is `mode`, 0 when none is.
int vicOfMode(const CapabilityMode &mode)
{
    for (const StandardMode &standard : standardModes()) {
        if (standard.vic != 0 && sameMode(modeOfTiming(standard.timing), mode))
            return standard.vic;
    }
    return 0;
}

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
        entries.append({value, rank(modeOfCode(*timing))});
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

// 640x480@60 is established bit 5 of byte 0x23: every CTA-861 sink must
// take it (CTA-861-H 6.2), and sources and checkers look for it there.
constexpr int BaselineEstablishedBit = 2;

bool hasExtension(const EdidImage &image)
{
    return image[BaseLayout::ExtensionCount] > 0;
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
        const bool baseline = bit == BaselineEstablishedBit && hasExtension(image);
        if (named.size() == 1 && !baseline && !rank(modeOfCode(named.first())))
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
        if (named.size() == 1 && !rank(modeOfCode(named.first())))
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
            if (named.size() == 1 && !rank(modeOfCode(named.first())))
                code[2] &= quint8(~(1 << bit));
        }
        if (!(code[2] & ((1 << CvtRateBits) - 1)))
            std::fill(code, code + CvtCodeSize, quint8(0));
    }
}

void makeDummy(quint8 *d)
{
    std::fill(d, d + DetailedDescriptorSize, quint8(0));
    d[3] = DisplayDescriptorTag::Dummy;
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
                makeDummy(d);
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

void fixLength(QByteArray &block)
{
    block[0] = char((quint8(block[0]) & 0xE0) | (block.size() - 1));
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
            fixLength(b);
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
        fixLength(b);
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
    fixLength(b);
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

// Removes the modes `rank` drops from every place and orders the rest.
EditResult shapeModes(const EdidImage &image, const ModeRank &rank)
{
    EdidImage edited = image;
    shapeBaseBlock(edited, rank);
    if (hasExtension(image)) {
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

// The modes the table offers; the implicit 640x480 baseline counts only when listed.
QList<CapabilityMode> listedModes(const EdidImage &image)
{
    QList<CapabilityMode> modes =
        capabilitiesOf(decodeEdid(QByteArrayView(image.data(), qsizetype(image.size())))).modes;
    modes.removeIf([](const CapabilityMode &m) {
        return m.sources == QStringList{QStringLiteral("baseline")};
    });
    return modes;
}

std::optional<DetailedDescriptorBytes> dtdBytesAt(const quint8 *d)
{
    if (!decodeDetailedTiming(d))
        return std::nullopt;
    DetailedDescriptorBytes bytes;
    std::copy_n(d, DetailedDescriptorSize, bytes.begin());
    return bytes;
}

// Every DTD of the base block and block 1, in table order.
QList<DetailedDescriptorBytes> allDtds(const EdidImage &image)
{
    QList<DetailedDescriptorBytes> dtds;
    for (int slot = 0; slot < BaseLayout::DescriptorCount; ++slot) {
        if (const auto d = dtdBytesAt(image.data() + descriptorOffset(slot)))
            dtds.append(*d);
    }
    QString ignored;
    if (const auto cta = CtaExtension::parse(image, &ignored); cta && hasExtension(image)) {
        for (const QByteArray &d : cta->dtds) {
            if (const auto bytes = dtdBytesAt(reinterpret_cast<const quint8 *>(d.constData())))
                dtds.append(*bytes);
        }
    }
    return dtds;
}

int firstFreeSlot(const EdidImage &image)
{
    for (int slot = 1; slot < BaseLayout::DescriptorCount; ++slot) {
        if (isFreeSlot(image, slot))
            return slot;
    }
    return -1;
}

// Puts `dtd` in the first descriptor slot, the preferred timing: other DTDs of
// its mode go; what held the slot moves to a free slot (a DTD may move to
// block 1). With `native`, it is the one native DTD and the one native SVD is its VIC.
QString placePreferred(EdidImage &image, const DetailedDescriptorBytes &dtd, bool native)
{
    const CapabilityMode mode = modeOfTiming(*decodeDetailedTiming(dtd.data()));
    const auto sameAs = [&mode](const quint8 *d) {
        const auto t = decodeDetailedTiming(d);
        return t && sameMode(modeOfTiming(*t), mode);
    };
    quint8 *first = image.data() + descriptorOffset(0);
    const bool alreadyFirst = std::equal(dtd.cbegin(), dtd.cend(), first);
    for (int slot = alreadyFirst ? 1 : 0; slot < BaseLayout::DescriptorCount; ++slot) {
        if (sameAs(image.data() + descriptorOffset(slot)))
            makeDummy(image.data() + descriptorOffset(slot));
    }
    QString error;
    std::optional<CtaExtension> cta =
        hasExtension(image) ? CtaExtension::parse(image, &error) : std::nullopt;
    if (cta)
        cta->dtds.removeIf([&sameAs](const QByteArray &d) {
            return sameAs(reinterpret_cast<const quint8 *>(d.constData()));
        });
    if (!alreadyFirst && !isFreeSlot(image, 0)) {
        const int target = firstFreeSlot(image);
        if (target >= 0) {
            std::copy_n(first, DetailedDescriptorSize, image.data() + descriptorOffset(target));
        } else if (cta && decodeDetailedTiming(first)) {
            cta->dtds.prepend(
                QByteArray(reinterpret_cast<const char *>(first), DetailedDescriptorSize));
        } else {
            return QStringLiteral("No descriptor slot is free for what the first slot holds.");
        }
    }
    std::copy(dtd.cbegin(), dtd.cend(), first);
    if (cta) {
        if (native) {
            cta->flags = quint8((cta->flags & ~CtaNativeDtdMask) | 1);
            for (QByteArray &b : cta->dataBlocks) {
                if (CtaExtension::tagOf(b) != CtaTag::Video)
                    continue;
                for (qsizetype i = 1; i < b.size(); ++i) {
                    const int svdVic = svdToVic(quint8(b[i]));
                    b[i] = char(svdVic);
                }
            }
        }
        if (!cta->write(image, &error))
            return error;
    }
    correctChecksums(image);
    return {};
}

// Widens the range limits to take `modes` and sets their clock to the fastest;
// with `exclusive`, the limits stop offering timings of their own.
void fitRangeLimits(EdidImage &image, const QList<CapabilityMode> &modes, bool exclusive)
{
    const int slot = findDisplayDescriptor(image, DisplayDescriptorTag::RangeLimits);
    const auto limits = readRangeLimits(image);
    if (slot < 0 || !limits || modes.isEmpty())
        return;
    ModeRangeLimits fit = *limits;
    int fastestKHz = 0;
    for (const CapabilityMode &m : modes) {
        fit.minVHz = std::min(fit.minVHz, int(std::floor(m.refreshHz)));
        fit.maxVHz = std::max(fit.maxVHz, int(std::ceil(m.refreshHz)));
        if (m.lineRateKHz) {
            fit.minHKhz = std::min(fit.minHKhz, int(std::floor(*m.lineRateKHz)));
            fit.maxHKhz = std::max(fit.maxHKhz, int(std::ceil(*m.lineRateKHz)));
        }
        fastestKHz = std::max(fastestKHz, m.pixelClockKHz.value_or(0));
    }
    quint8 *d = image.data() + descriptorOffset(slot);
    const bool version14 = image[BaseLayout::Version] == 1 && image[BaseLayout::Revision] >= 4;
    const auto split = [version14](int value, quint8 plus255) -> std::pair<quint8, quint8> {
        if (version14 && value > RangeByteMax)
            return {quint8(value - RangeByteMax), plus255};
        return {quint8(std::clamp(value, 1, RangeByteMax)), quint8(0)};
    };
    const auto [minV, minVFlag] = split(fit.minVHz, MinMaxVPlus255);
    const auto [maxV, maxVFlag] = split(fit.maxVHz, MaxVPlus255);
    const auto [minH, minHFlag] = split(fit.minHKhz, MinMaxHPlus255);
    const auto [maxH, maxHFlag] = split(fit.maxHKhz, MaxHPlus255);
    d[RangeOffsetFlags] = quint8(minVFlag | maxVFlag | minHFlag | maxHFlag);
    d[RangeRatesStart] = minV;
    d[RangeRatesStart + 1] = maxV;
    d[RangeRatesStart + 2] = minH;
    d[RangeRatesStart + 3] = maxH;
    if (fastestKHz > 0)
        d[RangeClock] =
            quint8(std::min(RangeByteMax, (fastestKHz + ClockUnitKHz - 1) / ClockUnitKHz));
    if (exclusive || d[RangeKind] > RangeLimitsOnly) {
        // Secondary GTF and CVT parameters go with the timings they would make.
        d[RangeKind] = version14 ? RangeLimitsOnly : 0;
        d[RangeKind + 1] = 0x0A;
        std::fill(d + RangeKind + 2, d + DetailedDescriptorSize, quint8(0x20));
    }
    if (exclusive)
        image[BaseLayout::Features] &= quint8(~ContinuousFrequencyBit);
}

// A mode the user named: the same mode, or a whole rate that names it as
// the DMT names do (800x600@60 is 60.32 Hz).
bool named(const CapabilityMode &wanted, const CapabilityMode &mode)
{
    return sameMode(wanted, mode) || (wanted.width == mode.width && wanted.height == mode.height &&
                                      wanted.interlaced == mode.interlaced &&
                                      wanted.refreshHz == std::round(wanted.refreshHz) &&
                                      std::lround(mode.refreshHz) == std::lround(wanted.refreshHz));
}

std::optional<int> rankIn(const QList<CapabilityMode> &wanted, const CapabilityMode &mode)
{
    for (int i = 0; i < wanted.size(); ++i) {
        if (named(wanted[i], mode))
            return i;
    }
    return std::nullopt;
}

bool offers(const QList<CapabilityMode> &modes, const CapabilityMode &mode)
{
    return std::any_of(modes.cbegin(), modes.cend(),
                       [&mode](const CapabilityMode &m) { return named(mode, m); });
}

// The timing to write for a mode: the table's own DTD of it, else the standard
// or CVT-RB timing sized like the screen.
std::optional<DetailedDescriptorBytes> dtdFor(const EdidImage &image, const ModeRequest &request)
{
    for (const DetailedDescriptorBytes &d : allDtds(image)) {
        if (named(modeOfRequest(request), modeOfTiming(*decodeDetailedTiming(d.data()))))
            return d;
    }
    auto timing = timingForRequest(request);
    if (!timing)
        return std::nullopt;
    timing->widthMm = image[BaseLayout::WidthCm] * 10;
    timing->heightMm = image[BaseLayout::HeightCm] * 10;
    return encodeDetailedTiming(*timing);
}

// Adds a mode the table lacks: its VIC, an established or standard timing, or a DTD.
QString addMode(EdidImage &image, const ModeRequest &request)
{
    const auto timing = timingForRequest(request);
    const CapabilityMode mode = timing ? modeOfTiming(*timing) : modeOfRequest(request);
    QString error;
    std::optional<CtaExtension> cta =
        hasExtension(image) ? CtaExtension::parse(image, &error) : std::nullopt;
    if (const int vic = vicOfMode(mode); vic && cta) {
        const int video = cta->indexOf(CtaTag::Video);
        if (video < 0)
            cta->dataBlocks.prepend(
                CtaExtension::makeBlock(CtaTag::Video, QByteArray(1, char(vic))));
        else if (cta->dataBlocks[video].size() <= CtaLayout::MaxPayload) {
            cta->dataBlocks[video].append(char(vic));
            fixLength(cta->dataBlocks[video]);
        }
        if (cta->write(image, &error))
            return {};
    }
    if (setEstablishedTiming(image, mode) || addStandardTiming(image, mode)) {
        correctChecksums(image);
        return {};
    }
    const auto dtd = timing ? encodeDetailedTiming(*timing) : std::nullopt;
    if (!dtd)
        return QStringLiteral("No timing can be made for %1.").arg(modeRequestText(request));
    if (cta) {
        cta->dtds.append(
            QByteArray(reinterpret_cast<const char *>(dtd->data()), DetailedDescriptorSize));
        if (cta->write(image, &error))
            return {};
    }
    if (const int slot = firstFreeSlot(image); slot >= 0) {
        std::copy(dtd->cbegin(), dtd->cend(), image.data() + descriptorOffset(slot));
        correctChecksums(image);
        return {};
    }
    return QStringLiteral("There is no room left for %1.").arg(modeRequestText(request));
}

} // namespace

QString modeRequestText(const ModeRequest &mode)
{
    return QStringLiteral("%1x%2%3@%4")
        .arg(mode.width)
        .arg(mode.height)
        .arg(mode.interlaced ? QStringLiteral("i") : QString())
        .arg(QString::number(mode.refreshHz));
}

EditResult keepOnlyModes(const EdidImage &image, const QList<ModeRequest> &requests)
{
    if (requests.isEmpty())
        return EditResult::refused(QStringLiteral("No mode to keep."));
    QList<CapabilityMode> wanted;
    QList<ModeRequest> distinct;
    for (const ModeRequest &r : requests) {
        if (!offers(wanted, modeOfRequest(r))) {
            wanted.append(modeOfRequest(r));
            distinct.append(r);
        }
    }
    QStringList names;
    for (const ModeRequest &r : distinct)
        names << modeRequestText(r);
    const auto preferred = dtdFor(image, distinct.first());
    if (!preferred)
        return EditResult::refused(
            QStringLiteral("No detailed timing can be made for %1.").arg(names.first()));
    const ModeRank rank = [&wanted](const CapabilityMode &m) { return rankIn(wanted, m); };
    EditResult shaped = shapeModes(image, rank);
    if (!shaped.ok())
        return shaped;
    EdidImage edited = *shaped.image;
    if (const QString error = placePreferred(edited, *preferred, true); !error.isEmpty())
        return EditResult::refused(error);

    QList<CapabilityMode> missing;
    const QList<CapabilityMode> present = listedModes(edited);
    for (const ModeRequest &r : distinct) {
        CapabilityMode m = modeOfRequest(r);
        if (offers(present, m))
            continue;
        if (const auto timing = timingForRequest(r))
            m = modeOfTiming(*timing);
        missing.append(m);
    }
    fitRangeLimits(edited, missing, false);
    for (const ModeRequest &r : distinct) {
        if (offers(listedModes(edited), modeOfRequest(r)))
            continue;
        if (const QString error = addMode(edited, r); !error.isEmpty())
            return EditResult::refused(error);
    }
    // Sources that read only VICs still find the preferred mode among them.
    if (const int vic = vicOfMode(wanted.first()); vic && hasExtension(edited)) {
        QString error;
        if (auto cta = CtaExtension::parse(edited, &error)) {
            bool listed = false;
            for (const QByteArray &b : cta->dataBlocks) {
                for (qsizetype i = 1; CtaExtension::tagOf(b) == CtaTag::Video && i < b.size(); ++i)
                    listed = listed || svdToVic(quint8(b[i])) == vic;
            }
            const int video = cta->indexOf(CtaTag::Video);
            if (!listed && (video < 0 || cta->dataBlocks[video].size() <= CtaLayout::MaxPayload)) {
                if (video < 0)
                    cta->dataBlocks.prepend(CtaExtension::makeBlock(CtaTag::Video, QByteArray()));
                QByteArray &b = cta->dataBlocks[std::max(video, 0)];
                b.append(char(vic));
                fixLength(b);
                cta->write(edited, &error);
            }
        }
    }
    if (hasExtension(edited))
        edited[BaseLayout::EstablishedTimings] |= quint8(0x80 >> BaselineEstablishedBit);
    // Added modes take the places their order gives them.
    shaped = shapeModes(edited, rank);
    if (!shaped.ok())
        return shaped;
    edited = *shaped.image;
    fitRangeLimits(edited, listedModes(edited), true);
    correctChecksums(edited);
    return EditResult::doneOrAlready(
        image, edited,
        QStringLiteral("already offers only %1").arg(names.join(QStringLiteral(", "))));
}

EditResult limitModes(const EdidImage &image, const ModeRequest &limit)
{
    const CapabilityMode top = modeOfRequest(limit);
    const double most = pixelRate(top) * RateLeeway;
    const QString note =
        QStringLiteral("already without modes above %1").arg(modeRequestText(limit));
    const ModeRank rank = [most](const CapabilityMode &m) {
        return pixelRate(m) <= most ? std::optional<int>(0) : std::nullopt;
    };
    EditResult shaped = shapeModes(image, rank);
    if (!shaped.ok())
        return shaped;
    EdidImage edited = *shaped.image;
    if (edited == image)
        return EditResult::unchanged(image, note);
    const QList<CapabilityMode> left = listedModes(edited);
    if (left.isEmpty())
        return EditResult::refused(
            QStringLiteral("No mode of the table is within %1.").arg(modeRequestText(limit)));
    if (!decodeDetailedTiming(edited.data() + descriptorOffset(0))) {
        // The preferred timing went: the fastest DTD left takes its place, else the fastest VIC.
        std::optional<DetailedDescriptorBytes> best;
        double bestRate = 0;
        for (const DetailedDescriptorBytes &d : allDtds(edited)) {
            const double rate = pixelRate(modeOfTiming(*decodeDetailedTiming(d.data())));
            if (rate > bestRate) {
                best = d;
                bestRate = rate;
            }
        }
        std::optional<DetailedDescriptorBytes> bestOther;
        for (const CapabilityMode &m : left) {
            if (best || !m.timing || pixelRate(m) <= bestRate)
                continue;
            Timing t = *m.timing;
            t.widthMm = edited[BaseLayout::WidthCm] * 10;
            t.heightMm = edited[BaseLayout::HeightCm] * 10;
            if (const auto bytes = encodeDetailedTiming(t)) {
                bestOther = bytes;
                bestRate = pixelRate(m);
            }
        }
        if (!best)
            best = bestOther;
        if (!best)
            return EditResult::refused(
                QStringLiteral("No mode within %1 can be the preferred timing.")
                    .arg(modeRequestText(limit)));
        if (const QString error = placePreferred(edited, *best, false); !error.isEmpty())
            return EditResult::refused(error);
    }
    fitRangeLimits(edited, listedModes(edited), false);
    correctChecksums(edited);
    return EditResult::done(edited);
}

} // namespace varnex::edid
