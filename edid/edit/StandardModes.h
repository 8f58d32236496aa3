#pragma once

#include "spec/DetailedTiming.h"

#include <optional>
#include <span>

namespace varnex::edid {

// A standard video mode: a CTA-861 VIC, a VESA DMT, or both where the two
// standards define the same timing.
struct StandardMode
{
    int vic = 0;       // CTA-861 Video Identification Code, 0 when none
    int dmtId = 0;     // VESA DMT ID, 0 when none
    int nominalHz = 0; // the rate the mode is named by ("60" for 59.94 Hz VIC 1)
    Timing timing;
};

// The modes the editor knows by number: every VIC of the CTA-861 table and
// the common DMT desktop modes.
std::span<const StandardMode> standardModes();

std::optional<StandardMode> standardModeForVic(int vic);

// The standard timing named WIDTHxHEIGHT@HZ: HZ matches the mode's nominal or
// exact rate, or its 1000/1001 rate (59.94 for 60), which gets the clock
// scaled by 1000/1001 to the nearest 10 kHz. Nothing when no mode matches.
std::optional<Timing> standardTiming(int width, int height, double hz);

} // namespace varnex::edid
