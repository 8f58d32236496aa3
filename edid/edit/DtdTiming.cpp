#include "DtdTiming.h"

#include "decode/ByteView.h"
#include "decode/DetailedTiming.h"

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

std::optional<DtdTiming> decodeDetailedTiming(const quint8 *bytes)
{
    const DetailedTiming d =
        DetailedTiming::decode(ByteView(QByteArrayView(bytes, DetailedDescriptorSize), 0));
    if (d.pixelClockKHz == 0)
        return std::nullopt;
    DtdTiming t;
    t.pixelClockKhz = quint32(d.pixelClockKHz);
    t.hActive = d.hActive;
    t.hFrontPorch = d.hFrontPorch;
    t.hSync = d.hSyncWidth;
    // Borders stay in the back porch: an edit writes none of its own.
    t.hBackPorch = d.hBlank - d.hFrontPorch - d.hSyncWidth;
    t.vActive = d.vActive;
    t.vFrontPorch = d.vFrontPorch;
    t.vSync = d.vSyncWidth;
    t.vBackPorch = d.vBlank - d.vFrontPorch - d.vSyncWidth;
    t.hImageMm = d.widthMm;
    t.vImageMm = d.heightMm;
    t.interlaced = d.interlaced;
    // Polarities mean this only for digital separate sync; other sync types keep the defaults.
    if (d.syncType == SyncType::DigitalSeparate) {
        t.vSyncPositive = d.flag2;
        t.hSyncPositive = d.flag1;
    }
    return t;
}

} // namespace varnex::edid
