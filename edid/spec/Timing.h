#pragma once

#include <QString>

namespace varnex::edid {

// Field rate for interlaced formats, frame rate otherwise: the rate sources
// and sinks quote ("1080i60"). `vTotal` counts the lines of a whole frame.
constexpr double refreshRateHz(int pixelClockKHz, int hTotal, int vTotal, bool interlaced)
{
    if (hTotal <= 0 || vTotal <= 0)
        return 0.0;
    const double frameRate = 1000.0 * pixelClockKHz / (double(hTotal) * vTotal);
    return interlaced ? 2.0 * frameRate : frameRate;
}

// One video timing, in the terms of an 18-byte detailed timing descriptor
// (VESA E-EDID 1.4, section 3.10.2): the decoder reads it, the edits write it
// and the standard tables convert to it. Vertical values count the lines of
// one field for interlaced timings, as a descriptor holds them; frameHeight()
// gives the height of the whole picture. A back porch may be negative in a
// timing read from a faulty descriptor.
struct Timing
{
    int pixelClockKHz = 0;
    int hActive = 0;
    int hFrontPorch = 0;
    int hSyncWidth = 0;
    int hBackPorch = 0;
    // Pixels (lines) of border on each side, inside the blanking.
    int hBorder = 0;
    int vActive = 0;
    int vFrontPorch = 0;
    int vSyncWidth = 0;
    int vBackPorch = 0;
    int vBorder = 0;
    bool hSyncPositive = true;
    bool vSyncPositive = true;
    bool interlaced = false;
    // Image size; 0: not given.
    int widthMm = 0;
    int heightMm = 0;

    // The blanking holds the borders on both sides as well as the porches and the sync.
    constexpr int hBlank() const { return hFrontPorch + hSyncWidth + hBackPorch + 2 * hBorder; }
    constexpr int vBlank() const { return vFrontPorch + vSyncWidth + vBackPorch + 2 * vBorder; }
    constexpr int hTotal() const { return hActive + hBlank(); }
    // Lines of one field for interlaced timings.
    constexpr int vTotal() const { return vActive + vBlank(); }
    constexpr int frameHeight() const { return interlaced ? 2 * vActive : vActive; }
    // Frames per second for progressive timings, fields per second for
    // interlaced ones (an interlaced frame holds two fields and the half line
    // between them); 0 when the totals are 0.
    double refreshHz() const;
    double hFreqKHz() const;
    // "1920x1080@60.00" (with an "i" after the height for interlaced timings).
    QString label() const;

    // Same pixel clock, sizes, porches, sync and scan; the image size may differ.
    bool sameTiming(const Timing &other) const;
};

} // namespace varnex::edid
