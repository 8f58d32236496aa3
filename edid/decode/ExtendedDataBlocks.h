#pragma once

#include "decode/ByteView.h"
#include "decode/CtaModel.h"

namespace varnex::edid {

// Extended data blocks of CTA-861-H and HDMI 2.1 that list entries. `b`
// starts at the tag byte, so the extended tag is byte 1 and the entries
// follow it. An entry cut by the block's end is left out.
InfoFrameBlock decodeInfoFrames(const ByteView &b);
EeodbBlock decodeEeodb(const ByteView &b);
VideoFormatPreference decodeVideoFormatPreference(const ByteView &b);
RoomConfiguration decodeRoomConfiguration(const ByteView &b);
SpeakerLocations decodeSpeakerLocations(const ByteView &b);
HdrDynamicMetadata decodeHdrDynamicMetadata(const ByteView &b);

} // namespace varnex::edid
