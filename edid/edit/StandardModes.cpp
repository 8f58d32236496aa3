#include "StandardModes.h"

#include <cmath>

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

// Timings from CTA-861-H table 3 ff. (VICs) and VESA DMT 1.0 rev 13 (DMT IDs). DMT
// 640x480@60 differs from VIC 1 (it has 8-pixel borders), so it is not listed.
const StandardMode Modes[] = {
    {1, 0, 60, timing(25175, 640, 16, 96, 48, 480, 10, 2, 33, N, N)},
    {3, 0, 60, timing(27000, 720, 16, 62, 60, 480, 9, 6, 30, N, N)},
    {2, 0, 60, timing(27000, 720, 16, 62, 60, 480, 9, 6, 30, N, N)},
    {18, 0, 50, timing(27000, 720, 12, 64, 68, 576, 5, 5, 39, N, N)},
    {17, 0, 50, timing(27000, 720, 12, 64, 68, 576, 5, 5, 39, N, N)},
    {4, 0x55, 60, timing(74250, 1280, 110, 40, 220, 720, 5, 5, 20, P, P)},
    {19, 0, 50, timing(74250, 1280, 440, 40, 220, 720, 5, 5, 20, P, P)},
    {16, 0x52, 60, timing(148500, 1920, 88, 44, 148, 1080, 4, 5, 36, P, P)},
    {31, 0, 50, timing(148500, 1920, 528, 44, 148, 1080, 4, 5, 36, P, P)},
    {32, 0, 24, timing(74250, 1920, 638, 44, 148, 1080, 4, 5, 36, P, P)},
    {33, 0, 25, timing(74250, 1920, 528, 44, 148, 1080, 4, 5, 36, P, P)},
    {34, 0, 30, timing(74250, 1920, 88, 44, 148, 1080, 4, 5, 36, P, P)},
    {63, 0, 120, timing(297000, 1920, 88, 44, 148, 1080, 4, 5, 36, P, P)},
    {64, 0, 100, timing(297000, 1920, 528, 44, 148, 1080, 4, 5, 36, P, P)},
    {93, 0, 24, timing(297000, 3840, 1276, 88, 296, 2160, 8, 10, 72, P, P)},
    {94, 0, 25, timing(297000, 3840, 1056, 88, 296, 2160, 8, 10, 72, P, P)},
    {95, 0, 30, timing(297000, 3840, 176, 88, 296, 2160, 8, 10, 72, P, P)},
    {96, 0, 50, timing(594000, 3840, 1056, 88, 296, 2160, 8, 10, 72, P, P)},
    {97, 0, 60, timing(594000, 3840, 176, 88, 296, 2160, 8, 10, 72, P, P)},
    {98, 0, 24, timing(297000, 4096, 1020, 88, 296, 2160, 8, 10, 72, P, P)},
    {99, 0, 25, timing(297000, 4096, 968, 88, 128, 2160, 8, 10, 72, P, P)},
    {100, 0, 30, timing(297000, 4096, 88, 88, 128, 2160, 8, 10, 72, P, P)},
    {101, 0, 50, timing(594000, 4096, 968, 88, 128, 2160, 8, 10, 72, P, P)},
    {102, 0, 60, timing(594000, 4096, 88, 88, 128, 2160, 8, 10, 72, P, P)},
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
};

bool near(double a, double b)
{
    return std::abs(a - b) < RateTolerance;
}

} // namespace

std::span<const StandardMode> standardModes()
{
    return Modes;
}

std::optional<StandardMode> standardModeForVic(int vic)
{
    for (const StandardMode &mode : Modes) {
        if (vic > 0 && mode.vic == vic)
            return mode;
    }
    return std::nullopt;
}

std::optional<DtdTiming> standardTiming(int width, int height, double hz)
{
    for (const StandardMode &mode : Modes) {
        const DtdTiming &t = mode.timing;
        if (t.hActive != width || t.vActive != height)
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
