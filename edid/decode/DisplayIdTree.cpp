#include "decode/DisplayIdTree.h"

#include "decode/CtaTree.h"
#include "decode/EdidSummary.h"
#include "decode/TreeNodes.h"
#include "spec/DisplayIdLayout.h"
#include "spec/EdidLayout.h"

namespace varnex::edid::tree {

namespace {

bool inside(const ByteRange &item, const ByteRange &block)
{
    return item.offset >= block.offset && item.offset < block.offset + block.length;
}

DecodedNode timingNode(const DetailedTiming &t)
{
    const int o = t.at.offset;
    const auto polarity = [](bool positive) {
        return positive ? QStringLiteral("+") : QStringLiteral("-");
    };
    QString value = modeText(t.hActive, t.frameHeight(), t.refreshHz(), t.interlaced) +
                    QStringLiteral(", ") + mhz(t.pixelClockKHz);
    if (t.preferred)
        value += QStringLiteral(" (preferred)");
    return node(
        QStringLiteral("Detailed timing"), value, o, t.at.length,
        {node(QStringLiteral("Pixel clock"), mhz(t.pixelClockKHz), o, 3),
         node(QStringLiteral("Flags"),
              QStringLiteral("%1%2")
                  .arg(t.interlaced ? QStringLiteral("interlaced") : QStringLiteral("progressive"))
                  .arg(t.preferred ? QStringLiteral(", preferred") : QString()),
              o + 3, 1),
         node(QStringLiteral("Horizontal active / blanking"),
              QStringLiteral("%1 / %2").arg(t.hActive).arg(t.hBlank()), o + 4, 4),
         node(QStringLiteral("Horizontal front porch / sync / back porch"),
              QStringLiteral("%1 / %2 / %3, H%4")
                  .arg(t.hFrontPorch)
                  .arg(t.hSyncWidth)
                  .arg(t.hBackPorch)
                  .arg(polarity(t.hSyncPositive)),
              o + 8, 4),
         node(QStringLiteral("Vertical active / blanking"),
              QStringLiteral("%1 / %2").arg(t.vActive).arg(t.vBlank()), o + 12, 4),
         node(QStringLiteral("Vertical front porch / sync / back porch"),
              QStringLiteral("%1 / %2 / %3, V%4")
                  .arg(t.vFrontPorch)
                  .arg(t.vSyncWidth)
                  .arg(t.vBackPorch)
                  .arg(polarity(t.vSyncPositive)),
              o + 16, 4)});
}

DecodedNode codeNode(const DisplayIdTimingCode &t)
{
    QString value = modeText(t.width, t.height, t.refreshHz, t.interlaced) +
                    QStringLiteral(" (%1)").arg(t.source);
    if (t.preferred)
        value += QStringLiteral(", preferred");
    return node(QStringLiteral("Timing"), value, t.at.offset, t.at.length);
}

Nodes tiledNodes(const DisplayIdTiledTopology &t)
{
    const int o = t.at.offset;
    return {node(QStringLiteral("Single enclosure"), yesNo(t.singleEnclosure), o, 1),
            node(QStringLiteral("One tile alone"), t.soloBehaviourText(), o, 1),
            node(QStringLiteral("Some of the tiles"), t.partialBehaviourText(), o, 1),
            node(QStringLiteral("Tiles"), QStringLiteral("%1 x %2").arg(t.hTiles).arg(t.vTiles),
                 o + 1, 3),
            node(QStringLiteral("Tile location"),
                 QStringLiteral("%1, %2").arg(t.hLocation).arg(t.vLocation), o + 2, 2),
            node(QStringLiteral("Tile size"),
                 QStringLiteral("%1x%2").arg(t.tileWidth).arg(t.tileHeight), o + 4, 4),
            node(QStringLiteral("Bezel (top, bottom, right, left)"),
                 QStringLiteral("%1, %2, %3, %4 x %5/10 pixels")
                     .arg(t.bezelTop)
                     .arg(t.bezelBottom)
                     .arg(t.bezelRight)
                     .arg(t.bezelLeft)
                     .arg(t.bezelMultiplier),
                 o + 8, 5),
            node(QStringLiteral("Vendor"), t.vendor, o + 13, 3),
            node(QStringLiteral("Product code"), QString::number(t.productCode), o + 16, 2),
            node(QStringLiteral("Serial number"), QString::number(t.serialNumber), o + 18, 4)};
}

Nodes parameterNodes(const DisplayIdParameters &p)
{
    const int o = p.at.offset;
    Nodes n{node(QStringLiteral("Image size"),
                 QStringLiteral("%1 x %2 mm").arg(p.widthMm, 0, 'f', 1).arg(p.heightMm, 0, 'f', 1),
                 o, 4),
            node(QStringLiteral("Native pixels"),
                 QStringLiteral("%1x%2").arg(p.hPixels).arg(p.vPixels), o + 4, 4)};
    if (p.gamma)
        n.append(node(QStringLiteral("Gamma"), QString::number(*p.gamma, 'f', 2), p.gammaAt.offset,
                      p.gammaAt.length));
    if (p.aspectRatio)
        n.append(node(QStringLiteral("Aspect ratio"), QString::number(*p.aspectRatio, 'f', 2),
                      o + 10, 1));
    if (p.nativeBpc && p.overallBpc)
        n.append(node(QStringLiteral("Bits per colour (native, overall)"),
                      QStringLiteral("%1, %2").arg(*p.nativeBpc).arg(*p.overallBpc), o + 11, 1));
    return n;
}

Nodes productNodes(const DisplayIdProduct &p)
{
    const int o = p.at.offset;
    return {node(QStringLiteral("Vendor"), p.vendor, o, 3),
            node(QStringLiteral("Product code"), QString::number(p.productCode), o + 3, 2),
            node(QStringLiteral("Serial number"), QString::number(p.serialNumber), o + 5, 4),
            node(QStringLiteral("Made"), QStringLiteral("week %1 of %2").arg(p.week).arg(p.year),
                 o + 9, 2),
            node(QStringLiteral("Name"), p.name, o + 11, p.at.length - 11)};
}

void fillBlock(DecodedNode &n, const DisplayIdSection &s, const DisplayIdDataBlock &d)
{
    const ByteRange at = d.at;
    if (!d.decoded) {
        n.value = hexBytes(d.payload);
        return;
    }
    for (const DetailedTiming &t : s.timings) {
        if (inside(t.at, at))
            n.children.append(timingNode(t));
    }
    for (const auto *list : {&s.codeTimings, &s.shortTimings, &s.formulaTimings}) {
        for (const DisplayIdTimingCode &t : *list) {
            if (inside(t.at, at))
                n.children.append(codeNode(t));
        }
    }
    if (s.tiledTopology && inside(s.tiledTopology->at, at)) {
        n.value = QStringLiteral("%1 x %2 tiles")
                      .arg(s.tiledTopology->hTiles)
                      .arg(s.tiledTopology->vTiles);
        n.children = tiledNodes(*s.tiledTopology);
    }
    if (s.displayParameters && inside(s.displayParameters->at, at))
        n.children = parameterNodes(*s.displayParameters);
    if (s.product && inside(s.product->at, at)) {
        n.value = s.product->name;
        n.children = productNodes(*s.product);
    }
    if (s.containerId && d.tag == DisplayIdTag::ContainerId)
        n.value = *s.containerId;
    for (const DisplayIdAdaptiveSync &a : s.adaptiveSync) {
        if (inside(a.at, at))
            n.children.append(
                node(QStringLiteral("Refresh range"),
                     QStringLiteral("%1-%2 Hz%3")
                         .arg(a.minRefreshHz)
                         .arg(a.maxRefreshHz)
                         .arg(a.nativeRange ? QStringLiteral(" (native panel)") : QString()),
                     a.at.offset, a.at.length));
    }
    for (const DataBlock &cta : s.ctaBlocks) {
        if (inside(cta.at, at))
            n.children.append(dataBlockNode(cta));
    }
    if (!n.children.isEmpty() && n.value.isEmpty() && d.tag != DisplayIdTag::CtaDataBlocks)
        n.value = n.children.size() == 1 ? QStringLiteral("1 entry")
                                         : QStringLiteral("%1 entries").arg(n.children.size());
}

} // namespace

DecodedNode displayIdBlockNode(const DisplayIdSection &s, int start)
{
    using namespace DisplayIdLayout;
    Nodes n{
        node(QStringLiteral("Version"), s.versionText(), start + Version, 1),
        node(QStringLiteral("Section length"), QString::number(s.length), start + Length, 1),
        node(s.isVersion2() ? QStringLiteral("Primary use case") : QStringLiteral("Product type"),
             s.productTypeName(), start + ProductType, 1),
        node(QStringLiteral("Extension count"), QString::number(s.extensionCount),
             start + ExtensionCount, 1)};
    for (const DisplayIdDataBlock &d : s.dataBlocks) {
        DecodedNode block = node(d.name, QString(), d.at.offset, d.at.length);
        fillBlock(block, s, d);
        if (d.overrun)
            block.value = QStringLiteral("runs past the section; ") + block.value;
        n.append(block);
    }
    n.append(node(QStringLiteral("Section checksum"),
                  s.checksumValid() ? QStringLiteral("%1 (valid)").arg(hexValue(s.storedChecksum))
                                    : QStringLiteral("%1 (should be %2)")
                                          .arg(hexValue(s.storedChecksum))
                                          .arg(hexValue(s.computedChecksum)),
                  s.checksumAt.offset, 1));
    return node(QString(), QStringLiteral("DisplayID %1").arg(s.versionText()), start,
                EdidBlockSize, n);
}

Nodes extensionFieldNodes(const QList<ExtensionField> &fields)
{
    Nodes nodes;
    for (const ExtensionField &f : fields)
        nodes.append(node(f.name, f.value, f.at.offset, f.at.length));
    return nodes;
}

} // namespace varnex::edid::tree
