#pragma once

#include "decode/ByteView.h"
#include "decode/CtaModel.h"

namespace varnex::edid {

// Vendor-specific blocks with a published layout. `b` starts at the data
// block's tag byte; `data` is the offset of the first byte after the OUI
// (4 in a tag-3 block, 5 in an extended block). Bytes past the block's end
// read as 0, so a short block decodes as far as it goes.
FreeSyncBlock decodeFreeSync(const ByteView &b, int data);
DolbyVisionBlock decodeDolbyVision(const ByteView &b, int data);
Hdr10PlusBlock decodeHdr10Plus(const ByteView &b, int data);
DolbyAudioBlock decodeDolbyAudio(const ByteView &b, int data);

// The Dolby Vision version 2 interface code as text.
QString dolbyVisionInterfaceName(int code);

} // namespace varnex::edid
