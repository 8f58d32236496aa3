#pragma once

#include "decode/ByteRange.h"
#include "decode/ByteView.h"
#include "decode/Finding.h"

#include <QString>

namespace varnex::edid {

// Length of a detailed timing descriptor (EDID 1.4, section 3.10.2).
inline constexpr int DetailedTimingSize = 18;

enum class SyncType
{
    AnalogComposite,
    BipolarAnalogComposite,
    DigitalComposite,
    DigitalSeparate
};

QString syncTypeName(SyncType type);

// An 18-byte detailed timing as stored. Vertical values are per field for
// interlaced timings, as the descriptor holds them; frameHeight() gives the
// height of the whole picture.
struct DetailedTiming
{
    ByteRange at;
    bool preferred = false;
    int pixelClockKHz = 0;
    int hActive = 0;
    int hBlank = 0;
    int hFrontPorch = 0;
    int hSyncWidth = 0;
    int hBorder = 0;
    int vActive = 0;
    int vBlank = 0;
    int vFrontPorch = 0;
    int vSyncWidth = 0;
    int vBorder = 0;
    int widthMm = 0;
    int heightMm = 0;
    bool interlaced = false;
    SyncType syncType = SyncType::DigitalSeparate;
    // Bit 1 of byte 17: horizontal polarity for digital sync, "sync on all
    // three colours" for analog sync.
    bool flag1 = false;
    // Bit 2 of byte 17: vertical polarity for digital separate sync,
    // serrations otherwise.
    bool flag2 = false;
    // Bits 6, 5 and 0 of byte 17 (0 and 1: no stereo).
    int stereo = 0;

    int hTotal() const { return hActive + hBlank; }
    // The blanking holds the borders on both sides as well as the porches
    // and the sync.
    int hBackPorch() const { return hBlank - hFrontPorch - hSyncWidth - 2 * hBorder; }
    int vBackPorch() const { return vBlank - vFrontPorch - vSyncWidth - 2 * vBorder; }
    int frameHeight() const { return interlaced ? 2 * vActive : vActive; }
    // Field rate for interlaced timings; 0 when the totals are 0.
    double refreshHz() const;
    double hFreqKHz() const;
    bool digitalSync() const { return syncType >= SyncType::DigitalComposite; }
    // Polarities where the sync type has them.
    bool hasHSyncPolarity() const { return digitalSync(); }
    bool hasVSyncPolarity() const { return syncType == SyncType::DigitalSeparate; }

    // Decodes the 18 bytes at the start of `bytes` (missing bytes read as 0).
    static DetailedTiming decode(const ByteView &bytes);
};

// Adds a dtd-blanking warning when the timing has no active area or its
// porches, sync and borders do not fit in its blanking.
void checkDetailedTiming(const DetailedTiming &timing, int block, Findings &findings);

} // namespace varnex::edid
