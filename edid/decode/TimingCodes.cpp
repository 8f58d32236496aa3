#include "decode/TimingCodes.h"

#include "spec/CvtTiming.h"
#include "spec/DmtFormats.h"
#include "spec/EdidLayout.h"
#include "spec/GtfTiming.h"
#include "spec/VideoFormat.h"

#include <array>

namespace varnex::edid {

namespace {

// An established timing bit: a DMT, or an old IBM or Apple mode with its
// own totals (VESA E-EDID 1.4, table 3.18).
struct EstablishedBit
{
    int dmtId;
    const char *source;
    int width;
    int height;
    int hTotal;
    int vTotal;
    int pixelClockKHz;
};

constexpr std::array<EstablishedBit, 17> EstablishedI_II{{
    {0, "IBM", 720, 400, 900, 449, 28320},
    {0, "IBM", 720, 400, 900, 449, 35500},
    {0x04, nullptr, 0, 0, 0, 0, 0},
    {0, "Apple", 640, 480, 864, 525, 30240},
    {0x05, nullptr, 0, 0, 0, 0, 0},
    {0x06, nullptr, 0, 0, 0, 0, 0},
    {0x08, nullptr, 0, 0, 0, 0, 0},
    {0x09, nullptr, 0, 0, 0, 0, 0},
    {0x0a, nullptr, 0, 0, 0, 0, 0},
    {0x0b, nullptr, 0, 0, 0, 0, 0},
    {0, "Apple", 832, 624, 1152, 667, 57284},
    {0x0f, nullptr, 0, 0, 0, 0, 0},
    {0x10, nullptr, 0, 0, 0, 0, 0},
    {0x11, nullptr, 0, 0, 0, 0, 0},
    {0x12, nullptr, 0, 0, 0, 0, 0},
    {0x24, nullptr, 0, 0, 0, 0, 0},
    {0, "Apple", 1152, 870, 1456, 915, 100000},
}};

// VESA E-EDID 1.4, table 3.30: the DMTs of established timings III, from
// byte 6 bit 7 on; 44 bits are defined, the last 4 are reserved.
constexpr std::array<int, 44> EstablishedIII{
    0x01, 0x02, 0x03, 0x07, 0x0e, 0x0c, 0x13, 0x15, 0x16, 0x17, 0x18, 0x19, 0x20, 0x21, 0x23,
    0x25, 0x27, 0x2e, 0x2f, 0x30, 0x31, 0x29, 0x2a, 0x2b, 0x2c, 0x39, 0x3a, 0x3b, 0x3c, 0x33,
    0x34, 0x35, 0x36, 0x37, 0x3e, 0x3f, 0x41, 0x42, 0x44, 0x45, 0x46, 0x47, 0x49, 0x4a};

TimingCode fromDmt(const DmtFormat &dmt, ByteRange at)
{
    TimingCode t;
    t.at = at;
    t.width = dmt.hActive;
    t.height = dmt.vActive;
    t.refreshHz = dmt.refreshHz();
    t.pixelClockKHz = dmt.pixelClockKHz;
    t.interlaced = dmt.interlaced;
    t.dmtId = dmt.id;
    t.source = QStringLiteral("DMT 0x%1").arg(dmt.id, 2, 16, QLatin1Char('0'));
    return t;
}

TimingCode fromEstablishedBit(const EstablishedBit &bit, ByteRange at)
{
    if (bit.dmtId != 0)
        return fromDmt(*dmtFormat(bit.dmtId), at);
    TimingCode t;
    t.at = at;
    t.width = bit.width;
    t.height = bit.height;
    t.refreshHz = refreshRateHz(bit.pixelClockKHz, bit.hTotal, bit.vTotal, false);
    t.pixelClockKHz = bit.pixelClockKHz;
    t.source = QString::fromLatin1(bit.source);
    return t;
}

} // namespace

QList<TimingCode> decodeEstablishedTimings(const ByteView &base)
{
    QList<TimingCode> timings;
    for (int i = 0; i < int(EstablishedI_II.size()); ++i) {
        const int offset = BaseLayout::EstablishedTimings + i / 8;
        if (base.bit(offset, 7 - i % 8))
            timings.append(fromEstablishedBit(EstablishedI_II[std::size_t(i)],
                                              ByteRange{base.absolute(offset), 1}));
    }
    return timings;
}

QList<TimingCode> decodeEstablishedTimings3(const ByteView &descriptor)
{
    // The bitmap starts at byte 6 of the descriptor.
    constexpr int FirstByte = 6;
    QList<TimingCode> timings;
    for (int i = 0; i < int(EstablishedIII.size()); ++i) {
        const int offset = FirstByte + i / 8;
        if (descriptor.bit(offset, 7 - i % 8))
            timings.append(fromDmt(*dmtFormat(EstablishedIII[std::size_t(i)]),
                                   ByteRange{descriptor.absolute(offset), 1}));
    }
    return timings;
}

std::optional<TimingCode> decodeStandardTiming(const ByteView &bytes, bool aspect1to1)
{
    // 0x01 0x01 marks an unused slot; first bytes of 0 and 1 (widths 248
    // and 256) are no display's width and are left out the same way.
    const int b0 = bytes.at(0);
    const int b1 = bytes.at(1);
    if (b0 <= 0x01)
        return std::nullopt;
    const int width = (b0 + 31) * 8;
    int height = 0;
    switch (b1 >> 6) {
    case 0:
        height = aspect1to1 ? width : width * 10 / 16;
        break;
    case 1:
        height = width * 3 / 4;
        break;
    case 2:
        height = width * 4 / 5;
        break;
    default:
        height = width * 9 / 16;
        break;
    }
    const int refresh = (b1 & 0x3f) + 60;
    const ByteRange at{bytes.base(), 2};
    // Aspect code 0 reads 16:10 in the DMT codes, which a 1:1 table is not.
    const bool dmtAspect = !aspect1to1 || (b1 >> 6) != 0;
    if (const auto dmt = dmtForStandardTiming(b0, b1); dmt && dmtAspect)
        return fromDmt(*dmt, at);
    TimingCode t;
    t.at = at;
    t.width = width;
    t.height = height;
    t.refreshHz = refresh;
    t.source = QStringLiteral("standard");
    // No DMT: sources make the GTF timing of the nominal rate.
    if (const std::optional<Timing> gtf = gtfTiming(width, height, refresh)) {
        t.pixelClockKHz = gtf->pixelClockKHz;
        t.refreshHz = gtf->refreshHz();
        t.source = QStringLiteral("GTF");
    }
    return t;
}

QList<TimingCode> decodeCvtCode(const ByteView &bytes)
{
    // VESA E-EDID 1.4, table 3.27.
    const int b0 = bytes.at(0);
    const int b1 = bytes.at(1);
    const int b2 = bytes.at(2);
    if (b0 == 0 && b1 == 0 && b2 == 0)
        return {};
    const int height = ((((b1 >> 4) << 8) | b0) + 1) * 2;
    static constexpr std::array<std::array<int, 2>, 4> Aspects{
        {{4, 3}, {16, 9}, {16, 10}, {15, 9}}};
    const auto &aspect = Aspects[std::size_t((b1 >> 2) & 3)];
    const int width = height * aspect[0] / aspect[1] / 8 * 8;
    // Bits 4 to 0 of byte 2: 50, 60, 75, 85 Hz and 60 Hz with reduced blanking.
    static constexpr std::array<int, 5> Rates{50, 60, 75, 85, 60};
    // Bits 6-5 of byte 2: the preferred rate, 50, 60, 75 or 85 Hz.
    const int preferredRate = Rates[std::size_t((b2 >> 5) & 3)];
    // At a preferred 60 Hz the reduced-blanking timing, when offered, is
    // the preferred one, as the reference decoder reads it.
    const int preferredIndex = preferredRate == 60 && (b2 & 0x01) ? 4 : (b2 >> 5) & 3;
    QList<TimingCode> timings;
    for (int i = 0; i < 5; ++i) {
        if (!(b2 & (0x10 >> i)))
            continue;
        TimingCode t;
        t.at = ByteRange{bytes.base(), 3};
        t.width = width;
        t.height = height;
        t.refreshHz = Rates[std::size_t(i)];
        t.source = i == 4 ? QStringLiteral("CVT RB") : QStringLiteral("CVT");
        t.preferred = i == preferredIndex;
        // What a source sends for the code: the CVT timing of the rate.
        const std::optional<Timing> timing =
            i == 4 ? cvtReducedBlanking(width, height, 60) : cvtTiming(width, height, t.refreshHz);
        if (timing) {
            t.pixelClockKHz = timing->pixelClockKHz;
            t.refreshHz = timing->refreshHz();
        }
        timings.append(t);
    }
    return timings;
}

} // namespace varnex::edid
