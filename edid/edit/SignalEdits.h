#pragma once

#include "EditResult.h"

namespace varnex::edid {

// Edits that narrow what a source may send besides the modes. Each works on
// the base block and a CTA-861 block in block 1, keeps every byte it does not
// own, corrects both checksums, and changes nothing, with a note saying so
// ("already without HDR"), when the table already is as asked.

// RGB only: the CTA-861 YCbCr 4:4:4 and 4:2:2 flags, the EDID 1.4 colour
// encoding bits of a digital base block, the YCbCr 4:2:0 video data block and
// capability map (modes offered only as 4:2:0 go with them), the YCbCr
// colorimetry entries, HDMI deep colour Y444 and the HDMI Forum 4:2:0 deep colour.
EditResult keepRgbOnly(const EdidImage &image);

// No HDR of any kind: the HDR static and dynamic metadata blocks, the Dolby
// Vision and HDR10+ vendor-specific video blocks, and the BT.2020 and ICtCp
// colorimetry entries.
EditResult removeHdr(const EdidImage &image);

// No audio, as to a DVI monitor: the audio data block, the speaker allocation,
// the other audio blocks (vendor-specific audio, HDMI audio, room configuration,
// speaker locations) and the basic audio flag.
EditResult removeAudio(const EdidImage &image);

// No deep colour: the HDMI VSDB's 30/36/48-bit and Y444 bits and the HDMI
// Forum blocks' 4:2:0 deep colour bits.
EditResult removeDeepColor(const EdidImage &image);

} // namespace varnex::edid
