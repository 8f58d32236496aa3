#include "StandardModes.h"

#include "timing/CtaVideoFormats.h"

#include <cmath>
#include <iterator>
#include <vector>

namespace varnex::edid {

namespace {

// How close a requested rate must be to count as the mode's rate (Hz).
constexpr double RateTolerance = 0.01;

constexpr DtdTiming timing(quint32 khz, int ha, int hf, int hs, int hb, int va, int vf, int vs,
                           int vb, bool hPos, bool vPos)
{
    DtdTiming t;
    t.pixelClockKhz = khz;
    t.hActive = ha;
    t.hFrontPorch = hf;
    t.hSync = hs;
    t.hBackPorch = hb;
    t.vActive = va;
    t.vFrontPorch = vf;
    t.vSync = vs;
    t.vBackPorch = vb;
    t.hSyncPositive = hPos;
    t.vSyncPositive = vPos;
    return t;
}

constexpr bool P = true;
constexpr bool N = false;

// VESA DMT 1.0 rev 13 desktop modes with their porches, which the decoder's
// DMT table does not hold. 1280x720@60 and 1920x1080@60 repeat VICs 4 and 16.
// DMT 640x480@60 differs from VIC 1 (it has 8-pixel borders), so it is not listed.
const StandardMode DmtModes[] = {
    {0, 0x09, 60, timing(40000, 800, 40, 128, 88, 600, 1, 4, 23, P, P)},
    {0, 0x10, 60, timing(65000, 1024, 24, 136, 160, 768, 3, 6, 29, N, N)},
    {0, 0x1C, 60, timing(83500, 1280, 72, 128, 200, 800, 3, 6, 22, N, P)},
    {0, 0x23, 60, timing(108000, 1280, 48, 112, 248, 1024, 1, 3, 38, P, P)},
    {0, 0x51, 60, timing(85500, 1366, 70, 143, 213, 768, 3, 3, 24, P, P)},
    {0, 0x2F, 60, timing(106500, 1440, 80, 152, 232, 900, 3, 6, 25, N, P)},
    {0, 0x53, 60, timing(108000, 1600, 24, 80, 96, 900, 1, 3, 96, P, P)},
    {0, 0x33, 60, timing(162000, 1600, 64, 192, 304, 1200, 1, 3, 46, P, P)},
    {0, 0x3A, 60, timing(146250, 1680, 104, 176, 280, 1050, 3, 6, 30, N, P)},
    {0, 0x44, 60, timing(154000, 1920, 48, 32, 80, 1200, 3, 6, 26, P, N)},
    {0, 0x4C, 60, timing(268500, 2560, 48, 32, 80, 1600, 3, 6, 37, P, N)},
    {0, 0x55, 60, timing(74250, 1280, 110, 40, 220, 720, 5, 5, 20, P, P)},
    {0, 0x52, 60, timing(148500, 1920, 88, 44, 148, 1080, 4, 5, 36, P, P)},
};

// A VIC's timing as a DTD holds it: vertical values per field.
StandardMode modeOfVic(int vic, const VideoFormat &f)
{
    StandardMode mode;
    mode.vic = vic;
    mode.nominalHz = int(std::lround(f.refreshHz()));
    mode.timing = timing(quint32(f.pixelClockKHz), f.hActive, f.hFrontPorch, f.hSyncWidth,
                         f.hBackPorch(), f.vActiveField(), f.vFrontPorch, f.vSyncWidth,
                         f.vBackPorch(), f.hSyncPositive, f.vSyncPositive);
    mode.timing.interlaced = f.interlaced;
    return mode;
}

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
        list.insert(list.end(), std::begin(DmtModes), std::end(DmtModes));
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

std::optional<DtdTiming> standardTiming(int width, int height, double hz)
{
    for (const StandardMode &mode : allModes()) {
        const DtdTiming &t = mode.timing;
        // A request names no scan, so it means a progressive mode.
        if (t.interlaced || t.hActive != width || t.vActive != height)
            continue;
        if (near(hz, mode.nominalHz) || near(hz, t.refreshHz()))
            return t;
        // CTA-861 allows 1000/1001 variants of its integer rates; DMT has none.
        const double fractional = t.refreshHz() * 1000.0 / 1001.0;
        if (mode.vic != 0 && near(t.refreshHz(), mode.nominalHz) && near(hz, fractional)) {
            DtdTiming scaled = t;
            scaled.pixelClockKhz = quint32(std::lround(t.pixelClockKhz * 100.0 / 1001.0)) * 10;
            return scaled;
        }
    }
    return std::nullopt;
}

} // namespace varnex::edid
