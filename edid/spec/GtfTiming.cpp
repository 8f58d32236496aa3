#include "spec/GtfTiming.h"

#include <cmath>

namespace varnex::edid {

namespace {

// VESA GTF 1.1, section 3: the default parameters.
constexpr double CellGranularity = 8;
constexpr int MinPorchLines = 1;
constexpr int VSyncLines = 3;
constexpr double HSyncPercent = 8;
constexpr double MinVSyncBackPorchUs = 550;
// C' and M' from C 40, M 600, K 128, J 20.
constexpr double CPrime = (40.0 - 20.0) * 128.0 / 256.0 + 20.0;
constexpr double MPrime = 128.0 / 256.0 * 600.0;

} // namespace

std::optional<Timing> gtfTiming(int width, int height, double hz)
{
    if (width <= 0 || height <= 0 || hz <= 0 || width > 16384 || height > 16384)
        return std::nullopt;
    const double hActive = std::round(width / CellGranularity) * CellGranularity;
    const double hPeriodEstimate = (1e6 / hz - MinVSyncBackPorchUs) / (height + MinPorchLines);
    if (hPeriodEstimate <= 0)
        return std::nullopt;
    const int vSyncBackPorch = int(std::round(MinVSyncBackPorchUs / hPeriodEstimate));
    const int vTotal = height + vSyncBackPorch + MinPorchLines;
    const double rateEstimate = 1e6 / hPeriodEstimate / vTotal;
    const double hPeriod = hPeriodEstimate / (hz / rateEstimate);
    const double dutyCycle = CPrime - MPrime * hPeriod / 1000.0;
    if (dutyCycle <= 0 || dutyCycle >= 100)
        return std::nullopt;
    const double hBlank =
        std::round(hActive * dutyCycle / (100.0 - dutyCycle) / (2 * CellGranularity)) *
        (2 * CellGranularity);
    const double hTotal = hActive + hBlank;
    const double hSync =
        std::round(HSyncPercent / 100.0 * hTotal / CellGranularity) * CellGranularity;

    Timing t;
    t.hActive = int(hActive);
    t.hSyncWidth = int(hSync);
    t.hFrontPorch = int(hBlank / 2 - hSync);
    t.hBackPorch = int(hBlank / 2);
    t.vActive = height;
    t.vFrontPorch = MinPorchLines;
    t.vSyncWidth = VSyncLines;
    t.vBackPorch = vSyncBackPorch - VSyncLines;
    // Pixel clock to the kHz: total pixels over the line period in µs.
    t.pixelClockKHz = int(std::round(hTotal / hPeriod * 1000.0));
    // GTF: negative horizontal, positive vertical sync.
    t.hSyncPositive = false;
    t.vSyncPositive = true;
    return t;
}

} // namespace varnex::edid
