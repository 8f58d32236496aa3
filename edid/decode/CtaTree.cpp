#include "decode/CtaTree.h"

#include "EdidImage.h"
#include "decode/EdidSummary.h"
#include "decode/TreeNodes.h"
#include "spec/CtaVideoFormats.h"
#include "spec/EdidLayout.h"

#include <QStringList>

namespace varnex::edid::tree {

namespace {

QString svdText(const ShortVideo &svd)
{
    QString text = svd.format ? modeText(svd.format->hActive, svd.format->vActive,
                                         svd.format->refreshHz(), svd.format->interlaced) +
                                    QStringLiteral(" %1:%2")
                                        .arg(svd.format->aspectWidth)
                                        .arg(svd.format->aspectHeight)
                              : QStringLiteral("reserved");
    if (svd.native)
        text += QStringLiteral(" (native)");
    return text;
}

Nodes svdNodes(const QList<ShortVideo> &svds)
{
    Nodes nodes;
    for (const ShortVideo &svd : svds)
        nodes.append(node(QStringLiteral("VIC %1").arg(svd.vic), svdText(svd), svd.at.offset, 1));
    return nodes;
}

QString sadText(const ShortAudio &sad)
{
    QStringList parts{sad.channels == 1 ? QStringLiteral("1 channel")
                                        : QStringLiteral("%1 channels").arg(sad.channels)};
    QStringList rates;
    for (double r : sad.sampleRatesKHz)
        rates.append(QString::number(r));
    if (!rates.isEmpty())
        parts.append(rates.join(QStringLiteral(", ")) + QStringLiteral(" kHz"));
    QStringList depths;
    for (int d : sad.bitDepths)
        depths.append(QString::number(d));
    if (!depths.isEmpty())
        parts.append(depths.join(QStringLiteral(", ")) + QStringLiteral(" bits"));
    if (sad.maxBitrateKbps)
        parts.append(QStringLiteral("up to %1 kbit/s").arg(*sad.maxBitrateKbps));
    if (sad.formatValue)
        parts.append(QStringLiteral("format value %1").arg(hexValue(*sad.formatValue)));
    return parts.join(QStringLiteral("; "));
}

QString latencyText(const std::optional<int> &raw)
{
    if (!raw || *raw == 0)
        return QStringLiteral("not given");
    if (*raw == 255)
        return QStringLiteral("not supported");
    return QStringLiteral("%1 ms").arg((*raw - 1) * 2);
}

Nodes hdmiNodes(const HdmiVsdb &h, int o)
{
    QStringList deep;
    if (h.deepColor30)
        deep.append(QStringLiteral("30"));
    if (h.deepColor36)
        deep.append(QStringLiteral("36"));
    if (h.deepColor48)
        deep.append(QStringLiteral("48"));
    QString colour = deep.isEmpty() ? QStringLiteral("none")
                                    : deep.join(QStringLiteral(", ")) + QStringLiteral(" bits");
    if (h.deepColorY444)
        colour += QStringLiteral(", also YCbCr 4:4:4");
    Nodes n{node(QStringLiteral("Physical address"), h.physicalAddressText(), o + 4, 2),
            node(QStringLiteral("Deep colour"), colour, o + 6, 1),
            node(QStringLiteral("Supports AI"), yesNo(h.supportsAi), o + 6, 1),
            node(QStringLiteral("Maximum TMDS clock"),
                 h.maxTmdsMHz ? QStringLiteral("%1 MHz").arg(*h.maxTmdsMHz)
                              : QStringLiteral("not given"),
                 o + 7, 1)};
    if (h.videoLatency)
        n.append(node(QStringLiteral("Video latency"), latencyText(h.videoLatency)));
    if (h.audioLatency)
        n.append(node(QStringLiteral("Audio latency"), latencyText(h.audioLatency)));
    if (h.interlacedVideoLatency)
        n.append(node(QStringLiteral("Interlaced video latency"),
                      latencyText(h.interlacedVideoLatency)));
    if (h.interlacedAudioLatency)
        n.append(node(QStringLiteral("Interlaced audio latency"),
                      latencyText(h.interlacedAudioLatency)));
    for (int vic : h.hdmiVics)
        n.append(node(QStringLiteral("HDMI VIC %1").arg(vic),
                      vicForHdmiVic(vic) ? QStringLiteral("same as VIC %1").arg(vicForHdmiVic(vic))
                                         : QStringLiteral("reserved")));
    return n;
}

Nodes hdmiForumNodes(const HdmiForumBlock &f, int versionOffset)
{
    static const char *const FrlRates[] = {
        "not supported",    "3 Gbps x 3 lanes",  "6 Gbps x 3 lanes", "6 Gbps x 4 lanes",
        "8 Gbps x 4 lanes", "10 Gbps x 4 lanes", "12 Gbps x 4 lanes"};
    const auto frl = [](int rate) {
        return rate < 7 ? QString::fromLatin1(FrlRates[rate]) : QStringLiteral("reserved");
    };
    const int o = versionOffset;
    Nodes n{node(QStringLiteral("Version"), QString::number(f.version), o, 1),
            node(QStringLiteral("Maximum TMDS character rate"),
                 f.maxTmdsMHz ? QStringLiteral("%1 MHz").arg(*f.maxTmdsMHz)
                              : QStringLiteral("340 MHz or less"),
                 o + 1, 1),
            node(QStringLiteral("SCDC present"), yesNo(f.scdc), o + 2, 1)};
    if (f.hasFrl) {
        n.append(node(QStringLiteral("Maximum FRL rate"), frl(f.maxFrlRate), o + 3, 1));
        n.append(node(QStringLiteral("Auto low-latency mode"), yesNo(f.allm), o + 4, 1));
    }
    if (f.hasVrr && f.vrrMaxHz != 0)
        n.append(node(QStringLiteral("VRR range"),
                      QStringLiteral("%1-%2 Hz").arg(f.vrrMinHz).arg(f.vrrMaxHz), o + 5, 2));
    if (f.hasDsc) {
        n.append(node(QStringLiteral("DSC 1.2"), yesNo(f.dsc12), o + 7, 1));
        n.append(node(QStringLiteral("DSC maximum FRL rate"), frl(f.dscMaxFrlRate), o + 8, 1));
    }
    return n;
}

void fillDataBlock(DecodedNode &n, const DataBlock &d)
{
    const int o = d.at.offset;
    if (const auto *video = std::get_if<VideoBlock>(&d.content)) {
        n.value = QStringLiteral("%1 VICs").arg(video->svds.size());
        n.children = svdNodes(video->svds);
    } else if (const auto *audio = std::get_if<AudioBlock>(&d.content)) {
        n.value = QStringLiteral("%1 formats").arg(audio->sads.size());
        for (const ShortAudio &sad : audio->sads)
            n.children.append(node(sad.format, sadText(sad), sad.at.offset, sad.at.length));
    } else if (const auto *speakers = std::get_if<SpeakerAllocation>(&d.content)) {
        n.value = speakers->speakers.join(QStringLiteral(", "));
    } else if (const auto *hdmi = std::get_if<HdmiVsdb>(&d.content)) {
        n.value = hdmi->physicalAddressText();
        n.children = hdmiNodes(*hdmi, o);
    } else if (const auto *forum = std::get_if<HdmiForumBlock>(&d.content)) {
        n.children = hdmiForumNodes(*forum, o + 4);
    } else if (const auto *colorimetry = std::get_if<Colorimetry>(&d.content)) {
        n.value = colorimetry->standards.join(QStringLiteral(", "));
    } else if (const auto *hdr = std::get_if<HdrStaticMetadata>(&d.content)) {
        n.value = hdr->eotfs.join(QStringLiteral(", "));
        if (hdr->maxLuminance)
            n.children.append(node(QStringLiteral("Desired maximum luminance"),
                                   QStringLiteral("%1 cd/m²").arg(*hdr->maxLuminance, 0, 'f', 1),
                                   o + 4, 1));
        if (hdr->maxFrameAverageLuminance)
            n.children.append(
                node(QStringLiteral("Desired maximum frame-average luminance"),
                     QStringLiteral("%1 cd/m²").arg(*hdr->maxFrameAverageLuminance, 0, 'f', 1),
                     o + 5, 1));
        if (hdr->minLuminance)
            n.children.append(node(QStringLiteral("Desired minimum luminance"),
                                   QStringLiteral("%1 cd/m²").arg(*hdr->minLuminance, 0, 'f', 4),
                                   o + 6, 1));
    } else if (const auto *capability = std::get_if<VideoCapability>(&d.content)) {
        static const char *const Scan[] = {"no data / not supported", "always overscanned",
                                           "always underscanned", "over- and underscan"};
        n.children = {
            node(QStringLiteral("YCbCr quantization selectable"),
                 yesNo(capability->ycbcrQuantSelectable), o + 2, 1),
            node(QStringLiteral("RGB quantization selectable"),
                 yesNo(capability->rgbQuantSelectable), o + 2, 1),
            node(QStringLiteral("PT scan"), QLatin1String(Scan[capability->ptScan]), o + 2, 1),
            node(QStringLiteral("IT scan"), QLatin1String(Scan[capability->itScan]), o + 2, 1),
            node(QStringLiteral("CE scan"), QLatin1String(Scan[capability->ceScan]), o + 2, 1)};
    } else if (const auto *map = std::get_if<Ycbcr420Map>(&d.content)) {
        QStringList indexes;
        for (int i : map->svdIndexes)
            indexes.append(QString::number(i + 1));
        n.value = map->allSvds ? QStringLiteral("all SVDs")
                               : QStringLiteral("SVDs ") + indexes.join(QStringLiteral(", "));
    } else {
        n.value = hexBytes(d.payload);
    }
}

} // namespace

DecodedNode ctaBlockNode(const CtaBlock &c, int start, const QByteArray &bytes)
{
    using namespace CtaLayout;
    Nodes n{node(QStringLiteral("Revision"), QString::number(c.revision), start + Revision, 1),
            node(QStringLiteral("Detailed timing offset"), QString::number(c.dtdOffset),
                 start + DtdOffset, 1)};
    if (c.nativeDtds) {
        n.append(node(
            QStringLiteral("Flags"), QString(), start + Flags, 1,
            {node(QStringLiteral("Underscans IT formats"), yesNo(*c.underscan)),
             node(QStringLiteral("Basic audio"), yesNo(*c.basicAudio)),
             node(QStringLiteral("YCbCr 4:4:4"), yesNo(*c.ycbcr444)),
             node(QStringLiteral("YCbCr 4:2:2"), yesNo(*c.ycbcr422)),
             node(QStringLiteral("Native detailed timings"), QString::number(*c.nativeDtds))}));
    }
    for (const DataBlock &d : c.dataBlocks) {
        DecodedNode block = node(d.name, QString(), d.at.offset, d.at.length);
        fillDataBlock(block, d);
        if (d.overrun)
            block.value = QStringLiteral("runs past the collection; ") + block.value;
        n.append(block);
    }
    for (int i = 0; i < c.detailedTimings.size(); ++i)
        n.append(detailedTimingNode(QStringLiteral("Detailed timing %1").arg(i + 1),
                                    c.detailedTimings[i]));
    for (const ByteRange &slot : c.otherSlots)
        n.append(node(QStringLiteral("No timing (pixel clock 0)"),
                      hexBytes(bytes.mid(slot.offset, slot.length)), slot.offset, slot.length));
    return node(QString(), QStringLiteral("revision %1").arg(c.revision), start, EdidBlockSize, n);
}

} // namespace varnex::edid::tree
