#include "decode/VendorDataBlocks.h"

#include <algorithm>
#include <cmath>

namespace varnex::edid {

FreeSyncBlock decodeFreeSync(const ByteView &b, int data)
{
    // Version, the refresh range and flags; version 2 adds a second flags
    // byte and the panel's luminance codes.
    FreeSyncBlock f;
    f.majorVersion = b.at(data);
    f.minorVersion = b.at(data + 1);
    f.minRefreshHz = b.at(data + 2);
    f.maxRefreshHz = b.at(data + 3);
    f.flags = b.at(data + 4);
    if (f.majorVersion >= 2 && b.contains(data + 5))
        f.flags2 = b.at(data + 5);
    if (f.majorVersion >= 2 && b.contains(data + 7)) {
        f.maxLuminanceCode = b.at(data + 6);
        f.minLuminanceCode = b.at(data + 7);
    }
    return f;
}

QString dolbyVisionInterfaceName(int code)
{
    static const char *const Names[] = {"low-latency", "low-latency and low-latency HDMI",
                                        "standard and low-latency",
                                        "standard, low-latency and low-latency HDMI"};
    return QLatin1String(Names[code & 3]);
}

namespace {

// Luminance in cd/m² of a 12-bit SMPTE ST 2084 (PQ) code value.
double pqLuminance(int code)
{
    constexpr double m1 = 2610.0 / 16384;
    constexpr double m2 = 2523.0 / 4096 * 128;
    constexpr double c1 = 3424.0 / 4096;
    constexpr double c2 = 2413.0 / 4096 * 32;
    constexpr double c3 = 2392.0 / 4096 * 32;
    const double n = std::pow(code / 4095.0, 1 / m2);
    return 10000 * std::pow(std::max(n - c1, 0.0) / (c2 - c3 * n), 1 / m1);
}

// A 12-bit chromaticity coordinate: eight high bits in one byte, four low
// bits in a nibble of another.
double coordinate12(const ByteView &b, int high, int low, int lowBit)
{
    return ((b.at(high) << 4) | b.bits(low, lowBit, 4)) / 4096.0;
}

void decodeDolbyVision0(const ByteView &b, int data, DolbyVisionBlock &d)
{
    d.red =
        CiePoint{coordinate12(b, data + 2, data + 1, 4), coordinate12(b, data + 3, data + 1, 0)};
    d.green =
        CiePoint{coordinate12(b, data + 5, data + 4, 4), coordinate12(b, data + 6, data + 4, 0)};
    d.blue =
        CiePoint{coordinate12(b, data + 8, data + 7, 4), coordinate12(b, data + 9, data + 7, 0)};
    d.white = CiePoint{coordinate12(b, data + 11, data + 10, 4),
                       coordinate12(b, data + 12, data + 10, 0)};
    d.targetMinPq = (b.at(data + 14) << 4) | b.bits(data + 13, 4, 4);
    d.targetMaxPq = (b.at(data + 15) << 4) | b.bits(data + 13, 0, 4);
    d.dmVersion = b.bits(data + 16, 4, 4);
    d.dmMinorVersion = b.bits(data + 16, 0, 4);
}

void decodeDolbyVision1(const ByteView &b, int data, DolbyVisionBlock &d)
{
    // Maximum in 50 cd/m² steps from 100; minimum as the square of a
    // fraction of 127.
    d.targetMaxLuminance = 100 + 50 * b.bits(data + 1, 1, 7);
    d.targetMinLuminance = std::pow(b.bits(data + 2, 1, 7) / 127.0, 2);
    d.globalDimming = b.bit(data + 1, 0);
    d.colorimetry = b.bit(data + 2, 0) ? QStringLiteral("P3-D65") : QStringLiteral("BT.709");
    d.interface = b.bit(data + 3, 0) ? QStringLiteral("standard and low-latency")
                                     : QStringLiteral("standard");
    if (b.contains(data + 9)) {
        // The long layout: each coordinate a byte of 1/256 steps.
        const auto point = [&](int at) { return CiePoint{b.at(at) / 256.0, b.at(at + 1) / 256.0}; };
        d.byteCoordinates = true;
        d.red = point(data + 4);
        d.green = point(data + 6);
        d.blue = point(data + 8);
        return;
    }
    // The short layout: offsets from the corner of each primary's region,
    // Ry spread over the low bits of bytes 4 to 6.
    const int ry =
        b.bits(data + 4, 0, 1) | (b.bits(data + 5, 0, 1) << 1) | (b.bits(data + 6, 0, 3) << 2);
    d.red = CiePoint{0.625 + b.bits(data + 6, 3, 5) / 256.0, 0.25 + ry / 256.0};
    d.green = CiePoint{b.bits(data + 4, 1, 7) / 256.0, 0.5 + b.bits(data + 5, 1, 7) / 256.0};
    d.blue =
        CiePoint{0.125 + b.bits(data + 3, 5, 3) / 256.0, 0.03125 + b.bits(data + 3, 2, 3) / 256.0};
}

void decodeDolbyVision2(const ByteView &b, int data, DolbyVisionBlock &d)
{
    static constexpr int BacklightMinLuminance[] = {25, 50, 75, 100};
    d.targetMinPq = 20 * b.bits(data + 1, 3, 5);
    d.targetMaxPq = 2055 + 65 * b.bits(data + 2, 3, 5);
    d.globalDimming = b.bit(data + 1, 2);
    d.backlightMinLuminance = BacklightMinLuminance[b.bits(data + 1, 0, 2)];
    d.interface = dolbyVisionInterfaceName(b.bits(data + 2, 0, 2));
    d.yuv444Code = (b.bits(data + 3, 0, 1) << 1) | b.bits(data + 4, 0, 1);
    d.red = CiePoint{0.625 + b.bits(data + 5, 3, 5) / 256.0, 0.25 + b.bits(data + 6, 3, 5) / 256.0};
    d.green = CiePoint{b.bits(data + 3, 1, 7) / 256.0, 0.5 + b.bits(data + 4, 1, 7) / 256.0};
    d.blue =
        CiePoint{0.125 + b.bits(data + 5, 0, 3) / 256.0, 0.03125 + b.bits(data + 6, 0, 3) / 256.0};
}

} // namespace

DolbyVisionBlock decodeDolbyVision(const ByteView &b, int data)
{
    // Bits 7-5 of the first byte give the version, and with it the layout.
    DolbyVisionBlock d;
    d.version = b.bits(data, 5, 3);
    d.yuv422Bits12 = b.bit(data, 0);
    d.supports2160p60 = b.bit(data, 1);
    if (d.version == 0) {
        d.globalDimming = b.bit(data, 2);
        decodeDolbyVision0(b, data, d);
    } else {
        // Display management version: code 1 is 3.x.
        d.dmVersion = b.bits(data, 2, 3) + 2;
        if (d.version == 1)
            decodeDolbyVision1(b, data, d);
        else if (d.version == 2)
            decodeDolbyVision2(b, data, d);
    }
    if (d.targetMinPq) {
        d.targetMinLuminance = pqLuminance(*d.targetMinPq);
        d.targetMaxLuminance = pqLuminance(*d.targetMaxPq);
    }
    return d;
}

Hdr10PlusBlock decodeHdr10Plus(const ByteView &b, int data)
{
    return Hdr10PlusBlock{b.bits(data, 0, 2), b.bits(data, 2, 2), b.bits(data, 4, 4)};
}

DolbyAudioBlock decodeDolbyAudio(const ByteView &b, int data)
{
    DolbyAudioBlock a;
    a.version = b.bits(data, 0, 3) + 1;
    a.headphoneOnly = b.bit(data, 7);
    a.heightZone = b.bit(data, 6);
    a.surroundZone = b.bit(data, 5);
    a.centerZone = b.bit(data, 4);
    a.mat48kOnly = b.bit(data + 1, 0);
    return a;
}

} // namespace varnex::edid
