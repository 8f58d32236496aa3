#include "decode/DetailedTiming.h"

#include "timing/VideoFormat.h"

namespace varnex::edid {

QString syncTypeName(SyncType type)
{
    switch (type) {
    case SyncType::AnalogComposite:
        return QStringLiteral("analog composite");
    case SyncType::BipolarAnalogComposite:
        return QStringLiteral("bipolar analog composite");
    case SyncType::DigitalComposite:
        return QStringLiteral("digital composite");
    case SyncType::DigitalSeparate:
        break;
    }
    return QStringLiteral("digital separate");
}

double DetailedTiming::refreshHz() const
{
    // An interlaced frame holds two fields and the half line between them.
    const int frameLines = interlaced ? 2 * (vActive + vBlank) + 1 : vActive + vBlank;
    return refreshRateHz(pixelClockKHz, hTotal(), frameLines, interlaced);
}

double DetailedTiming::hFreqKHz() const
{
    return hTotal() > 0 ? double(pixelClockKHz) / hTotal() : 0.0;
}

DetailedTiming DetailedTiming::decode(const ByteView &b)
{
    // EDID 1.4, table 3.21: 12-bit sizes and 10-bit porches split into a
    // low byte and upper nibbles or bit pairs.
    DetailedTiming t;
    t.at = ByteRange{b.base(), DetailedTimingSize};
    t.pixelClockKHz = b.le16(0) * 10;
    t.hActive = b.at(2) | (b.bits(4, 4, 4) << 8);
    t.hBlank = b.at(3) | (b.bits(4, 0, 4) << 8);
    t.vActive = b.at(5) | (b.bits(7, 4, 4) << 8);
    t.vBlank = b.at(6) | (b.bits(7, 0, 4) << 8);
    t.hFrontPorch = b.at(8) | (b.bits(11, 6, 2) << 8);
    t.hSyncWidth = b.at(9) | (b.bits(11, 4, 2) << 8);
    t.vFrontPorch = b.bits(10, 4, 4) | (b.bits(11, 2, 2) << 4);
    t.vSyncWidth = b.bits(10, 0, 4) | (b.bits(11, 0, 2) << 4);
    t.widthMm = b.at(12) | (b.bits(14, 4, 4) << 8);
    t.heightMm = b.at(13) | (b.bits(14, 0, 4) << 8);
    t.hBorder = b.at(15);
    t.vBorder = b.at(16);
    t.interlaced = b.bit(17, 7);
    t.stereo = (b.bits(17, 5, 2) << 1) | b.bits(17, 0, 1);
    t.syncType = SyncType(b.bits(17, 3, 2));
    t.flag2 = b.bit(17, 2);
    t.flag1 = b.bit(17, 1);
    return t;
}

void checkDetailedTiming(const DetailedTiming &t, int block, Findings &findings)
{
    if (t.hActive > 0 && t.vActive > 0 && t.hBackPorch() >= 0 && t.vBackPorch() >= 0)
        return;
    addFinding(findings, Severity::Warning, QStringLiteral("dtd-blanking"), block, t.at.offset,
               QStringLiteral("The detailed timing %1x%2 has no active area, or its front porch, "
                              "sync and borders are longer than its blanking; sources may reject "
                              "it. Correct its sizes and porches.")
                   .arg(t.hActive)
                   .arg(t.frameHeight()));
}

} // namespace varnex::edid
