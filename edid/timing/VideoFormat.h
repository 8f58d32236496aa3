#pragma once

namespace varnex::edid {

// Field rate for interlaced formats, frame rate otherwise: the rate sources
// and sinks quote ("1080i60"). An interlaced frame carries two fields.
constexpr double refreshRateHz(int pixelClockKHz, int hTotal, int vTotal, bool interlaced)
{
    if (hTotal <= 0 || vTotal <= 0)
        return 0.0;
    const double frameRate = 1000.0 * pixelClockKHz / (double(hTotal) * vTotal);
    return interlaced ? 2.0 * frameRate : frameRate;
}

// A complete video timing as the standards tabulate it. Vertical porches and
// sync are per field for interlaced formats, like an 18-byte detailed timing
// stores them; vActive and vTotal count the lines of the whole frame.
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
};

} // namespace varnex::edid
