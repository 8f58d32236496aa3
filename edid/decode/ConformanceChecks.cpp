#include "decode/ConformanceChecks.h"

#include "decode/ConformanceParts.h"
#include "spec/EdidLayout.h"

#include <cmath>

namespace varnex::edid {

namespace conformance {

namespace {

// The sRGB primaries and D65 white point (IEC 61966-2-1).
constexpr Chromaticity Srgb{{0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}, {0.3127, 0.3290}};
// Ten-bit coordinates step by 1/1024: a table "is" sRGB when each
// coordinate is within one step, whichever way it was rounded. Two steps
// off (0.33 written as 0.3281) is another gamut to the reference checker,
// and to us.
constexpr double SrgbTolerance = 1.5 / 1024;
// Base block sizes are whole centimetres, DTD sizes millimetres: allow the
// rounding of the centimetre.
constexpr int ImageSizeToleranceMm = 10;

bool near(const CiePoint &a, const CiePoint &b)
{
    return std::abs(a.x - b.x) <= SrgbTolerance && std::abs(a.y - b.y) <= SrgbTolerance;
}

bool isSrgb(const Chromaticity &c)
{
    return near(c.red, Srgb.red) && near(c.green, Srgb.green) && near(c.blue, Srgb.blue) &&
           near(c.white, Srgb.white);
}

void checkSerial(DecodedEdid &edid, const BaseBlock &base)
{
    // CTA-861 sinks name the rule; older tables often carry both.
    if (edid.cta.isEmpty() || base.serialNumber == 0 || !base.serialString())
        return;
    addFinding(edid.findings, Severity::Note, QStringLiteral("serial-duplicated"), 0,
               BaseLayout::SerialNumber,
               QStringLiteral("The serial number is given twice, as the number %1 at 0x0C and "
                              "as the serial string \"%2\"; with a serial string the number "
                              "should be 0. Set bytes 0x0C to 0x0F to 0.")
                   .arg(base.serialNumber)
                   .arg(*base.serialString()));
}

void checkChromaticity(DecodedEdid &edid, const BaseBlock &base)
{
    const bool srgb = isSrgb(base.chromaticity);
    if (srgb == base.features.srgbDefault)
        return;
    addFinding(edid.findings, Severity::Note, QStringLiteral("srgb-chromaticity"), 0,
               base.features.srgbDefault ? BaseLayout::Features : BaseLayout::Chromaticity,
               base.features.srgbDefault
                   ? QStringLiteral("The sRGB default flag (byte 0x18 bit 2) is set but the "
                                    "chromaticity is not sRGB's; colour-managed sources may use "
                                    "either. Clear the flag or give the sRGB coordinates.")
                   : QStringLiteral("The chromaticity is sRGB's but the sRGB default flag (byte "
                                    "0x18 bit 2) is clear; sources may not treat the display as "
                                    "sRGB. Set the flag."));
}

void checkImageSizes(DecodedEdid &edid, const BaseBlock &base)
{
    if (!base.widthCm || !base.heightCm)
        return;
    const int widthMm = *base.widthCm * 10;
    const int heightMm = *base.heightCm * 10;
    QList<DetailedTiming> dtds = base.detailedTimings();
    for (const CtaBlock &cta : std::as_const(edid.cta))
        dtds += cta.detailedTimings;
    for (const DetailedTiming &t : std::as_const(dtds)) {
        // A DTD image size of 0 is "not given", no contradiction.
        if (t.widthMm == 0 && t.heightMm == 0)
            continue;
        // One side alike is a format of another aspect ratio shown in
        // part of the screen (4:3 on 16:9), which is no contradiction.
        if (std::abs(t.widthMm - widthMm) <= ImageSizeToleranceMm ||
            std::abs(t.heightMm - heightMm) <= ImageSizeToleranceMm)
            continue;
        // Image size bytes 12 to 14 of the descriptor.
        constexpr int ImageSizeByte = 12;
        const int offset = t.at.offset + ImageSizeByte;
        addFinding(edid.findings, Severity::Note, QStringLiteral("image-size-mismatch"),
                   offset / EdidBlockSize, offset,
                   QStringLiteral("The detailed timing %1 gives an image size of %2x%3 mm but "
                                  "the base block %4x%5 cm; sources that size the picture from "
                                  "it get a wrong DPI. Make the sizes agree.")
                       .arg(t.label())
                       .arg(t.widthMm)
                       .arg(t.heightMm)
                       .arg(*base.widthCm)
                       .arg(*base.heightCm));
    }
}

void checkInterface(DecodedEdid &edid, const BaseBlock &base)
{
    if (!base.digital || base.version != 1 || base.revision < 4)
        return;
    // EDID 1.4, table 3.11: depth codes 1 to 6 and interface codes 0 to 5.
    constexpr int ReservedDepth = 7;
    constexpr int LastInterface = 5;
    const int input = byteAt(edid, BaseLayout::VideoInput);
    const int depth = (input >> 4) & 7;
    const int interface = input & 0x0F;
    if (depth != ReservedDepth && interface <= LastInterface)
        return;
    addFinding(edid.findings, Severity::Warning, QStringLiteral("interface-reserved"), 0,
               BaseLayout::VideoInput,
               QStringLiteral("The video input byte 0x14 (0x%1) holds a reserved %2; sources "
                              "cannot tell the colour depth or interface. Use a defined value "
                              "(depth 1 to 6, interface 0 to 5).")
                   .arg(input, 2, 16, QLatin1Char('0'))
                   .arg(depth == ReservedDepth
                            ? QStringLiteral("colour depth code 7")
                            : QStringLiteral("interface code %1").arg(interface)));
}

void checkDtdOrder(DecodedEdid &edid, const BaseBlock &base)
{
    // EDID 1.3 makes the first detailed timing the preferred one and asks
    // the flag to say so; 1.4 reads the flag as "native".
    if (base.version == 1 && base.revision == 3 && !base.features.preferredTimingNative)
        addFinding(edid.findings, Severity::Note, QStringLiteral("dtd-order"), 0,
                   BaseLayout::Features,
                   QStringLiteral("EDID 1.3 requires the preferred timing flag (byte 0x18 bit 1), "
                                  "but it is clear; sources take the first detailed timing as "
                                  "preferred anyway. Set the flag."));
    bool displayDescriptorSeen = false;
    for (const Descriptor &d : base.descriptors) {
        if (!d.timing) {
            displayDescriptorSeen = true;
            continue;
        }
        if (displayDescriptorSeen) {
            addFinding(edid.findings, Severity::Note, QStringLiteral("dtd-order"), 0, d.at.offset,
                       QStringLiteral("The detailed timing %1 follows a display descriptor; "
                                      "detailed timings come first. Move it up.")
                           .arg(d.timing->label()));
            displayDescriptorSeen = false;
        }
    }
    QList<DetailedTiming> dtds = base.detailedTimings();
    for (const CtaBlock &cta : std::as_const(edid.cta))
        dtds += cta.detailedTimings;
    for (const DetailedTiming &t : std::as_const(dtds)) {
        if (t.hBorder == 0 && t.vBorder == 0)
            continue;
        addFinding(edid.findings, Severity::Note, QStringLiteral("dtd-order"),
                   t.at.offset / EdidBlockSize, t.at.offset,
                   QStringLiteral("The detailed timing %1 has borders (%2 pixels, %3 lines); "
                                  "borders are not recommended and some sources ignore them. "
                                  "Count them in the blanking instead.")
                       .arg(t.label())
                       .arg(t.hBorder)
                       .arg(t.vBorder));
    }
}

} // namespace

int byteAt(const DecodedEdid &edid, int offset)
{
    return offset >= 0 && offset < edid.bytes.size() ? quint8(edid.bytes[offset]) : 0;
}

void checkBaseBlock(DecodedEdid &edid, const BaseBlock &base)
{
    checkSerial(edid, base);
    checkChromaticity(edid, base);
    checkImageSizes(edid, base);
    checkInterface(edid, base);
    checkDtdOrder(edid, base);
}

} // namespace conformance

void checkConformance(DecodedEdid &edid)
{
    if (!edid.base || !edid.base->headerValid)
        return;
    const BaseBlock &base = *edid.base;
    conformance::checkBaseBlock(edid, base);
    conformance::checkDescriptors(edid, base);
    conformance::checkCtaBlocks(edid);
    conformance::checkTimings(edid, base);
}

QStringList conformanceCodes()
{
    return {QStringLiteral("vcdb-missing"),
            QStringLiteral("serial-duplicated"),
            QStringLiteral("overscan-default"),
            QStringLiteral("image-size-mismatch"),
            QStringLiteral("srgb-chromaticity"),
            QStringLiteral("dtd-near-standard"),
            QStringLiteral("hdmi-vsdb-rule"),
            QStringLiteral("range-limits-exclude-timing"),
            QStringLiteral("vic-duplicate"),
            QStringLiteral("reserved-bits"),
            QStringLiteral("descriptor-string"),
            QStringLiteral("dtd-order"),
            QStringLiteral("vga-missing"),
            QStringLiteral("interface-reserved"),
            QStringLiteral("audio-without-basic-audio")};
}

} // namespace varnex::edid
