#include "decode/BaseTree.h"

#include "EdidImage.h"
#include "decode/TreeNodes.h"
#include "spec/EdidLayout.h"

#include <QStringList>

#include <cmath>

namespace varnex::edid::tree {

namespace {

DecodedNode rangeLimitsNode(const Descriptor &d, const RangeLimits &r)
{
    const int o = d.at.offset;
    Nodes fields{node(QStringLiteral("Vertical rate"),
                      QStringLiteral("%1-%2 Hz").arg(r.minVHz).arg(r.maxVHz), o + 5, 2),
                 node(QStringLiteral("Horizontal rate"),
                      QStringLiteral("%1-%2 kHz").arg(r.minHKHz).arg(r.maxHKHz), o + 7, 2),
                 node(QStringLiteral("Maximum pixel clock"),
                      r.maxPixelClockMHz ? QStringLiteral("%1 MHz").arg(*r.maxPixelClockMHz)
                                         : QStringLiteral("not given"),
                      o + 9, 1),
                 node(QStringLiteral("Timing support"), r.timingSupportName(), o + 10, 1)};
    if (r.secondaryGtf)
        fields.append(node(QStringLiteral("Secondary GTF"),
                           QStringLiteral("start %1 kHz, C %2, M %3, K %4, J %5")
                               .arg(r.secondaryGtf->startKHz)
                               .arg(r.secondaryGtf->c)
                               .arg(r.secondaryGtf->m)
                               .arg(r.secondaryGtf->k)
                               .arg(r.secondaryGtf->j),
                           o + 12, 6));
    if (r.cvt)
        fields.append(node(
            QStringLiteral("CVT"),
            QStringLiteral("version %1.%2, max %3, max %4 pixels per line, "
                           "preferred %5 Hz%6%7")
                .arg(r.cvt->version >> 4)
                .arg(r.cvt->version & 0xF)
                .arg(mhz(r.cvt->maxPixelClockKHz))
                .arg(r.cvt->maxActivePixels ? QString::number(r.cvt->maxActivePixels)
                                            : QStringLiteral("any"))
                .arg(r.cvt->preferredRefreshHz)
                .arg(r.cvt->reducedBlanking ? QStringLiteral(", reduced blanking") : QString())
                .arg(r.cvt->standardBlanking ? QStringLiteral(", standard blanking") : QString()),
            o + 11, 7));
    return node(d.kindName(),
                QStringLiteral("%1-%2 Hz, %3-%4 kHz")
                    .arg(r.minVHz)
                    .arg(r.maxVHz)
                    .arg(r.minHKHz)
                    .arg(r.maxHKHz),
                o, d.at.length, fields);
}

DecodedNode descriptorNode(int number, const Descriptor &d, const QByteArray &bytes)
{
    const QString name = QStringLiteral("Descriptor %1").arg(number);
    if (d.timing)
        return detailedTimingNode(name + QStringLiteral(": detailed timing"), *d.timing);
    DecodedNode n =
        node(name + QStringLiteral(": ") + d.kindName(), QString(), d.at.offset, d.at.length);
    switch (d.kind) {
    case DescriptorKind::ProductName:
    case DescriptorKind::SerialString:
    case DescriptorKind::DataString:
        n.value = QStringLiteral("'%1'").arg(d.text);
        break;
    case DescriptorKind::RangeLimits: {
        const DecodedNode limits = rangeLimitsNode(d, *d.rangeLimits);
        n.value = limits.value;
        n.children = limits.children;
        break;
    }
    case DescriptorKind::ColorPoint:
        for (const ColorPoint &p : d.colorPoints)
            n.children.append(node(QStringLiteral("White point %1").arg(p.index),
                                   QStringLiteral("%1, %2, gamma %3")
                                       .arg(p.x, 0, 'f', 4)
                                       .arg(p.y, 0, 'f', 4)
                                       .arg(p.gamma ? QString::number(*p.gamma, 'f', 2)
                                                    : QStringLiteral("not given"))));
        break;
    case DescriptorKind::StandardTimings:
    case DescriptorKind::CvtCodes:
    case DescriptorKind::EstablishedTimings3:
        n.value = QStringLiteral("%1 timings").arg(d.timings.size());
        n.children = timingNodes(d.timings);
        break;
    default:
        n.value = hexBytes(bytes.mid(d.at.offset + 5, d.at.length - 5));
        break;
    }
    return n;
}

QString videoInputText(const BaseBlock &b)
{
    if (!b.digital)
        return QStringLiteral("analog, ") + b.analog.signalLevelText();
    QStringList parts{QStringLiteral("digital")};
    if (b.bitsPerColor)
        parts.append(QStringLiteral("%1 bits per colour").arg(*b.bitsPerColor));
    if (b.interfaceName)
        parts.append(*b.interfaceName);
    if (b.dfpCompatible)
        parts.append(QStringLiteral("DFP 1.x compatible"));
    return parts.join(QStringLiteral(", "));
}

QString featuresText(const BaseBlock &b)
{
    QStringList parts;
    if (b.features.standby)
        parts.append(QStringLiteral("standby"));
    if (b.features.suspend)
        parts.append(QStringLiteral("suspend"));
    if (b.features.activeOff)
        parts.append(QStringLiteral("active off"));
    static const char *const Analog[] = {"monochrome", "RGB colour", "non-RGB colour",
                                         "undefined colour type"};
    static const char *const Digital[] = {"RGB 4:4:4", "RGB 4:4:4 + YCbCr 4:4:4",
                                          "RGB 4:4:4 + YCbCr 4:2:2",
                                          "RGB 4:4:4 + YCbCr 4:4:4 + YCbCr 4:2:2"};
    parts.append(QLatin1String(b.digital && b.revision >= 4 ? Digital[b.features.displayType]
                                                            : Analog[b.features.displayType]));
    if (b.features.srgbDefault)
        parts.append(QStringLiteral("sRGB default"));
    if (b.features.preferredTimingNative)
        parts.append(QStringLiteral("preferred timing is native"));
    if (b.features.continuousFrequency)
        parts.append(b.revision >= 4 ? QStringLiteral("continuous frequency")
                                     : QStringLiteral("GTF supported"));
    return parts.join(QStringLiteral(", "));
}

} // namespace

DecodedNode baseBlockNode(const BaseBlock &b, const QByteArray &bytes)
{
    Nodes n;
    n.append(node(QStringLiteral("Header"),
                  b.headerValid ? QStringLiteral("valid")
                                : QStringLiteral("invalid: ") +
                                      hexBytes(bytes.mid(0, BaseLayout::HeaderLength)),
                  BaseLayout::Header, BaseLayout::HeaderLength));
    n.append(node(QStringLiteral("Manufacturer"), b.manufacturer, BaseLayout::Manufacturer, 2));
    n.append(node(
        QStringLiteral("Product code"),
        QStringLiteral("%1 (0x%2)").arg(b.productCode).arg(b.productCode, 4, 16, QLatin1Char('0')),
        BaseLayout::ProductCode, 2));
    n.append(node(QStringLiteral("Serial number"), QString::number(b.serialNumber),
                  BaseLayout::SerialNumber, 4));
    n.append(node(b.modelYear ? QStringLiteral("Model year") : QStringLiteral("Made in"),
                  b.week ? QStringLiteral("week %1 of %2").arg(*b.week).arg(b.year)
                         : QString::number(b.year),
                  BaseLayout::Week, 2));
    n.append(node(QStringLiteral("Version"), b.versionText(), BaseLayout::Version, 2));
    DecodedNode input =
        node(QStringLiteral("Video input"), videoInputText(b), BaseLayout::VideoInput, 1);
    if (!b.digital) {
        input.children = {
            node(QStringLiteral("Blank-to-black setup"), yesNo(b.analog.blankToBlackSetup)),
            node(QStringLiteral("Separate sync"), yesNo(b.analog.separateSync)),
            node(QStringLiteral("Composite sync on H"), yesNo(b.analog.compositeSync)),
            node(QStringLiteral("Sync on green"), yesNo(b.analog.syncOnGreen)),
            node(QStringLiteral("Serrations"), yesNo(b.analog.serrations))};
    }
    n.append(input);
    n.append(node(QStringLiteral("Screen size"),
                  b.widthCm       ? QStringLiteral("%1 x %2 cm").arg(*b.widthCm).arg(*b.heightCm)
                  : b.aspectRatio ? QStringLiteral("aspect ratio %1").arg(*b.aspectRatio, 0, 'f', 2)
                                  : QStringLiteral("not given"),
                  BaseLayout::WidthCm, 2));
    n.append(node(QStringLiteral("Gamma"),
                  b.gamma ? QString::number(*b.gamma, 'f', 2) : QStringLiteral("in an extension"),
                  BaseLayout::Gamma, 1));
    n.append(node(QStringLiteral("Features"), featuresText(b), BaseLayout::Features, 1));
    // Cut, not rounded, to four decimals: the form EDID tools print.
    const auto coordinate = [](double v) {
        return QString::number(std::floor(v * 10000.0) / 10000.0, 'f', 4);
    };
    const auto point = [&coordinate](const CiePoint &p) {
        return coordinate(p.x) + QStringLiteral(", ") + coordinate(p.y);
    };
    n.append(node(QStringLiteral("Chromaticity"), QString(), BaseLayout::Chromaticity,
                  BaseLayout::ChromaticityLength,
                  {node(QStringLiteral("Red"), point(b.chromaticity.red)),
                   node(QStringLiteral("Green"), point(b.chromaticity.green)),
                   node(QStringLiteral("Blue"), point(b.chromaticity.blue)),
                   node(QStringLiteral("White"), point(b.chromaticity.white))}));
    Nodes established = timingNodes(b.establishedTimings);
    if (b.manufacturerTimings)
        established.append(node(QStringLiteral("Manufacturer's timings"),
                                hexValue(b.manufacturerTimings), BaseLayout::EstablishedTimings + 2,
                                1));
    n.append(node(QStringLiteral("Established timings I & II"),
                  QStringLiteral("%1 timings").arg(b.establishedTimings.size()),
                  BaseLayout::EstablishedTimings, BaseLayout::EstablishedTimingsLength,
                  established));
    n.append(node(QStringLiteral("Standard timings"),
                  QStringLiteral("%1 timings").arg(b.standardTimings.size()),
                  BaseLayout::StandardTimings, 2 * BaseLayout::StandardTimingCount,
                  timingNodes(b.standardTimings)));
    for (int i = 0; i < b.descriptors.size(); ++i)
        n.append(descriptorNode(i + 1, b.descriptors[i], bytes));
    n.append(node(QStringLiteral("Extension count"), QString::number(b.extensionCount),
                  BaseLayout::ExtensionCount, 1));
    return node(QStringLiteral("Block 0: base EDID"), QStringLiteral("version ") + b.versionText(),
                0, EdidBlockSize, n);
}

} // namespace varnex::edid::tree
