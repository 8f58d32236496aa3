#include "decode/CtaDecoder.h"

#include "decode/CtaDataBlocks.h"
#include "decode/DescriptorDecoder.h"
#include "spec/EdidLayout.h"

namespace varnex::edid {

namespace {

using namespace CtaLayout;

void decodeDataBlocks(CtaBlock &cta, const ByteView &b, int end, Findings &findings)
{
    int o = DataBlocks;
    while (o < end) {
        const int length = b.bits(o, 0, 5);
        const int blockEnd = o + 1 + length;
        const bool overrun = blockEnd > end;
        cta.dataBlocks.append(
            decodeDataBlock(b.mid(o, std::min(blockEnd, end) - o), cta.block, overrun, findings));
        if (overrun) {
            addFinding(findings, Severity::Error, QStringLiteral("cta-block-overrun"), cta.block,
                       b.absolute(o),
                       QStringLiteral("The %1 at byte 0x%2 is %3 bytes long and runs past the "
                                      "end of the data block collection (byte 0x%4); sources "
                                      "misread what follows. Shorten the block or move the "
                                      "detailed timing offset (byte 2).")
                           .arg(cta.dataBlocks.last().name)
                           .arg(b.absolute(o), 2, 16, QLatin1Char('0'))
                           .arg(length + 1)
                           .arg(b.absolute(end), 2, 16, QLatin1Char('0')));
            return;
        }
        o = blockEnd;
    }
}

bool zeroFrom(const ByteView &b, int start, int end)
{
    for (int o = start; o < end; ++o) {
        if (b.at(o) != 0)
            return false;
    }
    return true;
}

void decodeDtds(CtaBlock &cta, const ByteView &b, int start, Findings &findings)
{
    // Detailed timings fill 18-byte slots; an all-zero slot starts the zero
    // padding that runs to the checksum. A slot with a zero pixel clock but
    // other data is no timing: sources stop there, so what follows it is
    // decoded but flagged.
    bool gap = false;
    int o = start;
    for (; o + DetailedDescriptorSize <= EdidChecksumOffset; o += DetailedDescriptorSize) {
        if (b.le16(o) != 0) {
            cta.detailedTimings.append(readDetailedTiming(b.mid(o, DetailedDescriptorSize)));
            checkDetailedTiming(cta.detailedTimings.last(), cta.block, findings);
            continue;
        }
        if (zeroFrom(b, o, o + DetailedDescriptorSize))
            break;
        cta.otherSlots.append(ByteRange{b.absolute(o), DetailedDescriptorSize});
        if (!gap)
            addFinding(findings, Severity::Warning, QStringLiteral("cta-dtd-gap"), cta.block,
                       b.absolute(o),
                       QStringLiteral("The 18 bytes at 0x%1 are no detailed timing (pixel clock "
                                      "0) but data follows them; sources stop reading timings "
                                      "here and ignore the rest. Move the timings up and fill "
                                      "the end of the block with zeros.")
                           .arg(b.absolute(o), 2, 16, QLatin1Char('0')));
        gap = true;
    }
    for (; o < EdidChecksumOffset; ++o) {
        if (b.at(o) == 0)
            continue;
        addFinding(findings, Severity::Warning, QStringLiteral("cta-padding"), cta.block,
                   b.absolute(o),
                   QStringLiteral("The padding after the detailed timings holds data from byte "
                                  "0x%1 on; sources ignore it. If these are timings, point byte "
                                  "2 at them; otherwise fill the padding with zeros.")
                       .arg(b.absolute(o), 2, 16, QLatin1Char('0')));
        break;
    }
}

void checkCta(const CtaBlock &cta, const ByteView &b, Findings &findings)
{
    if (cta.basicAudio.value_or(false) && !cta.hasAudioBlock())
        addFinding(findings, Severity::Warning, QStringLiteral("basic-audio-without-audio-block"),
                   cta.block, b.absolute(Flags),
                   QStringLiteral("The block claims basic audio but has no Audio Data Block; "
                                  "sources may send no sound or guess. Add an Audio Data Block "
                                  "with an LPCM 2-channel descriptor, or clear the flag."));
}

} // namespace

CtaBlock decodeCtaBlock(const ByteView &b, int blockIndex, Findings &findings)
{
    CtaBlock cta;
    cta.block = blockIndex;
    cta.revision = b.at(Revision);
    cta.dtdOffset = b.at(DtdOffset);
    if (cta.revision < 1 || cta.revision > 3)
        addFinding(findings, Severity::Warning, QStringLiteral("cta-revision"), blockIndex,
                   b.absolute(Revision),
                   QStringLiteral("CTA-861 revision %1 is not 1 to 3; sources may ignore the "
                                  "block. Set byte 1 to 3.")
                       .arg(cta.revision));
    if (cta.revision >= 2) {
        const int flags = b.at(Flags);
        cta.underscan = flags & 0x80;
        cta.basicAudio = flags & 0x40;
        cta.ycbcr444 = flags & 0x20;
        cta.ycbcr422 = flags & 0x10;
        cta.nativeDtds = flags & 0x0F;
    }

    // Byte 2: 0 means no timings and no data blocks; 1 to 3 would point
    // into the header and beyond 127 into the checksum.
    int collectionEnd = DataBlocks;
    int dtdStart = -1;
    if (cta.dtdOffset != 0 && (cta.dtdOffset < DataBlocks || cta.dtdOffset > EdidChecksumOffset)) {
        addFinding(findings, Severity::Error, QStringLiteral("cta-dtd-offset"), blockIndex,
                   b.absolute(DtdOffset),
                   QStringLiteral("The detailed timing offset %1 points outside the block's data "
                                  "area (4 to 127); sources cannot find the timings. Set byte 2 "
                                  "to where the timings start.")
                       .arg(cta.dtdOffset));
        if (cta.dtdOffset > EdidChecksumOffset)
            collectionEnd = EdidChecksumOffset;
    } else if (cta.dtdOffset != 0) {
        collectionEnd = cta.dtdOffset;
        dtdStart = cta.dtdOffset;
    }
    if (cta.revision >= 3)
        decodeDataBlocks(cta, b, collectionEnd, findings);
    if (dtdStart >= 0)
        decodeDtds(cta, b, dtdStart, findings);
    checkCta(cta, b, findings);
    return cta;
}

} // namespace varnex::edid
