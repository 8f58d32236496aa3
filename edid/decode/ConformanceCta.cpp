#include "decode/ConformanceParts.h"
#include "spec/CtaTags.h"
#include "spec/EdidLayout.h"

#include <QSet>

namespace varnex::edid::conformance {

namespace {

// VCDB scan codes (CTA-861-H, table 78).
constexpr int ScanAlwaysOverscanned = 1;
constexpr int ScanAlwaysUnderscanned = 2;
// Established timing I, byte 0x23 bit 5: 640x480 at 60 Hz.
constexpr int VgaEstablishedByte = BaseLayout::EstablishedTimings;
constexpr int VgaEstablishedBit = 0x20;
// VIC 1: 640x480p60, which CTA-861 requires every sink to accept.
constexpr int VgaVic = 1;

const DataBlock *findBlock(const CtaBlock &cta, int tag, std::optional<int> extendedTag)
{
    for (const DataBlock &block : cta.dataBlocks) {
        if (block.tag == tag && block.extendedTag == extendedTag)
            return &block;
    }
    return nullptr;
}

int flagsOffset(const CtaBlock &cta)
{
    return cta.block * EdidBlockSize + CtaLayout::Flags;
}

// Notes: without the block or its QS bit a source falls back to CTA-861's
// default range for each format, which is what most displays expect.
void checkVideoCapability(DecodedEdid &edid, const CtaBlock &cta, const DataBlock *vcdb)
{
    const VideoCapability *caps = vcdb ? std::get_if<VideoCapability>(&vcdb->content) : nullptr;
    if (!caps) {
        addFinding(edid.findings, Severity::Note, QStringLiteral("vcdb-missing"), cta.block,
                   cta.block * EdidBlockSize + CtaLayout::DataBlocks,
                   QStringLiteral("Block %1 has no Video Capability Data Block, so sources cannot "
                                  "tell whether RGB quantization (full or limited range) is "
                                  "selectable and may send washed-out or crushed blacks. Add one "
                                  "with the Selectable RGB Quantization bit set.")
                       .arg(cta.block));
        return;
    }
    if (!caps->rgbQuantSelectable)
        addFinding(edid.findings, Severity::Note, QStringLiteral("vcdb-missing"),
                   vcdb->at.offset / EdidBlockSize, vcdb->at.offset,
                   QStringLiteral("The Video Capability Data Block does not set Selectable RGB "
                                  "Quantization (QS); sources may send the wrong range. Set it "
                                  "if the display follows the range InfoFrame."));
    else if (!caps->ycbcrQuantSelectable &&
             (cta.ycbcr444.value_or(false) || cta.ycbcr422.value_or(false)))
        addFinding(edid.findings, Severity::Note, QStringLiteral("vcdb-missing"),
                   vcdb->at.offset / EdidBlockSize, vcdb->at.offset,
                   QStringLiteral("The Video Capability Data Block does not set Selectable YCbCr "
                                  "Quantization (QY) though the display takes YCbCr. Set it if "
                                  "the display follows the range InfoFrame."));
}

void checkOverscan(DecodedEdid &edid, const CtaBlock &cta, const DataBlock *vcdb)
{
    if (!cta.underscan.has_value() || *cta.underscan)
        return;
    const VideoCapability *caps = vcdb ? std::get_if<VideoCapability>(&vcdb->content) : nullptr;
    if (caps && caps->itScan == ScanAlwaysUnderscanned) {
        addFinding(edid.findings, Severity::Warning, QStringLiteral("overscan-default"), cta.block,
                   flagsOffset(cta),
                   QStringLiteral("The Video Capability Data Block says IT formats are always "
                                  "underscanned, but the underscan flag (byte 3 bit 7) is clear; "
                                  "sources that read the flag crop the desktop. Set the flag."));
        return;
    }
    addFinding(edid.findings, Severity::Note, QStringLiteral("overscan-default"), cta.block,
               flagsOffset(cta),
               caps && caps->itScan == ScanAlwaysOverscanned
                   ? QStringLiteral("IT (computer) formats are always overscanned; a desktop "
                                    "loses its edges. Support underscan and say so in the Video "
                                    "Capability Data Block and byte 3 bit 7.")
                   : QStringLiteral("The underscan flag (byte 3 bit 7) is clear: IT (computer) "
                                    "formats are overscanned by default and a desktop loses its "
                                    "edges. Set the flag if the display shows them whole."));
}

void checkVics(DecodedEdid &edid, const CtaBlock &cta, bool firstCta)
{
    QSet<int> seen;
    for (const ShortVideo &svd : cta.svds()) {
        if (seen.contains(svd.vic)) {
            addFinding(edid.findings, Severity::Note, QStringLiteral("vic-duplicate"), cta.block,
                       svd.at.offset,
                       QStringLiteral("VIC %1 is listed more than once; sources use the first "
                                      "entry. Remove the repeat.")
                           .arg(svd.vic));
        }
        seen.insert(svd.vic);
    }
    // With no native DTD counted, CTA-861 lets the first SVD override the
    // base block's preferred timing.
    const QList<ShortVideo> svds = cta.svds();
    if (!firstCta || cta.nativeDtds.value_or(1) != 0 || svds.isEmpty() || !svds.first().format)
        return;
    const auto dtds = edid.base->detailedTimings();
    const ShortVideo &first = svds.first();
    if (!dtds.isEmpty() && sameAsFormat(dtds.first(), *first.format))
        return;
    addFinding(edid.findings, Severity::Note, QStringLiteral("vic-duplicate"), cta.block,
               first.at.offset,
               QStringLiteral("VIC %1 (%2) comes first and no native detailed timing is counted "
                              "(byte 3), so it overrides the preferred detailed timing; is that "
                              "intended? Count the native timings or put the preferred VIC "
                              "first.")
                   .arg(first.vic)
                   .arg(first.format->timing().label()));
}

bool offersVga(const DecodedEdid &edid)
{
    if (byteAt(edid, VgaEstablishedByte) & VgaEstablishedBit)
        return true;
    for (const CtaBlock &cta : edid.cta) {
        for (const ShortVideo &svd : cta.svds()) {
            if (svd.vic == VgaVic)
                return true;
        }
    }
    return false;
}

void checkAudio(DecodedEdid &edid, const CtaBlock &cta)
{
    if (!cta.basicAudio.has_value() || *cta.basicAudio || cta.sads().isEmpty())
        return;
    addFinding(edid.findings, Severity::Warning, QStringLiteral("audio-without-basic-audio"),
               cta.block, flagsOffset(cta),
               QStringLiteral("Block %1 lists audio formats but its basic audio flag (byte 3 bit "
                              "6) is clear; sources that read the flag send no sound. Set the "
                              "flag (every audio sink takes 2-channel LPCM).")
                   .arg(cta.block));
}

void checkReservedBits(DecodedEdid &edid, const CtaBlock &cta)
{
    for (const DataBlock &block : cta.dataBlocks) {
        int bits = 0;
        int index = 0;
        // Colorimetry byte 3 bits 3-0 (MD0-MD3) and speaker allocation
        // byte 3 bits 7-4 are reserved in CTA-861-H.
        if (block.extendedTag == CtaExtendedTag::Colorimetry && block.payload.size() > 1) {
            index = 1;
            bits = quint8(block.payload[1]) & 0x0F;
        } else if (block.tag == CtaTag::SpeakerAllocation && !block.extendedTag &&
                   block.payload.size() > 2) {
            index = 2;
            bits = quint8(block.payload[2]) & 0xF0;
        }
        if (bits == 0)
            continue;
        const int offset = block.at.offset + block.at.length - int(block.payload.size()) + index;
        addFinding(edid.findings, Severity::Note, QStringLiteral("reserved-bits"), cta.block,
                   offset,
                   QStringLiteral("The %1 sets reserved bits (0x%2 at 0x%3); future sources may "
                                  "read a meaning into them. Clear them.")
                       .arg(block.name)
                       .arg(bits, 2, 16, QLatin1Char('0'))
                       .arg(offset, 2, 16, QLatin1Char('0')));
    }
}

} // namespace

void checkCtaBlocks(DecodedEdid &edid)
{
    // One VCDB serves the whole table, wherever it is.
    const DataBlock *vcdb = nullptr;
    for (const CtaBlock &cta : std::as_const(edid.cta)) {
        if (!vcdb && cta.block <= edid.base->extensionCount)
            vcdb = findBlock(cta, CtaTag::Extended, CtaExtendedTag::VideoCapability);
    }
    bool firstCta = true;
    for (const CtaBlock &cta : std::as_const(edid.cta)) {
        if (cta.block > edid.base->extensionCount)
            continue;
        if (cta.revision >= CtaLayout::FirstRevisionWithDataBlocks) {
            if (firstCta)
                checkVideoCapability(edid, cta, vcdb);
            checkOverscan(edid, cta, vcdb);
            checkVics(edid, cta, firstCta);
            checkReservedBits(edid, cta);
            checkHdmiBlocks(edid, cta);
        }
        checkAudio(edid, cta);
        if (firstCta && !offersVga(edid))
            addFinding(edid.findings, Severity::Note, QStringLiteral("vga-missing"), cta.block,
                       cta.block * EdidBlockSize,
                       QStringLiteral("Neither the established timings nor the video data blocks "
                                      "offer 640x480 at 60 Hz, which CTA-861 requires; a source "
                                      "falls back to it when all else fails. Add VIC 1 or set "
                                      "byte 0x23 bit 5."));
        firstCta = false;
    }
}

} // namespace varnex::edid::conformance
