#include "StandardModes.h"

#include "spec/CtaVideoFormats.h"
#include "spec/DmtFormats.h"

#include <cmath>
#include <vector>

namespace varnex::edid {

namespace {

// How close a requested rate must be to count as the mode's rate (Hz).
constexpr double RateTolerance = 0.01;

// A VIC's timing as a DTD holds it: vertical values per field.
StandardMode modeOfVic(int vic, const VideoFormat &f)
{
    StandardMode mode;
    mode.vic = vic;
    mode.nominalHz = int(std::lround(f.refreshHz()));
    mode.timing = f.timing();
    return mode;
}

// Every DMT with porches is a 60 Hz mode.
constexpr int DmtNominalHz = 60;

// Every VIC of the CTA-861 table, in VIC order, then the DMT modes: a size and
// rate that both define is found as its VIC.
const std::vector<StandardMode> &allModes()
{
    static const std::vector<StandardMode> modes = [] {
        std::vector<StandardMode> list;
        for (int vic = 1; vic <= MaxKnownVic; ++vic) {
            if (const auto format = ctaVideoFormat(vic))
                list.push_back(modeOfVic(vic, *format));
        }
        for (const DmtTiming &dmt : dmtTimings())
            list.push_back({0, dmt.id, DmtNominalHz, dmt.timing});
        return list;
    }();
    return modes;
}

bool near(double a, double b)
{
    return std::abs(a - b) < RateTolerance;
}

} // namespace

std::span<const StandardMode> standardModes()
{
    return allModes();
}

std::optional<StandardMode> standardModeForVic(int vic)
{
    if (const auto format = ctaVideoFormat(vic))
        return modeOfVic(vic, *format);
    return std::nullopt;
}

std::optional<Timing> standardTiming(int width, int height, double hz)
{
    for (const StandardMode &mode : allModes()) {
        const Timing &t = mode.timing;
        // A request names no scan, so it means a progressive mode.
        if (t.interlaced || t.hActive != width || t.vActive != height)
            continue;
        if (near(hz, mode.nominalHz) || near(hz, t.refreshHz()))
            return t;
        // CTA-861 allows 1000/1001 variants of its integer rates; DMT has none.
        const double fractional = t.refreshHz() * 1000.0 / 1001.0;
        if (mode.vic != 0 && near(t.refreshHz(), mode.nominalHz) && near(hz, fractional)) {
            Timing scaled = t;
            scaled.pixelClockKHz = int(std::lround(t.pixelClockKHz * 100.0 / 1001.0)) * 10;
            return scaled;
        }
    }
    return std::nullopt;
}

} // namespace varnex::edid
