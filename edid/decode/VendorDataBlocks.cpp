#include "decode/VendorDataBlocks.h"

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

DolbyVisionBlock decodeDolbyVision(const ByteView &b, int data)
{
    // Bits 7-5 of the first byte give the version, and with it the layout.
    DolbyVisionBlock d;
    d.version = b.bits(data, 5, 3);
    d.yuv422Bits12 = b.bit(data, 0);
    d.supports2160p60 = b.bit(data, 1);
    if (d.version == 0)
        return d;
    // Display management version: code 1 is 3.x.
    d.dmVersion = b.bits(data, 2, 3) + 2;
    if (d.version == 1) {
        // Maximum in 50 cd/m² steps from 100; minimum as the square of a
        // fraction of 127.
        d.targetMaxLuminance = 100 + 50 * b.bits(data + 1, 1, 7);
        d.targetMinLuminance = std::pow(b.bits(data + 2, 1, 7) / 127.0, 2);
    } else if (d.version == 2) {
        d.targetMinPq = 20 * b.bits(data + 1, 3, 5);
        d.targetMaxPq = 2055 + 65 * b.bits(data + 2, 3, 5);
        d.interface = dolbyVisionInterfaceName(b.bits(data + 2, 0, 2));
    }
    return d;
}

Hdr10PlusBlock decodeHdr10Plus(const ByteView &b, int data)
{
    return Hdr10PlusBlock{b.bits(data, 0, 2)};
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
