#include "decode/DecodedTree.h"

#include "EdidImage.h"
#include "decode/BaseTree.h"
#include "decode/CtaTree.h"
#include "decode/EdidSummary.h"
#include "decode/TreeNodes.h"

namespace varnex::edid {

namespace {

using tree::hexBytes;
using tree::node;
using tree::Nodes;

Nodes byteRows(const QByteArray &bytes, int start)
{
    // Sixteen bytes a row, like the editor shows them.
    constexpr int RowLength = 16;
    Nodes rows;
    for (int i = 0; i < EdidBlockSize; i += RowLength)
        rows.append(node(QStringLiteral("Bytes"), hexBytes(bytes.mid(start + i, RowLength)),
                         start + i, RowLength));
    return rows;
}

// The text report's offset column: three lower-case digits (0x07f), so that
// offsets of both blocks line up; a presentation of its own, unlike hexOffset.
QString offsetColumn(int offset)
{
    return QStringLiteral("0x%1").arg(offset, 3, 16, QLatin1Char('0'));
}

void appendText(QString &out, const DecodedNode &n, int depth)
{
    out += n.offset >= 0 ? offsetColumn(n.offset) : QStringLiteral("     ");
    out += QString(2 + 2 * depth, QLatin1Char(' '));
    out += n.name;
    if (!n.value.isEmpty())
        out += QStringLiteral(": ") + n.value;
    out += QLatin1Char('\n');
    for (const DecodedNode &child : n.children)
        appendText(out, child, depth + 1);
}

} // namespace

DecodedNode decodedTree(const DecodedEdid &edid)
{
    DecodedNode root = node(QStringLiteral("EDID"), QStringLiteral("%1 bytes").arg(edid.size));
    for (const BlockInfo &info : edid.blocks) {
        const int start = info.index * EdidBlockSize;
        DecodedNode block;
        if (info.index == 0 && edid.base) {
            block = tree::baseBlockNode(*edid.base, edid.bytes);
        } else if (info.ctaIndex >= 0) {
            block = tree::ctaBlockNode(edid.cta[info.ctaIndex], start, edid.bytes);
            block.name = QStringLiteral("Block %1: CTA-861 extension").arg(info.index);
        } else {
            block = node(QStringLiteral("Block %1: %2 extension")
                             .arg(info.index)
                             .arg(blockTypeName(info.type)),
                         QStringLiteral("tag %1").arg(hexValue(info.tag)), start, EdidBlockSize,
                         byteRows(edid.bytes, start));
        }
        if (!info.counted)
            block.value += QStringLiteral(" (not counted by the base block)");
        block.children.append(node(
            QStringLiteral("Checksum"),
            info.checksumValid() ? QStringLiteral("%1 (valid)").arg(hexValue(info.storedChecksum))
                                 : QStringLiteral("%1 (should be %2)")
                                       .arg(hexValue(info.storedChecksum))
                                       .arg(hexValue(info.computedChecksum)),
            start + EdidBlockSize - 1, 1));
        root.children.append(block);
    }
    return root;
}

QString toText(const DecodedEdid &edid)
{
    const EdidSummary summary = summarize(edid);
    QString out;
    out += QStringLiteral("Display: %1\n")
               .arg(summary.product.isEmpty() ? QStringLiteral("unknown") : summary.product);
    out +=
        QStringLiteral("Preferred mode: %1\n")
            .arg(summary.preferredMode.isEmpty() ? QStringLiteral("none") : summary.preferredMode);
    out += QStringLiteral("Status: %1\n\n").arg(summary.status);
    for (const DecodedNode &block : decodedTree(edid).children)
        appendText(out, block, 0);
    out += QStringLiteral("\nFindings:%1\n")
               .arg(edid.findings.isEmpty() ? QStringLiteral(" none") : QString());
    for (const Finding &f : edid.findings)
        out += QStringLiteral("  %1 block %2, offset %3: %4 [%5]\n")
                   .arg(severityName(f.severity).leftJustified(7))
                   .arg(f.block)
                   .arg(offsetColumn(f.offset))
                   .arg(f.message, f.code);
    return out;
}

} // namespace varnex::edid
