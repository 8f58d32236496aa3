#include "decode/ConformanceParts.h"
#include "spec/CtaVideoFormats.h"
#include "spec/DmtFormats.h"

#include <cmath>

namespace varnex::edid::conformance {

namespace {

// Range limits are whole Hz and kHz; a rate that rounds to a limit is in range.
constexpr double RangeSlack = 0.5;
// A DTD stores its pixel clock in 10 kHz; sinks list 59.94 Hz formats under
// the 60 Hz VIC with the clock divided by 1.001.
constexpr int ClockSlackKHz = 10;
constexpr double NtscDivisor = 1.001;

// A timing the table offers, as far as a range check needs it.
struct Offered
{
    QString label;
    double vHz = 0;
    double hKHz = 0;
    int pixelClockKHz = 0;
};

Offered fromTiming(const Timing &t, const QString &label)
{
    return {label, t.refreshHz(), t.hFreqKHz(), t.pixelClockKHz};
}

Offered fromCode(const TimingCode &code)
{
    Offered o{QStringLiteral("%1x%2@%3 (%4)")
                  .arg(code.width)
                  .arg(code.height)
                  .arg(code.refreshHz, 0, 'f', 2)
                  .arg(code.source),
              code.refreshHz, 0, code.pixelClockKHz.value_or(0)};
    if (code.dmtId) {
        if (const auto dmt = dmtFormat(*code.dmtId); dmt && dmt->hTotal > 0)
            o.hKHz = double(dmt->pixelClockKHz) / dmt->hTotal;
    }
    return o;
}

QList<Offered> offeredTimings(const DecodedEdid &edid, const BaseBlock &base)
{
    QList<Offered> offered;
    for (const TimingCode &code :
         base.allEstablishedTimings() + base.allStandardTimings() + base.cvtTimings())
        offered.append(fromCode(code));
    // The preferred timing has a finding of its own (range-limits-exclude-preferred).
    const QList<DetailedTiming> baseDtds = base.detailedTimings();
    for (const DetailedTiming &t : baseDtds) {
        if (!t.preferred)
            offered.append(fromTiming(t, t.label()));
    }
    for (const CtaBlock &cta : edid.cta) {
        if (cta.block > base.extensionCount)
            continue;
        for (const DetailedTiming &t : cta.detailedTimings)
            offered.append(fromTiming(t, t.label()));
        for (const ShortVideo &svd : cta.svds()) {
            if (svd.format)
                offered.append(
                    fromTiming(svd.format->timing(), QStringLiteral("VIC %1").arg(svd.vic)));
        }
    }
    return offered;
}

bool outside(const Offered &o, const RangeLimits &r)
{
    const bool vOut = o.vHz > 0 && (o.vHz < r.minVHz - RangeSlack || o.vHz > r.maxVHz + RangeSlack);
    const bool hOut =
        o.hKHz > 0 && (o.hKHz < r.minHKHz - RangeSlack || o.hKHz > r.maxHKHz + RangeSlack);
    const bool clockOut = r.maxPixelClockMHz && o.pixelClockKHz > *r.maxPixelClockMHz * 1000;
    return vOut || hOut || clockOut;
}

void checkRangeLimits(DecodedEdid &edid, const BaseBlock &base)
{
    const Descriptor *limits = nullptr;
    for (const Descriptor &d : base.descriptors) {
        if (d.rangeLimits)
            limits = &d;
    }
    if (!limits)
        return;
    QStringList out;
    for (const Offered &o : offeredTimings(edid, base)) {
        if (outside(o, *limits->rangeLimits) && !out.contains(o.label))
            out.append(o.label);
    }
    if (out.isEmpty())
        return;
    // Name a few; the rest are counted.
    constexpr int Named = 4;
    const RangeLimits &r = *limits->rangeLimits;
    // A note: most sources take a timing the table lists whatever the limits
    // say; the preferred timing outside them is a warning of its own.
    addFinding(edid.findings, Severity::Note, QStringLiteral("range-limits-exclude-timing"), 0,
               limits->at.offset,
               QStringLiteral("%1 the table offers %2 outside the display range limits "
                              "(%3-%4 Hz, %5-%6 kHz%7): %8%9; sources that honour the limits "
                              "drop them. Widen the limits or remove the timings.")
                   .arg(out.size() == 1 ? QStringLiteral("1 timing")
                                        : QStringLiteral("%1 timings").arg(out.size()))
                   .arg(out.size() == 1 ? QStringLiteral("lies") : QStringLiteral("lie"))
                   .arg(r.minVHz)
                   .arg(r.maxVHz)
                   .arg(r.minHKHz)
                   .arg(r.maxHKHz)
                   .arg(r.maxPixelClockMHz ? QStringLiteral(", %1 MHz").arg(*r.maxPixelClockMHz)
                                           : QString())
                   .arg(out.mid(0, Named).join(QStringLiteral(", ")))
                   .arg(out.size() > Named ? QStringLiteral(" and %1 more").arg(out.size() - Named)
                                           : QString()));
}

bool clockMatches(int dtdKHz, int standardKHz)
{
    return std::abs(dtdKHz - standardKHz) <= ClockSlackKHz ||
           std::abs(dtdKHz - standardKHz / NtscDivisor) <= ClockSlackKHz;
}

bool samePorches(const DetailedTiming &t, const Timing &s)
{
    return s.hFrontPorch == t.hFrontPorch && s.hSyncWidth == t.hSyncWidth &&
           s.vFrontPorch == t.vFrontPorch && s.vSyncWidth == t.vSyncWidth &&
           (!t.hasHSyncPolarity() || s.hSyncPositive == t.hSyncPositive) &&
           (!t.hasVSyncPolarity() || s.vSyncPositive == t.vSyncPositive);
}

// Same picture and line and frame lengths: what a sink locks to. A DTD like
// that which differs only in porches or polarities is "near" the standard.
bool sameFrame(const DetailedTiming &t, const Timing &s)
{
    return s.hActive == t.hActive && s.vActive == t.vActive && s.interlaced == t.interlaced &&
           s.hTotal() == t.hTotal() && s.vTotal() == t.vTotal() &&
           clockMatches(t.pixelClockKHz, s.pixelClockKHz);
}

// The name of a standard timing this DTD nearly but not exactly is, or an
// empty string when it is one exactly or none is near. DMTs are compared
// only where we hold their porches (dmtTimings()).
QString nearStandard(const DetailedTiming &t)
{
    QString near;
    for (int vic = 1; vic <= MaxKnownVic; ++vic) {
        const auto format = ctaVideoFormat(vic);
        if (!format || !sameFrame(t, format->timing()))
            continue;
        if (samePorches(t, format->timing()))
            return QString();
        if (near.isEmpty())
            near = QStringLiteral("VIC %1").arg(vic);
    }
    for (const DmtTiming &dmt : dmtTimings()) {
        if (!sameFrame(t, dmt.timing))
            continue;
        if (samePorches(t, dmt.timing))
            return QString();
        if (near.isEmpty())
            near = QStringLiteral("DMT 0x%1").arg(dmt.id, 2, 16, QLatin1Char('0'));
    }
    return near;
}

} // namespace

bool sameAsFormat(const DetailedTiming &t, const VideoFormat &format)
{
    return sameFrame(t, format.timing()) && samePorches(t, format.timing());
}

namespace {

void checkNearStandard(DecodedEdid &edid, const BaseBlock &base)
{
    QList<DetailedTiming> dtds = base.detailedTimings();
    for (const CtaBlock &cta : std::as_const(edid.cta))
        dtds += cta.detailedTimings;
    for (const DetailedTiming &t : std::as_const(dtds)) {
        const QString near = nearStandard(t);
        if (near.isEmpty())
            continue;
        addFinding(edid.findings, Severity::Note, QStringLiteral("dtd-near-standard"),
                   t.at.offset / EdidBlockSize, t.at.offset,
                   QStringLiteral("The detailed timing %1 is close to %2 but not the same timing; "
                                  "a source may send the standard timing instead. Use the "
                                  "standard timing exactly, or keep this one if it is meant.")
                       .arg(t.label(), near));
    }
}

} // namespace

void checkTimings(DecodedEdid &edid, const BaseBlock &base)
{
    checkRangeLimits(edid, base);
    checkNearStandard(edid, base);
}

} // namespace varnex::edid::conformance
