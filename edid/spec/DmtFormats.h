#pragma once

#include "spec/Timing.h"

#include <optional>
#include <span>

namespace varnex::edid {

// A VESA Display Monitor Timing, as far as a decoder needs it to name an
// established or standard timing and give its exact rate and pixel clock.
struct DmtFormat
{
    int id = 0;
    int hActive = 0;
    int vActive = 0;
    int hTotal = 0;
    int vTotal = 0;
    int pixelClockKHz = 0;
    bool interlaced = false;
    bool reducedBlanking = false;
    // The 2-byte standard timing code DMT gives this timing, 0 for none.
    int standardCode = 0;

    double refreshHz() const;
};

// The DMT with this id (0x01 to 0x58), or nullopt.
std::optional<DmtFormat> dmtFormat(int id);

// The DMT that a 2-byte standard timing code stands for, or nullopt when
// DMT gives the code to none (the timing then comes from GTF or CVT).
std::optional<DmtFormat> dmtForStandardTiming(int byte1, int byte2);

// A DMT with its porches and sync polarities: the desktop modes an edit can
// write as a detailed timing. All of them are 60 Hz modes.
struct DmtTiming
{
    int id = 0;
    Timing timing;
};

// The DMT desktop modes with porches we hold (not every DMT: only those an
// edit offers), in the order an editor lists them.
std::span<const DmtTiming> dmtTimings();

} // namespace varnex::edid
