#pragma once

#include "EditResult.h"
#include "spec/DetailedTiming.h"

#include <QList>
#include <QString>

namespace varnex::edid {

// A display product name holds at most 13 characters (VESA E-EDID 1.4 section 3.10.3.4).
inline constexpr int MaxProductNameLength = 13;

// Writes `name` (1 to 13 printable ASCII characters) into the product name
// descriptor, replacing an existing one or taking a free descriptor slot
// other than the first. Refused when the name is not acceptable or no slot is free.
EditResult setDisplayProductName(const EdidImage &image, const QString &name);

// Writes `timing` as the first detailed descriptor (byte 0x36), the preferred
// timing. The image size in mm comes from the timing if it has one, else from
// the DTD it replaces, else from the screen size. A display descriptor in the
// first slot moves to a free slot. In the CTA block at most this DTD stays
// counted native and SVDs marked native for another resolution lose the
// mark. Refused when the clock exceeds what a DTD
// holds, the timing is outside the range limits descriptor, or a value does not fit.
EditResult setPreferredTiming(const EdidImage &image, const Timing &timing);

// setPreferredTiming for a mode typed as WIDTHxHEIGHT@HZ: a standard CTA/DMT
// timing where there is one, else CVT reduced blanking.
EditResult setPreferredMode(const EdidImage &image, const QString &modeText);

// A mode the table already offers, for choosing a preferred timing.
struct OfferedMode
{
    Timing timing;
    int vic = 0;     // the VIC it came from, 0 for a DTD
    int offset = -1; // the DTD's offset in the image, -1 for a VIC
};

// The DTDs of both blocks, then the VICs of the video data block whose
// timings the editor knows; each timing once, in table order.
QList<OfferedMode> offeredModes(const EdidImage &image);

} // namespace varnex::edid
