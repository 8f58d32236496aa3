#include "spec/DetailedTiming.h"

#include "spec/Units.h"

#include <algorithm>

namespace varnex::edid {

namespace {

// Field widths of the descriptor, VESA E-EDID 1.4 table 3.21.
constexpr int Bits12Max = 0xFFF;
constexpr int Bits10Max = 0x3FF;
constexpr int Bits8Max = 0xFF;
constexpr int Bits6Max = 0x3F;
// Byte 17: interlace, digital separate sync (bits 4-3), then the V and H polarities.
constexpr quint8 InterlacedFlag = 0x80;
constexpr quint8 DigitalSeparateSync = 0x18;
constexpr quint8 VSyncPositiveFlag = 0x04;
constexpr quint8 HSyncPositiveFlag = 0x02;

bool fits(int value, int max)
{
    return value >= 0 && value <= max;
}

int bits(quint8 byte, int shift, int count)
{
    return (byte >> shift) & ((1 << count) - 1);
}

} // namespace

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

DetailedTiming DetailedTiming::read(const DetailedDescriptorBytes &b, int offset)
{
    // 12-bit sizes and 10-bit porches split into a low byte and upper nibbles or bit pairs.
    DetailedTiming t;
    t.at = ByteRange{offset, DetailedDescriptorSize};
    t.pixelClockKHz = (b[0] | (b[1] << 8)) * DtdPixelClockUnitKHz;
    t.hActive = b[2] | (bits(b[4], 4, 4) << 8);
    const int hBlank = b[3] | (bits(b[4], 0, 4) << 8);
    t.vActive = b[5] | (bits(b[7], 4, 4) << 8);
    const int vBlank = b[6] | (bits(b[7], 0, 4) << 8);
    t.hFrontPorch = b[8] | (bits(b[11], 6, 2) << 8);
    t.hSyncWidth = b[9] | (bits(b[11], 4, 2) << 8);
    t.vFrontPorch = bits(b[10], 4, 4) | (bits(b[11], 2, 2) << 4);
    t.vSyncWidth = bits(b[10], 0, 4) | (bits(b[11], 0, 2) << 4);
    t.widthMm = b[12] | (bits(b[14], 4, 4) << 8);
    t.heightMm = b[13] | (bits(b[14], 0, 4) << 8);
    t.hBorder = b[15];
    t.vBorder = b[16];
    t.hBackPorch = hBlank - t.hFrontPorch - t.hSyncWidth - 2 * t.hBorder;
    t.vBackPorch = vBlank - t.vFrontPorch - t.vSyncWidth - 2 * t.vBorder;
    t.interlaced = bits(b[17], 7, 1);
    t.stereo = (bits(b[17], 5, 2) << 1) | bits(b[17], 0, 1);
    t.syncType = SyncType(bits(b[17], 3, 2));
    t.flag2 = bits(b[17], 2, 1);
    t.flag1 = bits(b[17], 1, 1);
    if (t.syncType == SyncType::DigitalSeparate) {
        t.vSyncPositive = t.flag2;
        t.hSyncPositive = t.flag1;
    }
    return t;
}

std::optional<DetailedDescriptorBytes> encodeDetailedTiming(const Timing &t)
{
    const int hBlank = t.hBlank();
    const int vBlank = t.vBlank();
    if (t.pixelClockKHz <= 0 || t.pixelClockKHz > DtdMaxPixelClockKHz ||
        t.pixelClockKHz % DtdPixelClockUnitKHz)
        return std::nullopt;
    if (!fits(t.hActive, Bits12Max) || !fits(hBlank, Bits12Max) || !fits(t.vActive, Bits12Max) ||
        !fits(vBlank, Bits12Max) || !fits(t.hFrontPorch, Bits10Max) ||
        !fits(t.hSyncWidth, Bits10Max) || !fits(t.vFrontPorch, Bits6Max) ||
        !fits(t.vSyncWidth, Bits6Max) || t.hBackPorch < 0 || t.vBackPorch < 0 ||
        !fits(t.hBorder, Bits8Max) || !fits(t.vBorder, Bits8Max) || !fits(t.widthMm, Bits12Max) ||
        !fits(t.heightMm, Bits12Max))
        return std::nullopt;

    const int clock = t.pixelClockKHz / DtdPixelClockUnitKHz;
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
    b[9] = quint8(t.hSyncWidth & 0xFF);
    b[10] = quint8(((t.vFrontPorch & 0xF) << 4) | (t.vSyncWidth & 0xF));
    b[11] = quint8(((t.hFrontPorch >> 8) << 6) | ((t.hSyncWidth >> 8) << 4) |
                   ((t.vFrontPorch >> 4) << 2) | (t.vSyncWidth >> 4));
    b[12] = quint8(t.widthMm & 0xFF);
    b[13] = quint8(t.heightMm & 0xFF);
    b[14] = quint8(((t.widthMm >> 8) << 4) | (t.heightMm >> 8));
    b[15] = quint8(t.hBorder);
    b[16] = quint8(t.vBorder);
    b[17] = quint8(DigitalSeparateSync | (t.vSyncPositive ? VSyncPositiveFlag : 0) |
                   (t.hSyncPositive ? HSyncPositiveFlag : 0) | (t.interlaced ? InterlacedFlag : 0));
    return b;
}

std::optional<Timing> decodeDetailedTiming(const quint8 *bytes)
{
    DetailedDescriptorBytes copy;
    std::copy_n(bytes, DetailedDescriptorSize, copy.begin());
    const DetailedTiming d = DetailedTiming::read(copy, 0);
    if (d.pixelClockKHz == 0)
        return std::nullopt;
    // Borders stay in the back porch: an edit writes none of its own.
    Timing t = d;
    t.hBackPorch += 2 * t.hBorder;
    t.vBackPorch += 2 * t.vBorder;
    t.hBorder = 0;
    t.vBorder = 0;
    return t;
}

} // namespace varnex::edid
