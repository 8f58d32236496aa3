#pragma once

#include "decode/EdidModel.h"
#include "spec/VideoFormat.h"

// The parts of checkConformance(), by area. Each appends findings to
// edid.findings and changes nothing else.
namespace varnex::edid::conformance {

// The byte at `offset` in the image, 0 outside it.
int byteAt(const DecodedEdid &edid, int offset);

// Whether a detailed timing is the CTA-861 format exactly: the same sizes,
// totals, porches, sync and polarities, and the same pixel clock to the DTD's
// 10 kHz (either rate of a 59.94/60 Hz format).
bool sameAsFormat(const DetailedTiming &t, const VideoFormat &format);

void checkBaseBlock(DecodedEdid &edid, const BaseBlock &base);
void checkDescriptors(DecodedEdid &edid, const BaseBlock &base);
void checkCtaBlocks(DecodedEdid &edid);
void checkHdmiBlocks(DecodedEdid &edid, const CtaBlock &cta);
void checkTimings(DecodedEdid &edid, const BaseBlock &base);

} // namespace varnex::edid::conformance
