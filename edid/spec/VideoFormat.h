#pragma once

#include "spec/Timing.h"

namespace varnex::edid {

// A video format as the CTA-861 table lists it: a view of a Timing that keeps
// the table's frame totals (a field of VIC 39 has no half line, so the totals
// cannot be had from the field values) and the picture aspect ratio. Vertical
// porches and sync are per field for interlaced formats, like an 18-byte
// detailed timing stores them; vActive and vTotal count the lines of the whole
// frame.
struct VideoFormat
{
    int hActive = 0;
    int vActive = 0;
    int hTotal = 0;
    int vTotal = 0;
    int hFrontPorch = 0;
    int hSyncWidth = 0;
    int vFrontPorch = 0;
    int vSyncWidth = 0;
    bool hSyncPositive = false;
    bool vSyncPositive = false;
    bool interlaced = false;
    int pixelClockKHz = 0;
    // Picture aspect ratio, e.g. 16:9.
    int aspectWidth = 0;
    int aspectHeight = 0;

    constexpr int hBlank() const { return hTotal - hActive; }
    constexpr int hBackPorch() const { return hBlank() - hFrontPorch - hSyncWidth; }
    // Lines of one field for interlaced formats (the half line is dropped,
    // as a detailed timing cannot hold it).
    constexpr int vActiveField() const { return interlaced ? vActive / 2 : vActive; }
    constexpr int vBlank() const { return interlaced ? (vTotal - vActive) / 2 : vTotal - vActive; }
    constexpr int vBackPorch() const { return vBlank() - vFrontPorch - vSyncWidth; }
    constexpr double refreshHz() const
    {
        return refreshRateHz(pixelClockKHz, hTotal, vTotal, interlaced);
    }
    // The format as a detailed timing holds it: vertical values per field.
    constexpr Timing timing() const
    {
        Timing t;
        t.pixelClockKHz = pixelClockKHz;
        t.hActive = hActive;
        t.hFrontPorch = hFrontPorch;
        t.hSyncWidth = hSyncWidth;
        t.hBackPorch = hBackPorch();
        t.vActive = vActiveField();
        t.vFrontPorch = vFrontPorch;
        t.vSyncWidth = vSyncWidth;
        t.vBackPorch = vBackPorch();
        t.hSyncPositive = hSyncPositive;
        t.vSyncPositive = vSyncPositive;
        t.interlaced = interlaced;
        return t;
    }
};

} // namespace varnex::edid
