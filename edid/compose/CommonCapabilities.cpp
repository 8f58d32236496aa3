#include "compose/CommonCapabilities.h"

#include "spec/Units.h"

#include "edit/BaseDescriptors.h"
#include "edit/ShortAudioDescriptor.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace varnex::edid {

namespace {

// The preferred mode should be one a source runs smoothly: 50 Hz or more.
constexpr double SmoothRateHz = 50.0;
// Range limits are written in the EDID 1.3 form: whole Hz and kHz in one byte.
constexpr int MaxRangeRate = 255;
// The HDMI 1.4 VSDB cannot state a TMDS clock above 340 MHz (HDMI 1.4b, 8.3.2).
constexpr int MaxHdmiVsdbTmdsMHz = 340;

// A DTD holds the active pixels of a line in 12 bits.
constexpr int DtdMaxActive = 0xFFF;

using Report = QStringList;

const CapabilityMode *findMode(const Capabilities &caps, const CapabilityMode &mode)
{
    for (const CapabilityMode &known : caps.modes) {
        if (sameMode(known, mode))
            return &known;
    }
    return nullptr;
}

void addLine(Report &report, const QString &line)
{
    if (!report.contains(line))
        report.append(line);
}

// For a feature some inputs have and others lack: one line per input that loses it.
bool reportFeature(const QList<bool> &has, const QStringList &names, const QString &what,
                   Report &report)
{
    QStringList lacking;
    for (int i = 0; i < has.size(); ++i) {
        if (!has[i])
            lacking << names[i];
    }
    if (lacking.isEmpty())
        return true;
    for (int i = 0; i < has.size(); ++i) {
        if (has[i])
            addLine(report, QStringLiteral("%1: dropped %2 (not offered by %3)")
                                .arg(names[i], what, lacking.join(QLatin1String(", "))));
    }
    return false;
}

template <typename Predicate> QList<bool> each(const QList<Capabilities> &inputs, Predicate has)
{
    QList<bool> list;
    for (const Capabilities &caps : inputs)
        list << has(caps);
    return list;
}

bool allOf(const QList<bool> &list)
{
    return std::all_of(list.cbegin(), list.cend(), [](bool b) { return b; });
}

// The mode as all inputs take it: a standard timing (one with a VIC) before
// a DTD's, and the VICs every input names it by, else any input's.
CapabilityMode mergedMode(const QList<const CapabilityMode *> &matches)
{
    CapabilityMode mode = *matches.first();
    mode.sources.clear();
    mode.preferred = false;
    mode.ycbcr420 = false;
    mode.ycbcr420Only = false;
    mode.timing.reset();
    for (const CapabilityMode *m : matches) {
        if (m->timing && (!mode.timing || (!m->vics.isEmpty() && mode.vics.isEmpty()))) {
            mode.timing = m->timing;
            mode.vics = m->vics;
        }
    }
    QList<int> shared = matches.first()->vics;
    QList<int> any;
    for (const CapabilityMode *m : matches) {
        shared.removeIf([m](int vic) { return !m->vics.contains(vic); });
        any += m->vics;
    }
    mode.vics = shared.isEmpty() ? any : shared;
    if (mode.timing)
        mode.pixelClockKHz = int(mode.timing->pixelClockKHz);
    return mode;
}

void commonModes(const QList<Capabilities> &inputs, const QStringList &names,
                 CommonCapabilities &out)
{
    for (int i = 0; i < inputs.size(); ++i) {
        for (const CapabilityMode &mode : inputs[i].modes) {
            QStringList lacking;
            QStringList only420;
            QList<const CapabilityMode *> matches;
            for (int k = 0; k < inputs.size(); ++k) {
                const CapabilityMode *match = findMode(inputs[k], mode);
                if (!match)
                    lacking << names[k];
                else if (match->ycbcr420Only && k != i)
                    only420 << names[k];
                if (match)
                    matches << match;
            }
            const QString text = modeText(mode);
            if (!lacking.isEmpty()) {
                addLine(out.report, QStringLiteral("%1: dropped %2 (not offered by %3)")
                                        .arg(names[i], text, lacking.join(QLatin1String(", "))));
            } else if (!only420.isEmpty()) {
                addLine(out.report,
                        QStringLiteral("%1: dropped %2 (%3 takes it only as YCbCr 4:2:0)")
                            .arg(names[i], text, only420.join(QLatin1String(", "))));
            } else if (mode.ycbcr420Only) {
                addLine(out.report, QStringLiteral("%1: dropped %2 (offered only as YCbCr 4:2:0)")
                                        .arg(names[i], text));
            } else if (i == 0) {
                out.caps.modes.append(mergedMode(matches));
            }
        }
    }
}

std::optional<ModeRangeLimits> commonRange(const QList<Capabilities> &inputs)
{
    std::optional<ModeRangeLimits> range;
    for (const Capabilities &caps : inputs) {
        if (!caps.rangeLimits)
            continue;
        const ModeRangeLimits &r = *caps.rangeLimits;
        if (!range) {
            range = r;
            continue;
        }
        range->minVHz = std::max(range->minVHz, r.minVHz);
        range->maxVHz = std::min(range->maxVHz, r.maxVHz);
        range->minHKhz = std::max(range->minHKhz, r.minHKhz);
        range->maxHKhz = std::min(range->maxHKhz, r.maxHKhz);
        if (r.maxPixelClockMhz > 0)
            range->maxPixelClockMhz = range->maxPixelClockMhz > 0
                                          ? std::min(range->maxPixelClockMhz, r.maxPixelClockMhz)
                                          : r.maxPixelClockMhz;
    }
    if (range) {
        range->maxVHz = std::min(range->maxVHz, MaxRangeRate);
        range->maxHKhz = std::min(range->maxHKhz, MaxRangeRate);
    }
    return range;
}

// The lowest TMDS clock an HDMI input states, as the composed blocks can say it.
std::optional<int> tmdsLimit(const QList<Capabilities> &inputs, bool forum)
{
    std::optional<int> lowest;
    for (const Capabilities &caps : inputs) {
        std::optional<int> limit = caps.maxTmdsMHz;
        if (forum && caps.hdmiForum && caps.hdmiForum->maxTmdsMHz)
            limit = std::max(limit.value_or(0), *caps.hdmiForum->maxTmdsMHz);
        if (limit)
            lowest = std::min(*limit, lowest.value_or(INT_MAX));
    }
    if (!forum && lowest)
        lowest = std::min(*lowest, MaxHdmiVsdbTmdsMHz);
    return lowest;
}

// A mode faster than the TMDS clock the composed HDMI blocks allow could not be sent.
void limitModes(const QList<Capabilities> &inputs, const QStringList &names,
                CommonCapabilities &out)
{
    Capabilities &caps = out.caps;
    const std::optional<int> tmds =
        caps.hdmi ? tmdsLimit(inputs, caps.hdmiForum.has_value()) : std::nullopt;
    if (!tmds)
        return;
    caps.modes.removeIf([&](const CapabilityMode &mode) {
        if (!mode.pixelClockKHz || *mode.pixelClockKHz <= *tmds * 1000)
            return false;
        for (const QString &name : names)
            addLine(out.report,
                    QStringLiteral("%1: dropped %2 (its pixel clock is above the %3 MHz TMDS "
                                   "limit all share)")
                        .arg(name, modeText(mode))
                        .arg(*tmds));
        return true;
    });
}

qint64 pixels(const CapabilityMode &mode)
{
    return qint64(mode.width) * mode.height;
}

// Most pixels, then the highest rate.
bool larger(const CapabilityMode &a, const CapabilityMode &b)
{
    if (pixels(a) != pixels(b))
        return pixels(a) > pixels(b);
    return a.refreshHz > b.refreshHz;
}

void orderModes(QList<CapabilityMode> &modes)
{
    std::stable_sort(modes.begin(), modes.end(), larger);
    const auto smooth = [](const CapabilityMode &m) {
        return !m.interlaced && m.refreshHz >= SmoothRateHz * (1 - ModeRateTolerance);
    };
    // The preferred mode is the first DTD, so it needs a whole timing that fits one.
    const auto pick = [&](auto accept) {
        return std::find_if(modes.begin(), modes.end(), [&](const CapabilityMode &m) {
            return m.timing && m.width <= DtdMaxActive &&
                   m.timing->pixelClockKHz <= DtdMaxPixelClockKHz && accept(m);
        });
    };
    auto preferred = pick(smooth);
    if (preferred == modes.end())
        preferred = pick([](const CapabilityMode &) { return true; });
    if (preferred == modes.end())
        preferred = modes.begin();
    if (preferred == modes.end())
        return;
    preferred->preferred = true;
    std::rotate(modes.begin(), preferred, preferred + 1);
}

bool audioCovers(const AudioCapability &wide, const AudioCapability &narrow)
{
    if (wide.format != narrow.format || wide.channels < narrow.channels ||
        (narrow.sampleRates & ~wide.sampleRates) != 0)
        return false;
    if (wide.format == AudioFormat::Lpcm)
        return (narrow.detail & ~wide.detail) == 0;
    if (wide.format <= AudioFormat::Atrac)
        return narrow.detail <= wide.detail;
    return narrow.detail == wide.detail;
}

// Every choice of one descriptor per input of one format, narrowed to what
// all of them take; those another one covers are left out.
void intersect(const QList<Capabilities> &inputs, int index, const AudioCapability &sofar,
               QList<AudioCapability> &result)
{
    if (index == inputs.size()) {
        for (const AudioCapability &known : result) {
            if (audioCovers(known, sofar))
                return;
        }
        result.removeIf([&](const AudioCapability &known) { return audioCovers(sofar, known); });
        result.append(sofar);
        return;
    }
    for (const AudioCapability &sad : inputs[index].audio) {
        if (sad.format != sofar.format)
            continue;
        AudioCapability next = sofar;
        next.channels = std::min(next.channels, sad.channels);
        next.sampleRates &= sad.sampleRates;
        if (next.format == AudioFormat::Lpcm)
            next.detail &= sad.detail;
        else if (next.format <= AudioFormat::Atrac)
            next.detail = std::min(next.detail, sad.detail);
        else if (next.detail != sad.detail)
            continue;
        if (next.sampleRates == 0 || (next.detail == 0 && next.format <= AudioFormat::Atrac))
            continue;
        intersect(inputs, index + 1, next, result);
    }
}

void commonAudio(const QList<Capabilities> &inputs, const QStringList &names,
                 CommonCapabilities &out)
{
    QList<AudioCapability> &common = out.caps.audio;
    for (const AudioCapability &sad : inputs.first().audio)
        intersect(inputs, 1, sad, common);
    QStringList silent;
    for (int k = 0; k < inputs.size(); ++k) {
        if (inputs[k].audio.isEmpty())
            silent << names[k];
    }
    for (int i = 0; i < inputs.size(); ++i) {
        for (const AudioCapability &sad : inputs[i].audio) {
            const bool kept = std::any_of(common.cbegin(), common.cend(), [&](const auto &c) {
                return c.format == sad.format && c.channels >= sad.channels;
            });
            if (kept)
                continue;
            const QString what = audioText(sad);
            if (!silent.isEmpty()) {
                addLine(out.report, QStringLiteral("%1: dropped %2: %3 %4 no audio")
                                        .arg(names[i], what, silent.join(QLatin1String(", ")),
                                             silent.size() == 1 ? QStringLiteral("has")
                                                                : QStringLiteral("have")));
                continue;
            }
            QStringList lacking;
            int channels = sad.channels;
            for (int k = 0; k < inputs.size(); ++k) {
                int most = 0;
                for (const AudioCapability &other : inputs[k].audio) {
                    if (other.format == sad.format)
                        most = std::max(most, other.channels);
                }
                if (most == 0)
                    lacking << names[k];
                else if (most < sad.channels)
                    channels = std::min(channels, most);
            }
            addLine(out.report,
                    lacking.isEmpty()
                        ? QStringLiteral("%1: dropped %2 (the others take %3 channels at most)")
                              .arg(names[i], what)
                              .arg(channels)
                        : QStringLiteral("%1: dropped %2 (not offered by %3)")
                              .arg(names[i], what, lacking.join(QLatin1String(", "))));
        }
    }
    if (common.isEmpty())
        return;
    out.caps.speakers = inputs.first().speakers;
    for (const Capabilities &caps : inputs)
        out.caps.speakers &= caps.speakers;
}

QList<int> sharedBits(const QList<Capabilities> &inputs, QList<int> DeepColor::*bits)
{
    QList<int> shared = inputs.first().deepColor.*bits;
    for (const Capabilities &caps : inputs)
        shared.removeIf([&](int b) { return !(caps.deepColor.*bits).contains(b); });
    return shared;
}

void commonHdmi(const QList<Capabilities> &inputs, const QStringList &names,
                CommonCapabilities &out)
{
    Capabilities &caps = out.caps;
    const QList<bool> hdmi = each(inputs, [](const Capabilities &c) { return c.hdmi; });
    QStringList dvi;
    for (int k = 0; k < inputs.size(); ++k) {
        if (!hdmi[k])
            dvi << names[k];
    }
    caps.hdmi = dvi.isEmpty();
    if (!caps.hdmi) {
        for (int i = 0; i < inputs.size(); ++i) {
            if (hdmi[i])
                addLine(out.report,
                        QStringLiteral("%1: dropped HDMI (%2 is DVI or DisplayPort only)")
                            .arg(names[i], dvi.join(QLatin1String(", "))));
        }
        return;
    }
    caps.maxTmdsMHz = tmdsLimit(inputs, false);
    for (int bits : {30, 36, 48}) {
        reportFeature(
            each(inputs,
                 [bits](const Capabilities &c) { return c.deepColor.rgbBits.contains(bits); }),
            names, QStringLiteral("%1-bit deep colour").arg(bits), out.report);
    }
    caps.deepColor.rgbBits = sharedBits(inputs, &DeepColor::rgbBits);
    caps.deepColor.ycbcr444 =
        !caps.deepColor.rgbBits.isEmpty() &&
        allOf(each(inputs, [](const Capabilities &c) { return c.deepColor.ycbcr444; }));
    if (!reportFeature(each(inputs, [](const Capabilities &c) { return c.hdmiForum.has_value(); }),
                       names, QStringLiteral("the HDMI Forum block"), out.report))
        return;
    HdmiForumCapability forum;
    forum.scdc = allOf(each(inputs, [](const Capabilities &c) { return c.hdmiForum->scdc; }));
    if (allOf(each(inputs,
                   [](const Capabilities &c) { return c.hdmiForum->maxTmdsMHz.has_value(); })) &&
        forum.scdc)
        forum.maxTmdsMHz = tmdsLimit(inputs, true);
    caps.hdmiForum = forum;
    caps.deepColor.ycbcr420Bits = sharedBits(inputs, &DeepColor::ycbcr420Bits);
}

void commonColour(const QList<Capabilities> &inputs, const QStringList &names,
                  CommonCapabilities &out)
{
    Capabilities &caps = out.caps;
    caps.ycbcr444 = reportFeature(each(inputs, [](const Capabilities &c) { return c.ycbcr444; }),
                                  names, QStringLiteral("YCbCr 4:4:4"), out.report);
    caps.ycbcr422 = reportFeature(each(inputs, [](const Capabilities &c) { return c.ycbcr422; }),
                                  names, QStringLiteral("YCbCr 4:2:2"), out.report);
    caps.underscan = allOf(each(inputs, [](const Capabilities &c) { return c.underscan; }));
    caps.colorimetry = caps.colorimetryMetadata = 0xFF;
    for (const Capabilities &c : inputs) {
        caps.colorimetry &= c.colorimetry;
        caps.colorimetryMetadata &= c.colorimetryMetadata;
    }
    if (!reportFeature(each(inputs, [](const Capabilities &c) { return c.hdr.has_value(); }), names,
                       QStringLiteral("HDR"), out.report))
        return;
    HdrCapability hdr = *inputs.first().hdr;
    for (const Capabilities &c : inputs) {
        hdr.eotfBits &= c.hdr->eotfBits;
        hdr.metadataTypes &= c.hdr->metadataTypes;
        hdr.eotfs.removeIf([&](const QString &e) { return !c.hdr->eotfs.contains(e); });
        // The dimmest display's luminance, with the minimum that goes with it.
        if (!c.hdr->maxLuminanceCode || !hdr.maxLuminanceCode ||
            *c.hdr->maxLuminanceCode < *hdr.maxLuminanceCode) {
            hdr.maxLuminanceCode = c.hdr->maxLuminanceCode;
            hdr.minLuminanceCode = c.hdr->minLuminanceCode;
            hdr.maxLuminance = c.hdr->maxLuminance;
            hdr.minLuminance = c.hdr->minLuminance;
        }
        if (!c.hdr->maxFrameAverageCode || !hdr.maxFrameAverageCode ||
            *c.hdr->maxFrameAverageCode < *hdr.maxFrameAverageCode) {
            hdr.maxFrameAverageCode = c.hdr->maxFrameAverageCode;
            hdr.maxFrameAverageLuminance = c.hdr->maxFrameAverageLuminance;
        }
    }
    for (const Capabilities &c : inputs) {
        for (const QString &eotf : c.hdr->eotfs)
            reportFeature(
                each(inputs, [&](const Capabilities &o) { return o.hdr->eotfs.contains(eotf); }),
                names, QStringLiteral("HDR %1").arg(eotf), out.report);
    }
    if (hdr.eotfBits != 0)
        caps.hdr = hdr;
}

void commonScreen(const QList<Capabilities> &inputs, Capabilities &caps)
{
    for (const Capabilities &c : inputs) {
        if (c.widthCm && *c.widthCm > 0)
            caps.widthCm = std::min(*c.widthCm, caps.widthCm.value_or(INT_MAX));
        if (c.heightCm && *c.heightCm > 0)
            caps.heightCm = std::min(*c.heightCm, caps.heightCm.value_or(INT_MAX));
    }
}

} // namespace

CommonCapabilities commonCapabilities(const QList<Capabilities> &inputs, const QStringList &names)
{
    CommonCapabilities out;
    if (inputs.isEmpty())
        return out;
    commonModes(inputs, names, out);
    commonAudio(inputs, names, out);
    commonHdmi(inputs, names, out);
    commonColour(inputs, names, out);
    commonScreen(inputs, out.caps);
    out.caps.rangeLimits = commonRange(inputs);
    limitModes(inputs, names, out);
    orderModes(out.caps.modes);
    return out;
}

} // namespace varnex::edid
