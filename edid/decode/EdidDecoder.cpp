#include "decode/EdidDecoder.h"

#include "Checksum.h"
#include "decode/BaseBlockDecoder.h"
#include "decode/ByteView.h"
#include "decode/CtaDecoder.h"
#include "spec/EdidLayout.h"

#include <algorithm>
#include <limits>

namespace varnex::edid {

namespace {

// Extension block tags (VESA E-EDID 1.4, table 2.6; DisplayID 1.3 and 2.0).
BlockType extensionType(int tag)
{
    switch (tag) {
    case CtaLayout::ExtensionTag:
        return BlockType::Cta;
    case 0x10:
        return BlockType::Vtb;
    case 0x40:
        return BlockType::Di;
    case 0x50:
        return BlockType::Ls;
    case 0x60:
        return BlockType::Dpvl;
    case 0x70:
        return BlockType::DisplayId;
    case 0xA7:
    case 0xAF:
    case 0xBF:
        return BlockType::Dtcdb;
    case 0xF0:
        return BlockType::BlockMap;
    case 0xFF:
        return BlockType::Manufacturer;
    default:
        return BlockType::Unknown;
    }
}

// A block of one repeated 0x00 or 0xFF byte: unwritten memory, not data.
bool isFiller(const ByteView &block)
{
    const quint8 first = block.at(0);
    if (first != 0x00 && first != 0xFF)
        return false;
    for (int i = 1; i < block.size(); ++i) {
        if (block.at(i) != first)
            return false;
    }
    return true;
}

void checkSize(DecodedEdid &edid, int wholeBlocks)
{
    const int decodedBytes = wholeBlocks * EdidBlockSize;
    if (edid.size < EdidBlockSize) {
        addFinding(edid.findings, Severity::Error, QStringLiteral("truncated"), 0, 0,
                   QStringLiteral("The table has %1 bytes, less than the 128 of a base block; "
                                  "nothing can be decoded. Load or read the whole table.")
                       .arg(edid.size));
    } else if (edid.size % EdidBlockSize != 0 && wholeBlocks < MaxEdidBlocks) {
        addFinding(edid.findings, Severity::Error, QStringLiteral("truncated"), wholeBlocks,
                   decodedBytes,
                   QStringLiteral("The table has %1 bytes, not a whole number of 128-byte "
                                  "blocks; the last %2 bytes are not decoded. Load or read the "
                                  "whole table.")
                       .arg(edid.size)
                       .arg(edid.size - decodedBytes));
    } else if (edid.size > decodedBytes) {
        addFinding(edid.findings, Severity::Error, QStringLiteral("size"), wholeBlocks,
                   decodedBytes,
                   QStringLiteral("The table has %1 bytes, more than 256 blocks; only the first "
                                  "256 are decoded. Remove the bytes after them.")
                       .arg(edid.size));
    }
}

void checkExtensionCount(DecodedEdid &edid)
{
    const int count = edid.base->extensionCount;
    const int present = int(edid.blocks.size()) - 1;
    if (count > present)
        addFinding(edid.findings, Severity::Error, QStringLiteral("extension-count"), 0,
                   BaseLayout::ExtensionCount,
                   QStringLiteral("The base block counts %1 extension blocks but the table holds "
                                  "%2; sources read missing blocks and reject them. Set byte "
                                  "0x7E to %2.")
                       .arg(count)
                       .arg(present));
}

void checkBlock(DecodedEdid &edid, const BlockInfo &info, const ByteView &block)
{
    const int start = info.index * EdidBlockSize;
    if (!info.counted) {
        const bool filler = isFiller(block);
        addFinding(edid.findings, filler ? Severity::Note : Severity::Warning,
                   QStringLiteral("extension-unused"), info.index, start,
                   filler
                       ? QStringLiteral("Block %1 is unused filler; the base block does not count "
                                        "it, so sources ignore it.")
                             .arg(info.index)
                       : QStringLiteral("Block %1 holds data but the base block counts only %2 "
                                        "extensions, so sources ignore it. Raise byte 0x7E if the "
                                        "block is meant to be read.")
                             .arg(info.index)
                             .arg(edid.base ? edid.base->extensionCount : 0));
        return;
    }
    if (!info.checksumValid())
        addFinding(edid.findings, Severity::Error,
                   QStringLiteral("checksum-block-%1").arg(info.index), info.index,
                   start + EdidChecksumOffset,
                   QStringLiteral("The checksum of block %1 is 0x%2 but its bytes need 0x%3; "
                                  "sources reject the block. Correct the checksum.")
                       .arg(info.index)
                       .arg(info.storedChecksum, 2, 16, QLatin1Char('0'))
                       .arg(info.computedChecksum, 2, 16, QLatin1Char('0')));
    if (info.index > 0 && info.type == BlockType::Unknown) {
        // A copy of a base block where an extension belongs is a common
        // result of joining dumps.
        const bool baseCopy = block.at(0) == 0x00 && block.at(1) == 0xFF && block.at(7) == 0x00;
        const QString what =
            baseCopy ? QStringLiteral("Block %1 starts with the EDID header: it is a base block "
                                      "where an extension belongs.")
                           .arg(info.index)
                     : QStringLiteral("Block %1 has the unknown extension tag 0x%2.")
                           .arg(info.index)
                           .arg(info.tag, 2, 16, QLatin1Char('0'));
        addFinding(edid.findings, Severity::Error, QStringLiteral("unknown-extension"), info.index,
                   start,
                   what + QStringLiteral(" Sources cannot read it. Replace it with the intended "
                                         "extension or lower the extension count (byte 0x7E)."));
    }
}

// CTA-861 counts native formats among all DTDs of the table, the base
// block's first, so a count may point at DTDs before the CTA block's own.
void checkNativeDtdCounts(DecodedEdid &edid)
{
    qsizetype dtds = edid.base->detailedTimings().size();
    for (const CtaBlock &cta : std::as_const(edid.cta)) {
        dtds += cta.detailedTimings.size();
        if (cta.nativeDtds && *cta.nativeDtds > dtds)
            addFinding(edid.findings, Severity::Note, QStringLiteral("cta-native-dtds"), cta.block,
                       cta.block * EdidBlockSize + CtaLayout::Flags,
                       QStringLiteral("Block %1 counts %2 native detailed timings, but the table "
                                      "holds only %3 up to its end; sources may pick the wrong "
                                      "native mode. Lower the count.")
                           .arg(cta.block)
                           .arg(*cta.nativeDtds)
                           .arg(dtds));
    }
}

} // namespace

DecodedEdid decodeEdid(QByteArrayView bytes)
{
    DecodedEdid edid;
    edid.size = int(std::min<qsizetype>(bytes.size(), std::numeric_limits<int>::max()));
    const int wholeBlocks = std::min(edid.size / EdidBlockSize, MaxEdidBlocks);
    checkSize(edid, wholeBlocks);
    if (wholeBlocks == 0)
        return edid;
    edid.bytes = bytes.first(qsizetype(wholeBlocks) * EdidBlockSize).toByteArray();
    const ByteView image(edid.bytes, 0);

    edid.base = decodeBaseBlock(image.mid(0, EdidBlockSize), edid.findings);
    for (int index = 0; index < wholeBlocks; ++index) {
        const ByteView block = image.mid(index * EdidBlockSize, EdidBlockSize);
        BlockInfo info;
        info.index = index;
        info.tag = index == 0 ? 0 : block.at(0);
        info.type = index == 0 ? BlockType::Base : extensionType(info.tag);
        info.storedChecksum = block.at(EdidChecksumOffset);
        info.computedChecksum = BlockChkSum(
            reinterpret_cast<const quint8 *>(edid.bytes.constData()) + index * EdidBlockSize);
        info.counted = index <= edid.base->extensionCount;
        if (info.type == BlockType::Cta) {
            info.ctaIndex = int(edid.cta.size());
            edid.cta.append(decodeCtaBlock(block, index, edid.findings));
        }
        edid.blocks.append(info);
        checkBlock(edid, info, block);
    }
    checkExtensionCount(edid);
    checkNativeDtdCounts(edid);
    // In image order, so a reader meets them as it meets the bytes.
    std::stable_sort(edid.findings.begin(), edid.findings.end(),
                     [](const Finding &a, const Finding &b) { return a.offset < b.offset; });
    return edid;
}

} // namespace varnex::edid
