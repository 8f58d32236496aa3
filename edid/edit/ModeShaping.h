#pragma once

#include "EditResult.h"
#include "ModeRequest.h"

#include <QList>

namespace varnex::edid {

// Edits that choose which video modes a source may send. They act on every
// place the base block and a CTA-861 block in block 1 offer a mode: the
// established timings (I, II and III), the standard timings (also in a 0xFA
// descriptor), the CVT codes, the detailed timings of both blocks, the video
// data blocks, the YCbCr 4:2:0 video data block and capability map, the video
// format preferences and the HDMI VICs. A mode is matched by its size, scan and
// a rate within a half per cent (59.94 is 60). The range limits are widened to
// take every mode left and their pixel clock set to the fastest, and
// continuous frequency is cleared so that the limits no longer offer modes of
// their own. Removed SVDs take the HDMI 3D descriptions that point at them.
// With a CTA-861 block, 640x480@60 stays an established timing: every such
// sink must take it, and sources look for it there.
// Refused when block 1 is an extension of another kind than CTA-861.

// Keeps `modes` and nothing else, the first one the preferred timing (the
// first detailed timing, the one native DTD; no SVD is marked native). A mode the table does not
// offer is added as its VIC where CTA-861 names it and a CTA-861 block exists, else as an
// established or standard timing or a CVT reduced-blanking DTD. The remaining VICs and preferences
// follow the order of `modes`. Refused when a mode has no timing or does not fit; a note when the
// table already offers exactly these modes in this order.
EditResult keepOnlyModes(const EdidImage &image, const QList<ModeRequest> &modes);

// Removes every mode with more active pixels per second than `limit`. When the
// preferred timing goes, the fastest mode left takes its place. Refused when
// no mode is left; a note when none is faster.
EditResult limitModes(const EdidImage &image, const ModeRequest &limit);

// "1920x1080@60", "1920x1080i@60": the mode as the options spell it.
QString modeRequestText(const ModeRequest &mode);

} // namespace varnex::edid
