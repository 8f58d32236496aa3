#include "ModeShaping.h"

#include "BaseDescriptors.h"
#include "Checksum.h"
#include "CtaExtension.h"
#include "ModePlaces.h"
#include "StandardModes.h"
#include "capability/Capabilities.h"
#include "compose/BaseTimingCodes.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidModel.h"
#include "spec/CtaVideoFormats.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace varnex::edid {

namespace {

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
    if (const auto cta = CtaExtension::parse(image, &ignored); cta && hasExtensionBlock(image)) {
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
            makeDummyDescriptor(image.data() + descriptorOffset(slot));
    }
    QString error;
    std::optional<CtaExtension> cta =
        hasExtensionBlock(image) ? CtaExtension::parse(image, &error) : std::nullopt;
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
        if (named(modeNamedBy(request), modeOfTiming(*decodeDetailedTiming(d.data()))))
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
    const CapabilityMode mode = timing ? modeOfTiming(*timing) : modeNamedBy(request);
    QString error;
    std::optional<CtaExtension> cta =
        hasExtensionBlock(image) ? CtaExtension::parse(image, &error) : std::nullopt;
    if (const int vic = vicOfMode(mode); vic && cta) {
        CtaExtension withVic = *cta;
        const int video = withVic.indexOf(CtaTag::Video);
        if (video < 0)
            withVic.dataBlocks.prepend(
                CtaExtension::makeBlock(CtaTag::Video, QByteArray(1, char(vic))));
        else if (withVic.dataBlocks[video].size() <= CtaLayout::MaxPayload) {
            withVic.dataBlocks[video].append(char(vic));
            fixDataBlockLength(withVic.dataBlocks[video]);
        }
        // A full video data block leaves the mode to the other places.
        if (withVic.dataBlocks != cta->dataBlocks && withVic.write(image, &error))
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
        if (!offers(wanted, modeNamedBy(r))) {
            wanted.append(modeNamedBy(r));
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
        CapabilityMode m = modeNamedBy(r);
        if (offers(present, m))
            continue;
        if (const auto timing = timingForRequest(r))
            m = modeOfTiming(*timing);
        missing.append(m);
    }
    fitRangeLimits(edited, missing, false);
    for (const ModeRequest &r : distinct) {
        if (offers(listedModes(edited), modeNamedBy(r)))
            continue;
        if (const QString error = addMode(edited, r); !error.isEmpty())
            return EditResult::refused(error);
    }
    // Sources that read only VICs still find the preferred mode among them.
    if (const int vic = vicOfMode(wanted.first()); vic && hasExtensionBlock(edited)) {
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
                fixDataBlockLength(b);
                cta->write(edited, &error);
            }
        }
    }
    if (hasExtensionBlock(edited))
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
    const CapabilityMode top = modeNamedBy(limit);
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
