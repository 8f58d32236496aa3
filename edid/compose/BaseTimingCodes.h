#pragma once

#include "EdidImage.h"
#include "capability/Capabilities.h"

namespace varnex::edid {

// Sets the established timing bit (bytes 0x23-0x24, and 0x25 bit 7) that
// names `mode`; false when no bit names it. Checksums are left to the caller.
bool setEstablishedTiming(EdidImage &image, const CapabilityMode &mode);

// Clears established timings I and II (not the manufacturer's bits).
void clearEstablishedTimings(EdidImage &image);

// Writes `mode` into the first unused of the eight standard timing slots
// (bytes 0x26-0x35), when a 2-byte code reads back as the same mode; false
// when no code does or every slot is taken. Checksums are left to the caller.
bool addStandardTiming(EdidImage &image, const CapabilityMode &mode);

} // namespace varnex::edid
