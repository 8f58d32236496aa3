#pragma once

#include "EdidHeader.h"
#include "EdidImage.h"
#include "spec/DetailedTiming.h"

#include <QString>

#include <optional>

namespace varnex::edid {

// The display descriptor tag in a slot, or -1 when the slot holds a timing.
int displayDescriptorTag(const EdidImage &image, int slot);

// A slot that holds nothing: a dummy descriptor or 18 zero bytes.
bool isFreeSlot(const EdidImage &image, int slot);

// The first slot holding the display descriptor `tag`, or -1.
int findDisplayDescriptor(const EdidImage &image, quint8 tag);

// The monitor range limits of a 0xFD descriptor.
struct ModeRangeLimits
{
    int minVHz = 0;
    int maxVHz = 0;
    int minHKhz = 0;
    int maxHKhz = 0;
    int maxPixelClockMhz = 0; // 0 when not given
};

std::optional<ModeRangeLimits> readRangeLimits(const EdidImage &image);

// Why the timing lies outside the limits ("its vertical rate 24.000 Hz is
// outside the range limits 29-76 Hz"); empty when it lies inside.
QString rangeLimitsViolation(const ModeRangeLimits &limits, const Timing &timing);

// The 0xFD descriptor for `limits` in the EDID 1.3 form (default GTF, no offsets);
// every rate must fit a byte, the clock is rounded up to 10 MHz.
DetailedDescriptorBytes encodeRangeLimits(const ModeRangeLimits &limits);

} // namespace varnex::edid
