#include "decode/BaseBlockDecoder.h"

#include "decode/DescriptorDecoder.h"
#include "decode/TimingCodes.h"
#include "spec/CvtTiming.h"
#include "spec/EdidLayout.h"

#include <array>
#include <cmath>

namespace varnex::edid {

namespace {

// Byte 0x11 counts years from 1990.
constexpr int YearBase = 1990;
// Week byte 0xFF: the year is a model year (EDID 1.4; read so in 1.3 tables too).
constexpr int ModelYearWeek = 0xFF;
// Weeks run from 1 to 54 (EDID 1.4, section 3.4.4).
constexpr int LastWeek = 54;

void checkHeader(BaseBlock &base, const ByteView &b, Findings &findings)
{
    base.headerValid = true;
    for (int i = 0; i < BaseLayout::HeaderLength; ++i)
        base.headerValid =
            base.headerValid && b.at(BaseLayout::Header + i) == EdidHeaderBytes[std::size_t(i)];
    if (!base.headerValid)
        addFinding(findings, Severity::Error, QStringLiteral("header"), 0,
                   b.absolute(BaseLayout::Header),
                   QStringLiteral("Bytes 0 to 7 are not the EDID header 00 FF FF FF FF FF FF 00, "
                                  "so sources will not accept the table. Restore the header."));
}

void decodeVendor(BaseBlock &base, const ByteView &b, Findings &findings)
{
    // Three 5-bit letters, 1 = 'A', big-endian.
    const int id = (b.at(BaseLayout::Manufacturer) << 8) | b.at(BaseLayout::Manufacturer + 1);
    bool lettersValid = true;
    for (int shift = 10; shift >= 0; shift -= 5) {
        const int letter = (id >> shift) & 0x1F;
        lettersValid = lettersValid && letter >= 1 && letter <= 26;
        base.manufacturer.append(QLatin1Char(char('@' + letter)));
    }
    if (!lettersValid)
        addFinding(findings, Severity::Warning, QStringLiteral("manufacturer"), 0,
                   b.absolute(BaseLayout::Manufacturer),
                   QStringLiteral("The manufacturer id is not three letters A to Z. Set a valid "
                                  "three-letter PNP id."));
    base.productCode = b.le16(BaseLayout::ProductCode);
    base.serialNumber = b.le32(BaseLayout::SerialNumber);

    const int week = b.at(BaseLayout::Week);
    base.year = YearBase + b.at(BaseLayout::Year);
    if (week == ModelYearWeek) {
        base.modelYear = true;
    } else if (week >= 1 && week <= LastWeek) {
        base.week = week;
    } else if (week != 0) {
        addFinding(findings, Severity::Warning, QStringLiteral("manufacture-week"), 0,
                   b.absolute(BaseLayout::Week),
                   QStringLiteral("The week of manufacture is %1; it must be 1 to 54, or 0 when "
                                  "not given.")
                       .arg(week));
    }
}

void decodeVideoInput(BaseBlock &base, const ByteView &b)
{
    const int input = b.at(BaseLayout::VideoInput);
    base.digital = input & 0x80;
    if (!base.digital) {
        base.analog.signalLevel = (input >> 5) & 3;
        base.analog.blankToBlackSetup = input & 0x10;
        base.analog.separateSync = input & 0x08;
        base.analog.compositeSync = input & 0x04;
        base.analog.syncOnGreen = input & 0x02;
        base.analog.serrations = input & 0x01;
        return;
    }
    if (base.revision < 4) {
        base.dfpCompatible = input & 0x01;
        return;
    }
    // EDID 1.4, table 3.11: colour bit depth code and interface code.
    const int depth = (input >> 4) & 7;
    if (depth >= 1 && depth <= 6)
        base.bitsPerColor = 4 + 2 * depth;
    static const std::array<const char *, 6> Interfaces{nullptr,  "DVI",  "HDMI-a",
                                                        "HDMI-b", "MDDI", "DisplayPort"};
    const int interface = input & 0x0F;
    if (interface >= 1 && interface < int(Interfaces.size()))
        base.interfaceName = QString::fromLatin1(Interfaces[std::size_t(interface)]);
    else if (interface != 0)
        base.interfaceName = QStringLiteral("reserved (%1)").arg(interface);
}

void decodeDisplayParameters(BaseBlock &base, const ByteView &b)
{
    const int width = b.at(BaseLayout::WidthCm);
    const int height = b.at(BaseLayout::HeightCm);
    if (width != 0 && height != 0) {
        base.widthCm = width;
        base.heightCm = height;
    } else if (base.revision >= 4 && width != 0) {
        base.aspectRatio = (width + 99) / 100.0;
    } else if (base.revision >= 4 && height != 0) {
        base.aspectRatio = 100.0 / (height + 99);
    }
    // Gamma is stored as (gamma * 100) - 100; 0xFF says an extension has it.
    if (b.at(BaseLayout::Gamma) != 0xFF)
        base.gamma = (b.at(BaseLayout::Gamma) + 100) / 100.0;

    const int f = b.at(BaseLayout::Features);
    base.features.standby = f & 0x80;
    base.features.suspend = f & 0x40;
    base.features.activeOff = f & 0x20;
    base.features.displayType = (f >> 3) & 3;
    base.features.srgbDefault = f & 0x04;
    base.features.preferredTimingNative = f & 0x02;
    base.features.continuousFrequency = f & 0x01;

    // Ten-bit CIE coordinates: high 8 bits in their own byte, low 2 bits
    // packed into the first two bytes.
    const auto point = [&b](int highByte, int lowByte, int lowShift) {
        return ((b.at(highByte) << 2) | b.bits(lowByte, lowShift, 2)) / 1024.0;
    };
    constexpr int C = BaseLayout::Chromaticity;
    Chromaticity &c = base.chromaticity;
    c.red = {point(C + 2, C, 6), point(C + 3, C, 4)};
    c.green = {point(C + 4, C, 2), point(C + 5, C, 0)};
    c.blue = {point(C + 6, C + 1, 6), point(C + 7, C + 1, 4)};
    c.white = {point(C + 8, C + 1, 2), point(C + 9, C + 1, 0)};
}

// Standard timings that are no DMT decode as GTF timings; a display that
// names no GTF support (no GTF range limits, no GTF feature bit) leaves
// them at their nominal rate.
// Standard timings that are no DMT come out as GTF timings, which is what
// sources make of them; from EDID 1.4 on, range limits that say CVT make
// them CVT timings instead (older sources still send the GTF one). Tables
// before EDID 1.2 predate GTF: only the nominal rate is known.
void applyTimingFormula(BaseBlock &base)
{
    const RangeLimits *limits = base.rangeLimits();
    const bool cvt = base.version == 1 && base.revision >= 4 && limits &&
                     limits->timingSupport == RangeLimitsSupport::Cvt;
    const bool nominal = base.version == 1 && base.revision < 2;
    if (!cvt && !nominal)
        return;
    const auto apply = [&](QList<TimingCode> &timings) {
        for (TimingCode &t : timings) {
            if (t.source != QLatin1String("GTF"))
                continue;
            const int rate = int(std::round(t.refreshHz));
            const std::optional<Timing> timing =
                nominal ? std::nullopt : cvtTiming(t.width, t.height, rate);
            t.pixelClockKHz = timing ? std::optional(timing->pixelClockKHz) : std::nullopt;
            t.refreshHz = timing ? timing->refreshHz() : rate;
            t.source = timing ? QStringLiteral("CVT") : QStringLiteral("standard");
        }
    };
    apply(base.standardTimings);
    for (Descriptor &d : base.descriptors) {
        if (d.kind == DescriptorKind::StandardTimings)
            apply(d.timings);
    }
}

void checkTimings(const BaseBlock &base, const ByteView &b, Findings &findings)
{
    // A pixel clock under 10 MHz has its own finding.
    const int clock = b.le16(BaseLayout::Descriptors);
    if ((clock == 0 || clock >= DtdMinPixelClock10KHz) &&
        (base.descriptors.isEmpty() || !base.descriptors.first().timing)) {
        addFinding(findings, Severity::Error, QStringLiteral("dtd-zero-pixel-clock"), 0,
                   b.absolute(BaseLayout::Descriptors),
                   QStringLiteral("The first descriptor must hold the preferred timing, but its "
                                  "pixel clock is 0. Put the display's native detailed timing "
                                  "there."));
    }
    for (const DetailedTiming &t : base.detailedTimings())
        checkDetailedTiming(t, 0, findings);
}

void checkNameAndRanges(const BaseBlock &base, const ByteView &b, Findings &findings)
{
    if (!base.name())
        addFinding(findings, Severity::Warning, QStringLiteral("no-display-name"), 0,
                   b.absolute(BaseLayout::Descriptors),
                   QStringLiteral("No display product name descriptor; sources show no name for "
                                  "this display. Add a name descriptor (tag 0xFC)."));

    const RangeLimits *range = base.rangeLimits();
    if (!range || base.descriptors.isEmpty() || !base.descriptors.first().timing)
        return;
    const DetailedTiming &preferred = *base.descriptors.first().timing;
    // The limits are whole Hz and kHz; allow the rounding of the rates.
    constexpr double Slack = 0.5;
    const double v = preferred.refreshHz();
    const double h = preferred.hFreqKHz();
    const bool outside =
        v < range->minVHz - Slack || v > range->maxVHz + Slack || h < range->minHKHz - Slack ||
        h > range->maxHKHz + Slack ||
        (range->maxPixelClockMHz && preferred.pixelClockKHz > *range->maxPixelClockMHz * 1000);
    if (!outside)
        return;
    const Descriptor *limits = nullptr;
    for (const Descriptor &d : base.descriptors) {
        if (d.rangeLimits)
            limits = &d;
    }
    addFinding(findings, Severity::Warning, QStringLiteral("range-limits-exclude-preferred"), 0,
               limits ? limits->at.offset : b.absolute(BaseLayout::Descriptors),
               QStringLiteral("The preferred timing (%1 Hz, %2 kHz, %3 MHz) lies outside the "
                              "display range limits (%4-%5 Hz, %6-%7 kHz%8); sources may reject "
                              "it. Widen the limits or correct the timing.")
                   .arg(v, 0, 'f', 2)
                   .arg(h, 0, 'f', 2)
                   .arg(preferred.pixelClockKHz / 1000.0, 0, 'f', 2)
                   .arg(range->minVHz)
                   .arg(range->maxVHz)
                   .arg(range->minHKHz)
                   .arg(range->maxHKHz)
                   .arg(range->maxPixelClockMHz
                            ? QStringLiteral(", %1 MHz").arg(*range->maxPixelClockMHz)
                            : QString()));
}

} // namespace

BaseBlock decodeBaseBlock(const ByteView &b, Findings &findings)
{
    BaseBlock base;
    checkHeader(base, b, findings);
    base.version = b.at(BaseLayout::Version);
    base.revision = b.at(BaseLayout::Revision);
    if (base.version != 1)
        addFinding(findings, Severity::Error, QStringLiteral("version"), 0,
                   b.absolute(BaseLayout::Version),
                   QStringLiteral("EDID version %1.%2 is not 1.x; sources will not read the "
                                  "table. Set the version byte to 1.")
                       .arg(base.version)
                       .arg(base.revision));
    decodeVendor(base, b, findings);
    decodeVideoInput(base, b);
    decodeDisplayParameters(base, b);

    // Before EDID 1.3 aspect code 0 of a standard timing meant 1:1.
    const bool aspect1to1 = base.version == 1 && base.revision < 3;
    base.establishedTimings = decodeEstablishedTimings(b);
    base.manufacturerTimings = b.bits(BaseLayout::EstablishedTimings + 2, 0, 7);
    for (int i = 0; i < BaseLayout::StandardTimingCount; ++i) {
        if (const auto t =
                decodeStandardTiming(b.mid(BaseLayout::StandardTimings + 2 * i, 2), aspect1to1))
            base.standardTimings.append(*t);
    }
    // Range limit offsets exist from EDID 1.4 on.
    const bool edid14 = base.version == 1 && base.revision >= 4;
    for (int i = 0; i < BaseLayout::DescriptorCount; ++i) {
        const ByteView bytes =
            b.mid(BaseLayout::Descriptors + i * DetailedDescriptorSize, DetailedDescriptorSize);
        Descriptor d = decodeDescriptor(bytes, aspect1to1, edid14);
        checkPixelClock(bytes, 0, findings);
        if (i == 0 && d.timing)
            d.timing->preferred = true;
        base.descriptors.append(d);
    }
    base.extensionCount = b.at(BaseLayout::ExtensionCount);
    applyTimingFormula(base);

    checkTimings(base, b, findings);
    checkNameAndRanges(base, b, findings);
    return base;
}

} // namespace varnex::edid
