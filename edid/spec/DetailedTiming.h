#pragma once

#include "spec/ByteRange.h"
#include "spec/EdidLayout.h"
#include "spec/Timing.h"

#include <optional>

namespace varnex::edid {

// Bits 4-3 of byte 17 of a detailed timing descriptor.
enum class SyncType
{
    AnalogComposite,
    BipolarAnalogComposite,
    DigitalComposite,
    DigitalSeparate
};

QString syncTypeName(SyncType type);

// A timing as an 18-byte descriptor stores it, where the decoder found it:
// the timing, and byte 17's sync type, flag bits and stereo mode, whose
// meanings depend on one another. The polarities of the base Timing are the
// flag bits for digital separate sync and keep their defaults otherwise.
struct DetailedTiming : Timing
{
    ByteRange at;
    bool preferred = false;
    SyncType syncType = SyncType::DigitalSeparate;
    // Bit 1 of byte 17: horizontal polarity for digital sync, "sync on all
    // three colours" for analog sync.
    bool flag1 = false;
    // Bit 2 of byte 17: vertical polarity for digital separate sync,
    // serrations otherwise.
    bool flag2 = false;
    // Bits 6, 5 and 0 of byte 17 (0 and 1: no stereo).
    int stereo = 0;

    bool digitalSync() const { return syncType >= SyncType::DigitalComposite; }
    // Polarities where the sync type has them.
    bool hasHSyncPolarity() const { return digitalSync(); }
    bool hasVSyncPolarity() const { return syncType == SyncType::DigitalSeparate; }

    // Reads the descriptor `bytes` that starts at image offset `offset`.
    static DetailedTiming read(const DetailedDescriptorBytes &bytes, int offset);
};

// The 18 descriptor bytes, or nothing when a value does not fit its field (a
// pixel clock of 0, above DtdMaxPixelClockKHz or not a multiple of 10 kHz,
// porches, borders or sizes beyond their bit widths, a negative back porch).
// Sync is always digital separate.
std::optional<DetailedDescriptorBytes> encodeDetailedTiming(const Timing &timing);

// The timing of the 18 bytes at `bytes` as an edit rewrites it: borders counted
// in the back porches. Nothing when the bytes hold a display descriptor (pixel
// clock 0) rather than a timing.
std::optional<Timing> decodeDetailedTiming(const quint8 *bytes);

} // namespace varnex::edid
