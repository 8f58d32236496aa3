#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace varnex::edid {

// Size of one detailed descriptor slot (DTD or display descriptor), VESA E-EDID.
inline constexpr int DetailedDescriptorSize = 18;
// Largest pixel clock a DTD can carry: 16 bits of 10 kHz units.
inline constexpr quint32 DtdMaxPixelClockKhz = 655350;

using DetailedDescriptorBytes = std::array<quint8, DetailedDescriptorSize>;

// One video timing in the terms of an 18-byte Detailed Timing Descriptor.
// Vertical values count lines of one field for interlaced timings, as a DTD does.
struct DtdTiming
{
    quint32 pixelClockKhz = 0;
    int hActive = 0;
    int hFrontPorch = 0;
    int hSync = 0;
    int hBackPorch = 0;
    int vActive = 0;
    int vFrontPorch = 0;
    int vSync = 0;
    int vBackPorch = 0;
    bool hSyncPositive = true;
    bool vSyncPositive = true;
    bool interlaced = false;
    int hImageMm = 0; // 0: not given
    int vImageMm = 0;

    int hTotal() const { return hActive + hFrontPorch + hSync + hBackPorch; }
    int vTotal() const { return vActive + vFrontPorch + vSync + vBackPorch; }
    double lineRateKhz() const;
    // Frames per second for progressive timings, fields per second for interlaced ones.
    double refreshHz() const;
    // "1920x1080@60.00" (with an "i" after the height for interlaced timings).
    QString label() const;

    bool sameTiming(const DtdTiming &other) const;
};

// The 18 DTD bytes, or nothing when a value does not fit its field (a pixel
// clock above DtdMaxPixelClockKhz or not a multiple of 10 kHz, porches or sizes
// beyond their bit widths). Sync is always digital separate.
std::optional<DetailedDescriptorBytes> encodeDetailedTiming(const DtdTiming &timing);

// Reads the 18 bytes at `bytes`; nothing when they hold a display descriptor
// (pixel clock 0) rather than a timing.
std::optional<DtdTiming> decodeDetailedTiming(const quint8 *bytes);

} // namespace varnex::edid
