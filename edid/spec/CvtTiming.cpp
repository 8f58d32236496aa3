#include "spec/CvtTiming.h"

#include <algorithm>
#include <cmath>

namespace varnex::edid {

namespace {

// Constants of VESA CVT 1.2, section 5.4 (reduced blanking, version 1).
constexpr int CellGranularity = 8; // also the smallest width accepted
constexpr double RbMinVBlankUs = 460.0;
constexpr int RbHBlank = 160;
constexpr int RbHSync = 32;
constexpr int RbHBackPorch = 80;
constexpr int RbVFrontPorch = 3;
constexpr int MinVBackPorch = 6;
constexpr double ClockStepMhz = 0.25;

// Constants of CVT 1.2, section 5.3 (normal blanking), with C' and M'
// from the GTF defaults C 40, M 600, K 128, J 20.
constexpr double MinVSyncBackPorchUs = 550.0;
constexpr int MinVPorch = 3;
constexpr double HSyncPercent = 8.0;
constexpr double CPrime = (40.0 - 20.0) * 128.0 / 256.0 + 20.0;
constexpr double MPrime = 128.0 / 256.0 * 600.0;
constexpr double MinDutyCycle = 20.0;

// CVT 1.2 table 3-2: the vertical sync width tells the aspect ratio.
int vSyncForAspect(int width, int height)
{
    const auto is = [&](int w, int h) { return width * h == height * w; };
    if (is(4, 3))
        return 4;
    if (is(16, 9))
        return 5;
    if (is(16, 10))
        return 6;
    if (is(5, 4) || is(15, 9))
        return 7;
    return 10;
}

} // namespace

std::optional<Timing> cvtReducedBlanking(int width, int height, double hz)
{
    if (width < CellGranularity || height <= 0 || !(hz > 0) || hz > 1000)
        return std::nullopt;
    // CVT assumes widths in whole 8-pixel cells. For others (1366) the asked
    // width stays the active width, as a DTD can carry it, and the clock comes
    // from the real total so that the rate stays what was asked for.
    const int hPixels = width;
    const double framePeriodUs = 1000000.0 / hz;
    if (framePeriodUs <= RbMinVBlankUs)
        return std::nullopt;

    const int vSync = vSyncForAspect(hPixels, height);
    const double hPeriodEstUs = (framePeriodUs - RbMinVBlankUs) / height;
    const int vbiLines = int(std::floor(RbMinVBlankUs / hPeriodEstUs)) + 1;
    const int vBlank = std::max(vbiLines, RbVFrontPorch + vSync + MinVBackPorch);
    const int vTotal = height + vBlank;
    const int hTotal = hPixels + RbHBlank;
    const double clockMhz =
        ClockStepMhz * std::floor(hz * vTotal * hTotal / 1000000.0 / ClockStepMhz);

    Timing t;
    t.pixelClockKHz = int(std::lround(clockMhz * 1000.0));
    t.hActive = hPixels;
    t.hSyncWidth = RbHSync;
    t.hBackPorch = RbHBackPorch;
    t.hFrontPorch = RbHBlank - RbHSync - RbHBackPorch;
    t.vActive = height;
    t.vFrontPorch = RbVFrontPorch;
    t.vSyncWidth = vSync;
    t.vBackPorch = vBlank - RbVFrontPorch - vSync;
    // Reduced blanking signals itself by positive horizontal and negative vertical sync.
    t.hSyncPositive = true;
    t.vSyncPositive = false;
    return t;
}

std::optional<Timing> cvtTiming(int width, int height, double hz)
{
    if (width < CellGranularity || height <= 0 || !(hz > 0) || hz > 1000 || width > 16384 ||
        height > 16384)
        return std::nullopt;
    const int hPixels = width / CellGranularity * CellGranularity;
    const double hPeriodEstUs = (1000000.0 / hz - MinVSyncBackPorchUs) / (height + MinVPorch);
    if (hPeriodEstUs <= 0)
        return std::nullopt;
    const int vSync = vSyncForAspect(hPixels, height);
    const int vSyncBackPorch =
        std::max(int(std::floor(MinVSyncBackPorchUs / hPeriodEstUs)) + 1, vSync + MinVBackPorch);
    const double dutyCycle = std::max(CPrime - MPrime * hPeriodEstUs / 1000.0, MinDutyCycle);
    constexpr int BlankStep = 2 * CellGranularity;
    const int hBlank =
        int(std::floor(hPixels * dutyCycle / (100.0 - dutyCycle) / BlankStep)) * BlankStep;
    const int hTotal = hPixels + hBlank;
    const double clockMhz = ClockStepMhz * std::floor(hTotal / hPeriodEstUs / ClockStepMhz);
    if (clockMhz <= 0)
        return std::nullopt;
    const int hSync =
        int(std::floor(HSyncPercent / 100.0 * hTotal / CellGranularity)) * CellGranularity;

    Timing t;
    t.pixelClockKHz = int(std::lround(clockMhz * 1000.0));
    t.hActive = hPixels;
    t.hSyncWidth = hSync;
    t.hBackPorch = hBlank / 2;
    t.hFrontPorch = hBlank - hSync - hBlank / 2;
    t.vActive = height;
    t.vFrontPorch = MinVPorch;
    t.vSyncWidth = vSync;
    t.vBackPorch = vSyncBackPorch - vSync;
    // Normal blanking signals itself by negative horizontal and positive vertical sync.
    t.hSyncPositive = false;
    t.vSyncPositive = true;
    return t;
}

} // namespace varnex::edid
