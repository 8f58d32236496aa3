#include "decode/DisplayIdTree.h"

#include "decode/CtaTree.h"
#include "decode/EdidSummary.h"
#include "decode/TreeNodes.h"
#include "spec/DisplayIdLayout.h"
#include "spec/EdidLayout.h"

#include <array>

namespace varnex::edid::tree {

namespace {

bool inside(const ByteRange &item, const ByteRange &block)
{
    return item.offset >= block.offset && item.offset < block.offset + block.length;
}

// Where the fields of a detailed timing sit, relative to its first byte:
// clock, options, horizontal sizes, horizontal porches, vertical sizes,
// vertical porches (offset and length each).
using TimingLayout = std::array<std::pair<int, int>, 6>;
constexpr TimingLayout TypeILayout{{{0, 3}, {3, 1}, {4, 4}, {8, 4}, {12, 4}, {16, 4}}};
constexpr TimingLayout TypeIILayout{{{0, 3}, {3, 1}, {4, 2}, {6, 1}, {7, 3}, {10, 1}}};
constexpr TimingLayout TypeVILayout{{{0, 3}, {2, 1}, {3, 2}, {7, 4}, {5, 2}, {11, 3}}};

DecodedNode timingNode(const DetailedTiming &t, const TimingLayout &layout)
{
    const int o = t.at.offset;
    const auto field = [&](const QString &name, const QString &value, int index) {
        return node(name, value, o + layout[std::size_t(index)].first,
                    layout[std::size_t(index)].second);
    };
    const auto polarity = [](bool positive) {
        return positive ? QStringLiteral("+") : QStringLiteral("-");
    };
    QString value = modeText(t.hActive, t.frameHeight(), t.refreshHz(), t.interlaced) +
                    QStringLiteral(", ") + mhz(t.pixelClockKHz);
    if (t.preferred)
        value += QStringLiteral(" (preferred)");
    return node(
        QStringLiteral("Detailed timing"), value, o, t.at.length,
        {field(QStringLiteral("Pixel clock"), mhz(t.pixelClockKHz), 0),
         field(QStringLiteral("Flags"),
               QStringLiteral("%1%2")
                   .arg(t.interlaced ? QStringLiteral("interlaced") : QStringLiteral("progressive"))
                   .arg(t.preferred ? QStringLiteral(", preferred") : QString()),
               1),
         field(QStringLiteral("Horizontal active / blanking"),
               QStringLiteral("%1 / %2").arg(t.hActive).arg(t.hBlank()), 2),
         field(QStringLiteral("Horizontal front porch / sync / back porch"),
               QStringLiteral("%1 / %2 / %3, H%4")
                   .arg(t.hFrontPorch)
                   .arg(t.hSyncWidth)
                   .arg(t.hBackPorch)
                   .arg(polarity(t.hSyncPositive)),
               3),
         field(QStringLiteral("Vertical active / blanking"),
               QStringLiteral("%1 / %2").arg(t.vActive).arg(t.vBlank()), 4),
         field(QStringLiteral("Vertical front porch / sync / back porch"),
               QStringLiteral("%1 / %2 / %3, V%4")
                   .arg(t.vFrontPorch)
                   .arg(t.vSyncWidth)
                   .arg(t.vBackPorch)
                   .arg(polarity(t.vSyncPositive)),
               5)});
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
    const auto pointText = [](const CiePoint &c) {
        return QStringLiteral("%1, %2").arg(c.x, 0, 'f', 6).arg(c.y, 0, 'f', 6);
    };
    for (int i = 0; i < p.primaries.size(); ++i)
        n.append(node(QStringLiteral("Primary %1 (x, y)").arg(i + 1), pointText(p.primaries[i]),
                      o + 9 + 3 * i, 3));
    if (p.whitePoint)
        n.append(node(QStringLiteral("White point (x, y)"), pointText(*p.whitePoint), o + 18, 3));
    const auto luminance = [&](const char *name, const std::optional<double> &cdm2, int at) {
        if (cdm2)
            n.append(
                node(QLatin1String(name), QStringLiteral("%1 cd/m²").arg(*cdm2, 0, 'f', 6), at, 2));
    };
    luminance("Maximum luminance (full coverage)", p.maxLuminance, o + 21);
    luminance("Maximum luminance (10 % coverage)", p.maxLuminance10Percent, o + 23);
    luminance("Minimum luminance", p.minLuminance, o + 25);
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
    const std::pair<const QList<DetailedTiming> *, const TimingLayout *> detailed[] = {
        {&s.timings, &TypeILayout},
        {&s.typeIITimings, &TypeIILayout},
        {&s.typeVITimings, &TypeVILayout}};
    for (const auto &[list, layout] : detailed) {
        for (const DetailedTiming &t : *list) {
            if (inside(t.at, at))
                n.children.append(timingNode(t, *layout));
        }
    }
    for (const auto *list : {&s.codeTimings, &s.shortTimings, &s.formulaTimings, &s.typeVTimings}) {
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
