#include "capability/Capabilities.h"

#include "decode/EdidModel.h"
#include "edit/ShortAudioDescriptor.h"
#include "edit/StandardModes.h"
#include "spec/CtaVideoFormats.h"
#include "spec/DmtFormats.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace varnex::edid {

namespace {

// 640x480p59.94/60, the format every CTA-861 sink (CTA-861-H 6.2), DVI sink
// (DVI 1.0, 2.2.5) and DisplayPort sink (its fail-safe mode) must accept.
constexpr int BaselineVic = 1;

// A payload byte of a data block, -1 past its end.
int payloadByte(const DataBlock &block, int index)
{
    return index < block.payload.size() ? quint8(block.payload[index]) : -1;
}

std::optional<int> optionalByte(const DataBlock &block, int index)
{
    const int value = payloadByte(block, index);
    return value < 0 ? std::nullopt : std::optional(value);
}

void addMode(QList<CapabilityMode> &modes, const CapabilityMode &mode)
{
    if (mode.width <= 0 || mode.height <= 0 || !(mode.refreshHz > 0))
        return;
    for (CapabilityMode &known : modes) {
        if (!sameMode(known, mode))
            continue;
        known.sources += mode.sources;
        known.preferred = known.preferred || mode.preferred;
        for (int vic : mode.vics) {
            if (!known.vics.contains(vic))
                known.vics.append(vic);
        }
        if (!known.timing)
            known.timing = mode.timing;
        if (!known.pixelClockKHz)
            known.pixelClockKHz = mode.pixelClockKHz;
        if (!known.lineRateKHz)
            known.lineRateKHz = mode.lineRateKHz;
        known.ycbcr420 = known.ycbcr420 || mode.ycbcr420;
        // Only 4:2:0 while every source says so.
        known.ycbcr420Only = known.ycbcr420Only && mode.ycbcr420Only;
        return;
    }
    modes.append(mode);
}

CapabilityMode detailedMode(const DetailedTiming &d, const QByteArray &bytes, int number)
{
    CapabilityMode mode = modeOfTiming(d);
    mode.preferred = d.preferred;
    mode.sources = {QStringLiteral("DTD %1").arg(number)};
    // The whole timing as the descriptor's bytes give it, when they are at hand.
    const bool bytesAtHand =
        d.at.offset >= 0 && d.at.offset + DetailedDescriptorSize <= bytes.size();
    mode.timing = bytesAtHand
                      ? decodeDetailedTiming(reinterpret_cast<const quint8 *>(bytes.constData()) +
                                             d.at.offset)
                      : std::nullopt;
    return mode;
}

CapabilityMode formatMode(const VideoFormat &format, const QString &source)
{
    CapabilityMode mode;
    mode.width = format.hActive;
    mode.height = format.vActive;
    mode.interlaced = format.interlaced;
    mode.refreshHz = format.refreshHz();
    mode.pixelClockKHz = format.pixelClockKHz;
    if (format.hTotal > 0)
        mode.lineRateKHz = double(format.pixelClockKHz) / format.hTotal;
    mode.sources = {source};
    return mode;
}

CapabilityMode vicMode(const ShortVideo &svd, bool only420)
{
    CapabilityMode mode = formatMode(*svd.format, QStringLiteral("VIC %1").arg(svd.vic));
    mode.vics = {svd.vic};
    if (const auto standard = standardModeForVic(svd.vic))
        mode.timing = standard->timing;
    mode.ycbcr420 = only420;
    mode.ycbcr420Only = only420;
    return mode;
}

CapabilityMode codedMode(const TimingCode &t, const QString &source)
{
    CapabilityMode mode;
    mode.width = t.width;
    mode.height = t.height;
    mode.interlaced = t.interlaced;
    mode.refreshHz = t.refreshHz;
    mode.pixelClockKHz = t.pixelClockKHz;
    mode.sources = {source};
    if (t.dmtId) {
        mode.timing = standardTiming(t.width, t.height, t.refreshHz);
        if (const auto dmt = dmtFormat(*t.dmtId); dmt && dmt->hTotal > 0)
            mode.lineRateKHz = double(dmt->pixelClockKHz) / dmt->hTotal;
    }
    return mode;
}

// Detailed timings are numbered across the blocks, base block first.
void addVideoModes(const DecodedEdid &edid, QList<CapabilityMode> &modes)
{
    int dtdNumber = 0;
    for (const DetailedTiming &d : edid.base->detailedTimings())
        addMode(modes, detailedMode(d, edid.bytes, ++dtdNumber));
    for (const CtaBlock &cta : edid.cta) {
        for (const DetailedTiming &d : cta.detailedTimings)
            addMode(modes, detailedMode(d, edid.bytes, ++dtdNumber));
    }
    // DisplayID timings are stored in their own form, so the timing is the decoder's.
    // Their preferred flag counts only in a table whose base block names none.
    bool preferredTaken = std::any_of(modes.cbegin(), modes.cend(),
                                      [](const CapabilityMode &m) { return m.preferred; });
    int displayIdNumber = 0;
    for (const DisplayIdSection &section : edid.displayId) {
        for (const DetailedTiming &d : section.detailedTimings()) {
            CapabilityMode mode = detailedMode(d, {}, 0);
            mode.preferred = d.preferred && !preferredTaken;
            preferredTaken = preferredTaken || mode.preferred;
            mode.sources = {QStringLiteral("DisplayID %1").arg(++displayIdNumber)};
            mode.timing = Timing(d);
            addMode(modes, mode);
        }
    }
    for (const CtaBlock &cta : edid.cta) {
        for (const DataBlock &block : cta.dataBlocks) {
            const auto *video = std::get_if<VideoBlock>(&block.content);
            if (!video)
                continue;
            const bool only420 = block.tag != CtaTag::Video;
            for (const ShortVideo &svd : video->svds) {
                if (svd.format)
                    addMode(modes, vicMode(svd, only420));
            }
        }
        if (const auto *hdmi = cta.first<HdmiVsdb>()) {
            for (int hdmiVic : hdmi->hdmiVics) {
                if (const auto format = ctaVideoFormat(vicForHdmiVic(hdmiVic)))
                    addMode(modes, formatMode(*format, QStringLiteral("HDMI VIC %1").arg(hdmiVic)));
            }
        }
        // The capability map marks SVDs that also take 4:2:0.
        const QList<int> vics420 = cta.ycbcr420Vics();
        for (CapabilityMode &mode : modes) {
            for (int vic : mode.vics)
                mode.ycbcr420 = mode.ycbcr420 || vics420.contains(vic);
        }
    }
    for (const TimingCode &t : edid.base->allEstablishedTimings())
        addMode(modes, codedMode(t, QStringLiteral("established")));
    for (const TimingCode &t : edid.base->allStandardTimings())
        addMode(modes, codedMode(t, QStringLiteral("standard")));
    for (const TimingCode &t : edid.base->cvtTimings())
        addMode(modes, codedMode(t, QStringLiteral("CVT")));
    const bool digital = edid.base->digital || !edid.cta.isEmpty();
    if (const auto vic1 = ctaVideoFormat(BaselineVic); vic1 && digital) {
        CapabilityMode baseline = formatMode(*vic1, QStringLiteral("baseline"));
        baseline.timing = standardModeForVic(BaselineVic)->timing;
        if (std::none_of(modes.cbegin(), modes.cend(),
                         [&](const CapabilityMode &m) { return sameMode(m, baseline); }))
            modes.append(baseline);
    }
}

void addAudio(const DecodedEdid &edid, const CtaBlock &cta, Capabilities &caps)
{
    for (const ShortAudio &sad : cta.sads()) {
        if (sad.formatCode < AudioFormat::Lpcm || sad.formatCode > AudioFormat::WmaPro ||
            sad.at.offset < 0 || sad.at.offset + 3 > edid.bytes.size())
            continue;
        const ShortAudioDescriptor bytes = ShortAudioDescriptor::decode(
            reinterpret_cast<const quint8 *>(edid.bytes.constData()) + sad.at.offset);
        caps.audio.append(
            {bytes.format, sad.format, bytes.channels, bytes.sampleRates, bytes.detail});
    }
    if (const auto *speakers = cta.first<SpeakerAllocation>())
        caps.speakers = speakers->bits;
}

void addHdmi(const CtaBlock &cta, Capabilities &caps)
{
    if (const auto *vsdb = cta.first<HdmiVsdb>()) {
        caps.hdmi = true;
        if (vsdb->maxTmdsMHz && *vsdb->maxTmdsMHz > 0)
            caps.maxTmdsMHz = vsdb->maxTmdsMHz;
        const std::pair<bool, int> bits[] = {
            {vsdb->deepColor30, 30}, {vsdb->deepColor36, 36}, {vsdb->deepColor48, 48}};
        for (const auto &[supported, depth] : bits) {
            if (supported)
                caps.deepColor.rgbBits.append(depth);
        }
        caps.deepColor.ycbcr444 = vsdb->deepColorY444;
    }
    if (const auto *forum = cta.first<HdmiForumBlock>()) {
        caps.hdmiForum = HdmiForumCapability{forum->maxTmdsMHz, forum->scdc, forum->maxFrlRate};
        const std::pair<bool, int> bits[] = {{forum->deepColor420_30, 30},
                                             {forum->deepColor420_36, 36},
                                             {forum->deepColor420_48, 48}};
        for (const auto &[supported, depth] : bits) {
            if (supported)
                caps.deepColor.ycbcr420Bits.append(depth);
        }
    }
}

void addColour(const CtaBlock &cta, Capabilities &caps)
{
    caps.ycbcr444 = cta.ycbcr444.value_or(false);
    caps.ycbcr422 = cta.ycbcr422.value_or(false);
    caps.underscan = cta.underscan.value_or(false);
    for (const DataBlock &block : cta.dataBlocks) {
        if (const auto *hdr = std::get_if<HdrStaticMetadata>(&block.content)) {
            caps.hdr = HdrCapability{hdr->eotfBits,          hdr->eotfs,
                                     hdr->metadataTypes,     optionalByte(block, 2),
                                     optionalByte(block, 3), optionalByte(block, 4),
                                     hdr->maxLuminance,      hdr->maxFrameAverageLuminance,
                                     hdr->minLuminance};
        } else if (std::holds_alternative<Colorimetry>(block.content)) {
            caps.colorimetry = qMax(0, payloadByte(block, 0));
            caps.colorimetryMetadata = qMax(0, payloadByte(block, 1));
        }
    }
}

} // namespace

const CapabilityMode *Capabilities::preferredMode() const
{
    for (const CapabilityMode &mode : modes) {
        if (mode.preferred)
            return &mode;
    }
    return nullptr;
}

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

bool sameMode(const CapabilityMode &a, const CapabilityMode &b)
{
    return a.width == b.width && a.height == b.height && a.interlaced == b.interlaced &&
           std::abs(a.refreshHz - b.refreshHz) <=
               ModeRateTolerance * std::max(a.refreshHz, b.refreshHz);
}

QString modeText(const CapabilityMode &mode)
{
    return QStringLiteral("%1x%2%3@%4")
        .arg(mode.width)
        .arg(mode.height)
        .arg(mode.interlaced ? QStringLiteral("i") : QString())
        .arg(QString::number(std::round(mode.refreshHz * 100) / 100, 'f', 2)
                 .remove(QRegularExpression(QStringLiteral("\\.?0+$"))));
}

QString audioText(const AudioCapability &audio)
{
    switch (audio.channels) {
    case 2:
        return QStringLiteral("stereo %1").arg(audio.name);
    case 6:
        return QStringLiteral("5.1 %1").arg(audio.name);
    case 8:
        return QStringLiteral("7.1 %1").arg(audio.name);
    default:
        return QStringLiteral("%1-channel %2").arg(audio.channels).arg(audio.name);
    }
}

Capabilities capabilitiesOf(const DecodedEdid &edid)
{
    Capabilities caps;
    if (!edid.base)
        return caps;
    addVideoModes(edid, caps.modes);
    if (const RangeLimits *r = edid.base->rangeLimits())
        caps.rangeLimits = ModeRangeLimits{r->minVHz, r->maxVHz, r->minHKHz, r->maxHKHz,
                                           r->maxPixelClockMHz.value_or(0)};
    caps.widthCm = edid.base->widthCm;
    caps.heightCm = edid.base->heightCm;
    // Blocks after the first CTA-861 one rarely repeat these; the first says them.
    if (const CtaBlock *cta = edid.firstCta()) {
        addAudio(edid, *cta, caps);
        addHdmi(*cta, caps);
        addColour(*cta, caps);
    }
    return caps;
}

} // namespace varnex::edid
