#include "decode/DescriptorDecoder.h"

#include "decode/TimingCodes.h"

namespace varnex::edid {

namespace {

// Tags 0x00 to 0x0F are the manufacturer's own (VESA E-EDID 1.4, table 3.25).
constexpr int LastManufacturerTag = 0x0F;

// Display descriptor data starts after the 5-byte header.
constexpr int DataStart = 5;

RangeLimits decodeRangeLimits(const ByteView &b, bool edid14)
{
    // VESA E-EDID 1.4, tables 3.26 to 3.28. Byte 4 adds 255 to a limit,
    // for rates above 255 Hz or kHz; before EDID 1.4 the byte is reserved.
    RangeLimits r;
    const int flags = edid14 ? b.at(4) : 0;
    const int vFlags = flags & 3;
    const int hFlags = (flags >> 2) & 3;
    r.minVHz = b.at(5) + (vFlags == 3 ? 255 : 0);
    r.maxVHz = b.at(6) + (vFlags >= 2 ? 255 : 0);
    r.minHKHz = b.at(7) + (hFlags == 3 ? 255 : 0);
    r.maxHKHz = b.at(8) + (hFlags >= 2 ? 255 : 0);
    if (b.at(9) != 0)
        r.maxPixelClockMHz = b.at(9) * 10;
    r.timingSupport = b.at(10);
    if (r.timingSupport == RangeLimitsSupport::SecondaryGtf) {
        SecondaryGtf gtf;
        gtf.startKHz = b.at(12) * 2;
        gtf.c = b.at(13) / 2.0;
        gtf.m = b.le16(14);
        gtf.k = b.at(16);
        gtf.j = b.at(17) / 2.0;
        r.secondaryGtf = gtf;
    } else if (r.timingSupport == RangeLimitsSupport::Cvt) {
        CvtSupport cvt;
        cvt.version = b.at(11);
        cvt.maxPixelClockKHz = b.at(9) * 10000 - b.bits(12, 2, 6) * 250;
        cvt.maxActivePixels = 8 * ((b.bits(12, 0, 2) << 8) | b.at(13));
        cvt.aspectRatios = b.bits(14, 3, 5);
        cvt.preferredAspectRatio = b.bits(15, 5, 3);
        cvt.reducedBlanking = b.bit(15, 4);
        cvt.standardBlanking = b.bit(15, 3);
        cvt.scaling = b.bits(16, 4, 4);
        cvt.preferredRefreshHz = b.at(17);
        r.cvt = cvt;
    }
    return r;
}

QList<ColorPoint> decodeColorPoints(const ByteView &b)
{
    // Two 5-byte entries: index (0 unused), low bits, x, y, gamma.
    QList<ColorPoint> points;
    for (int entry = 0; entry < 2; ++entry) {
        const int o = DataStart + 5 * entry;
        if (b.at(o) == 0)
            continue;
        ColorPoint p;
        p.index = b.at(o);
        p.x = ((b.at(o + 2) << 2) | b.bits(o + 1, 2, 2)) / 1024.0;
        p.y = ((b.at(o + 3) << 2) | b.bits(o + 1, 0, 2)) / 1024.0;
        if (b.at(o + 4) != 0xFF)
            p.gamma = (b.at(o + 4) + 100) / 100.0;
        points.append(p);
    }
    return points;
}

} // namespace

DetailedTiming readDetailedTiming(const ByteView &bytes)
{
    DetailedDescriptorBytes copy;
    for (int i = 0; i < DetailedDescriptorSize; ++i)
        copy[std::size_t(i)] = bytes.at(i);
    return DetailedTiming::read(copy, bytes.base());
}

void checkDetailedTiming(const DetailedTiming &t, int block, Findings &findings)
{
    if (t.hActive > 0 && t.vActive > 0 && t.hBackPorch >= 0 && t.vBackPorch >= 0)
        return;
    addFinding(findings, Severity::Warning, QStringLiteral("dtd-blanking"), block, t.at.offset,
               QStringLiteral("The detailed timing %1x%2 has no active area, or its front porch, "
                              "sync and borders are longer than its blanking; sources may reject "
                              "it. Correct its sizes and porches.")
                   .arg(t.hActive)
                   .arg(t.frameHeight()));
}

void checkPixelClock(const ByteView &b, int block, Findings &findings)
{
    const int clock = b.le16(0);
    if (clock == 0 || clock >= DtdMinPixelClock10KHz)
        return;
    addFinding(findings, Severity::Error, QStringLiteral("dtd-pixel-clock"), block, b.base(),
               QStringLiteral("The detailed timing at 0x%1 has a pixel clock of %2 kHz, under "
                              "the 10 MHz no display mode goes below; it is no timing, and "
                              "sources reject or misread it. Write the display's real timing "
                              "here, or a display descriptor.")
                   .arg(b.base(), 2, 16, QLatin1Char('0'))
                   .arg(clock * 10));
}

QString descriptorText(const ByteView &bytes)
{
    // A line feed ends a text shorter than 13 characters; the spaces after
    // it are padding. All 13 bytes are text when there is none. Some
    // tables end the text with a zero byte instead.
    QString text;
    for (int i = DataStart; i < DetailedDescriptorSize; ++i) {
        const int c = bytes.at(i);
        if (c == 0x0A || c == 0x00)
            break;
        if (c >= 0x20 && c < 0x7F)
            text.append(QLatin1Char(char(c)));
        else
            text.append(QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0')));
    }
    return text;
}

Descriptor decodeDescriptor(const ByteView &b, bool aspect1to1, bool edid14)
{
    Descriptor d;
    d.at = ByteRange{b.base(), DetailedDescriptorSize};
    if (b.le16(0) != 0) {
        d.kind = DescriptorKind::DetailedTiming;
        if (b.le16(0) >= DtdMinPixelClock10KHz)
            d.timing = readDetailedTiming(b);
        return d;
    }
    d.tag = b.at(3);
    switch (d.tag) {
    case DisplayDescriptorTag::SerialNumber:
        d.kind = DescriptorKind::SerialString;
        d.text = descriptorText(b);
        break;
    case DisplayDescriptorTag::DataString:
        d.kind = DescriptorKind::DataString;
        d.text = descriptorText(b);
        break;
    case DisplayDescriptorTag::ProductName:
        d.kind = DescriptorKind::ProductName;
        d.text = descriptorText(b);
        break;
    case DisplayDescriptorTag::RangeLimits:
        d.kind = DescriptorKind::RangeLimits;
        d.rangeLimits = decodeRangeLimits(b, edid14);
        break;
    case DisplayDescriptorTag::ColorPoint:
        d.kind = DescriptorKind::ColorPoint;
        d.colorPoints = decodeColorPoints(b);
        break;
    case DisplayDescriptorTag::StandardTimings:
        d.kind = DescriptorKind::StandardTimings;
        for (int o = DataStart; o + 1 < DetailedDescriptorSize - 1; o += 2) {
            if (const auto t = decodeStandardTiming(b.mid(o, 2), aspect1to1))
                d.timings.append(*t);
        }
        break;
    case DisplayDescriptorTag::ColorManagement:
        d.kind = DescriptorKind::ColorManagement;
        break;
    case DisplayDescriptorTag::CvtCodes:
        d.kind = DescriptorKind::CvtCodes;
        for (int o = DataStart + 1; o + 2 < DetailedDescriptorSize; o += 3)
            d.timings.append(decodeCvtCode(b.mid(o, 3)));
        break;
    case DisplayDescriptorTag::EstablishedTimingsIII:
        d.kind = DescriptorKind::EstablishedTimings3;
        d.timings = decodeEstablishedTimings3(b);
        break;
    case DisplayDescriptorTag::Dummy:
        d.kind = DescriptorKind::Dummy;
        break;
    default:
        d.kind =
            d.tag <= LastManufacturerTag ? DescriptorKind::Manufacturer : DescriptorKind::Unknown;
        break;
    }
    return d;
}

} // namespace varnex::edid
