#include "DtdTiming.h"

namespace varnex::edid {

namespace {

// Field widths of the DTD layout, VESA E-EDID 1.4 section 3.10.2.
constexpr int Bits12Max = 0xFFF;
constexpr int Bits10Max = 0x3FF;
constexpr int Bits6Max = 0x3F;
// Digital separate sync (bits 4-3 of byte 17); bit 2 and bit 1 are the V and H polarities.
constexpr quint8 DigitalSeparateSync = 0x18;
constexpr quint8 InterlacedFlag = 0x80;

bool fits(int value, int max)
{
    return value >= 0 && value <= max;
}

} // namespace

double DtdTiming::lineRateKhz() const
{
    return hTotal() > 0 ? pixelClockKhz / double(hTotal()) : 0.0;
}

double DtdTiming::refreshHz() const
{
    // An interlaced field has half a line more than the DTD's vertical values say.
    const double linesPerField = vTotal() + (interlaced ? 0.5 : 0.0);
    if (hTotal() <= 0 || linesPerField <= 0)
        return 0.0;
    return pixelClockKhz * 1000.0 / (double(hTotal()) * linesPerField);
}

QString DtdTiming::label() const
{
    return QStringLiteral("%1x%2%3@%4")
        .arg(hActive)
        .arg(interlaced ? vActive * 2 : vActive)
        .arg(interlaced ? QStringLiteral("i") : QString())
        .arg(refreshHz(), 0, 'f', 2);
}

bool DtdTiming::sameTiming(const DtdTiming &o) const
{
    return pixelClockKhz == o.pixelClockKhz && hActive == o.hActive &&
           hFrontPorch == o.hFrontPorch && hSync == o.hSync && hBackPorch == o.hBackPorch &&
           vActive == o.vActive && vFrontPorch == o.vFrontPorch && vSync == o.vSync &&
           vBackPorch == o.vBackPorch && hSyncPositive == o.hSyncPositive &&
           vSyncPositive == o.vSyncPositive && interlaced == o.interlaced;
}

std::optional<DetailedDescriptorBytes> encodeDetailedTiming(const DtdTiming &t)
{
    const int hBlank = t.hFrontPorch + t.hSync + t.hBackPorch;
    const int vBlank = t.vFrontPorch + t.vSync + t.vBackPorch;
    if (t.pixelClockKhz == 0 || t.pixelClockKhz > DtdMaxPixelClockKhz || t.pixelClockKhz % 10)
        return std::nullopt;
    if (!fits(t.hActive, Bits12Max) || !fits(hBlank, Bits12Max) || !fits(t.vActive, Bits12Max) ||
        !fits(vBlank, Bits12Max) || !fits(t.hFrontPorch, Bits10Max) || !fits(t.hSync, Bits10Max) ||
        !fits(t.vFrontPorch, Bits6Max) || !fits(t.vSync, Bits6Max) || t.hBackPorch < 0 ||
        t.vBackPorch < 0 || !fits(t.hImageMm, Bits12Max) || !fits(t.vImageMm, Bits12Max))
        return std::nullopt;

    const quint32 clock = t.pixelClockKhz / 10;
    DetailedDescriptorBytes b{};
    b[0] = quint8(clock & 0xFF);
    b[1] = quint8(clock >> 8);
    b[2] = quint8(t.hActive & 0xFF);
    b[3] = quint8(hBlank & 0xFF);
    b[4] = quint8(((t.hActive >> 8) << 4) | (hBlank >> 8));
    b[5] = quint8(t.vActive & 0xFF);
    b[6] = quint8(vBlank & 0xFF);
    b[7] = quint8(((t.vActive >> 8) << 4) | (vBlank >> 8));
    b[8] = quint8(t.hFrontPorch & 0xFF);
    b[9] = quint8(t.hSync & 0xFF);
    b[10] = quint8(((t.vFrontPorch & 0xF) << 4) | (t.vSync & 0xF));
    b[11] = quint8(((t.hFrontPorch >> 8) << 6) | ((t.hSync >> 8) << 4) |
                   ((t.vFrontPorch >> 4) << 2) | (t.vSync >> 4));
    b[12] = quint8(t.hImageMm & 0xFF);
    b[13] = quint8(t.vImageMm & 0xFF);
    b[14] = quint8(((t.hImageMm >> 8) << 4) | (t.vImageMm >> 8));
    b[17] = quint8(DigitalSeparateSync | (t.vSyncPositive ? 0x04 : 0) |
                   (t.hSyncPositive ? 0x02 : 0) | (t.interlaced ? InterlacedFlag : 0));
    return b;
}

std::optional<DtdTiming> decodeDetailedTiming(const quint8 *b)
{
    const quint32 clock = b[0] | (b[1] << 8);
    if (clock == 0)
        return std::nullopt;
    DtdTiming t;
    t.pixelClockKhz = clock * 10;
    t.hActive = b[2] | ((b[4] >> 4) << 8);
    const int hBlank = b[3] | ((b[4] & 0xF) << 8);
    t.vActive = b[5] | ((b[7] >> 4) << 8);
    const int vBlank = b[6] | ((b[7] & 0xF) << 8);
    t.hFrontPorch = b[8] | ((b[11] >> 6) << 8);
    t.hSync = b[9] | (((b[11] >> 4) & 0x3) << 8);
    t.vFrontPorch = (b[10] >> 4) | (((b[11] >> 2) & 0x3) << 4);
    t.vSync = (b[10] & 0xF) | ((b[11] & 0x3) << 4);
    t.hBackPorch = hBlank - t.hFrontPorch - t.hSync;
    t.vBackPorch = vBlank - t.vFrontPorch - t.vSync;
    t.hImageMm = b[12] | ((b[14] >> 4) << 8);
    t.vImageMm = b[13] | ((b[14] & 0xF) << 8);
    t.interlaced = b[17] & InterlacedFlag;
    // Polarities mean this only for digital separate sync; other sync types keep the defaults.
    if ((b[17] & DigitalSeparateSync) == DigitalSeparateSync) {
        t.vSyncPositive = b[17] & 0x04;
        t.hSyncPositive = b[17] & 0x02;
    }
    return t;
}

} // namespace varnex::edid
