#pragma once

#include "EditResult.h"
#include "ShortAudioDescriptor.h"
#include "spec/SpeakerAllocation.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace varnex::edid {

// "stereo", "5.1" or "7.1" as a speaker mask; nothing for other text.
std::optional<quint32> speakerLayout(const QString &name);

// Every edit below works on the CTA-861 extension in block 1 and rewrites its
// data block collection: the blocks it does not own keep their bytes and
// order, the DTDs move behind the collection, the DTD offset follows, zeros
// pad the rest and both checksums are corrected. Each refuses, with the
// reason, when the table has no CTA-861 block (revision 3 or later), when the
// thing to change is missing, or when the result does not fit the block. A
// removal of what is not there, or an addition of what is, changes nothing
// and says so in a note (EditResult::unchanged).

// Removes the VIC from the video data blocks, from the YCbCr 4:2:0 video data
// block and from the video format preferences, the HDMI VIC standing for the
// same 4K mode, and keeps the 4:2:0 capability map pointing at the right VICs.
EditResult removeVic(const EdidImage &image, int vic);

// Appends the VIC (1-127 or 193-219) to the video data block, creating one if
// needed. Refused for a VIC whose known timing lies outside the range limits.
EditResult addVic(const EdidImage &image, int vic);

// Removes every short audio descriptor of the format (AudioFormat). With the
// last one gone the audio data block and the speaker allocation go and the
// basic audio flag is cleared.
EditResult removeAudioFormat(const EdidImage &image, int format);

// Adds the descriptor, replacing one of the same format and channel count;
// creates the audio data block and sets the basic audio flag if needed.
EditResult addAudioDescriptor(const EdidImage &image, const ShortAudioDescriptor &sad);

// Replaces all short audio descriptors by `sads`; an empty list removes the
// audio data block and the speaker allocation and clears the basic audio flag.
EditResult setAudioDescriptors(const EdidImage &image, const QList<ShortAudioDescriptor> &sads);

// Sets the speaker allocation data block (created if needed) to the mask of Speakers bits.
EditResult setSpeakerAllocation(const EdidImage &image, quint32 speakers);

// Sets Max_TMDS_Clock of the HDMI 1.4 VSDB, 5 to 340 MHz in steps of 5,
// lengthening the block to hold the field when it is too short for it.
EditResult setHdmiMaxTmdsClock(const EdidImage &image, int mhz);

// Removes the HDR static metadata data block.
EditResult removeHdrStaticMetadata(const EdidImage &image);

// Removes the HDMI Forum VSDB and the HDMI Forum sink capability data block.
EditResult removeHdmiForumBlocks(const EdidImage &image);

// Appends a data block (header byte included), refused when it does not read
// as one or the table already has a block of its kind.
EditResult addDataBlock(const EdidImage &image, const QByteArray &block);

// Sets the CTA-861 byte 3 flags under `mask` to `value`; the rest stay.
EditResult setCtaFlags(const EdidImage &image, quint8 mask, quint8 value);

} // namespace varnex::edid
