#include "decode/CtaTree.h"

#include "EdidImage.h"
#include "decode/BaseTree.h"
#include "decode/CtaDataBlocks.h"
#include "decode/EdidSummary.h"
#include "decode/TreeNodes.h"
#include "decode/VendorDataBlocks.h"
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

QString pointText(const CiePoint &p)
{
    return QStringLiteral("%1, %2").arg(p.x, 0, 'f', 8).arg(p.y, 0, 'f', 8);
}

// Where each field sits depends on the version; `v` is the first byte
// after the OUI.
Nodes dolbyVisionNodes(const DolbyVisionBlock &dv, int v)
{
    Nodes nodes{node(QStringLiteral("Version"), QString::number(dv.version), v, 1),
                node(QStringLiteral("Supports 2160p60"), yesNo(dv.supports2160p60), v, 1),
                node(QStringLiteral("YUV 4:2:2 12 bits"), yesNo(dv.yuv422Bits12), v, 1),
                node(QStringLiteral("Global dimming"), yesNo(dv.globalDimming),
                     dv.version == 0 ? v : v + 1, 1)};
    if (dv.dmVersion)
        nodes.append(node(QStringLiteral("Display management version"),
                          dv.dmMinorVersion
                              ? QStringLiteral("%1.%2").arg(*dv.dmVersion).arg(*dv.dmMinorVersion)
                              : QStringLiteral("%1.x").arg(*dv.dmVersion),
                          dv.version == 0 ? v + 16 : v, 1));
    if (dv.colorimetry)
        nodes.append(node(QStringLiteral("Colorimetry"), *dv.colorimetry, v + 2, 1));
    if (dv.interface)
        nodes.append(
            node(QStringLiteral("Interface"), *dv.interface, dv.version == 1 ? v + 3 : v + 2, 1));
    if (dv.backlightMinLuminance)
        nodes.append(node(QStringLiteral("Backlight minimum luminance"),
                          QStringLiteral("%1 cd/m²").arg(*dv.backlightMinLuminance), v + 1, 1));
    if (dv.yuv444Code)
        nodes.append(node(QStringLiteral("YUV 4:4:4 10/12 bits"), dv.yuv444Text(), v + 3, 2));
    if (dv.targetMinPq)
        nodes.append(node(QStringLiteral("Target PQ (min / max)"),
                          QStringLiteral("%1 / %2 (%3 / %4 cd/m²)")
                              .arg(*dv.targetMinPq)
                              .arg(*dv.targetMaxPq)
                              .arg(*dv.targetMinLuminance, 0, 'f', 8)
                              .arg(*dv.targetMaxLuminance, 0, 'f', 0),
                          dv.version == 0 ? v + 13 : v + 1, dv.version == 0 ? 3 : 2));
    else if (dv.targetMaxLuminance)
        nodes.append(node(QStringLiteral("Target luminance (min / max)"),
                          QStringLiteral("%1 / %2 cd/m²")
                              .arg(*dv.targetMinLuminance, 0, 'f', 8)
                              .arg(*dv.targetMaxLuminance),
                          v + 1, 2));
    // The primaries' bytes: version 0 gives each point three bytes, the long
    // version 1 layout two, the packed layouts share bytes 3 to 6.
    const auto pointAt = [&](int index) {
        if (dv.version == 0)
            return std::pair{v + 1 + 3 * index, 3};
        if (dv.byteCoordinates)
            return std::pair{v + 4 + 2 * index, 2};
        return std::pair{v + 3, 4};
    };
    const std::pair<const char *, const std::optional<CiePoint> *> points[] = {
        {"Red", &dv.red}, {"Green", &dv.green}, {"Blue", &dv.blue}, {"White point", &dv.white}};
    for (int i = 0; i < 4; ++i) {
        if (!*points[i].second)
            continue;
        const auto [at, length] = pointAt(i);
        nodes.append(node(QLatin1String(points[i].first) + QStringLiteral(" (x, y)"),
                          pointText(**points[i].second), at, length));
    }
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
    parts.append(sad.flags);
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
    Nodes n{node(QStringLiteral("Physical address"),
                 h.physicalAddress ? h.physicalAddressText() : QStringLiteral("absent"), o + 4,
                 h.physicalAddress ? 2 : 0),
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
    if (h.hasVideoFlags)
        n.append(node(QStringLiteral("Content types"),
                      h.contentTypes ? h.contentTypeNames().join(QStringLiteral(", "))
                                     : QStringLiteral("none"),
                      o + 8, 1));
    if (h.hasHdmiVideo) {
        static const char *const ImageSizes[] = {"no information", "aspect ratio only",
                                                 "exact size", "size in units of 5 cm"};
        const int v = o + h.hdmiVideoOffset;
        n.append(
            node(QStringLiteral("Image size"), QLatin1String(ImageSizes[h.imageSize & 3]), v, 1));
        QString threeD = h.present3d ? QStringLiteral("mandatory formats") : QStringLiteral("no");
        if (h.structures3d)
            threeD += QStringLiteral(", structures %1").arg(hexValue(*h.structures3d));
        if (h.mask3d)
            threeD += QStringLiteral(" for SVDs %1").arg(hexValue(*h.mask3d));
        n.append(node(QStringLiteral("3D"), threeD, v, 1));
    }
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
    Nodes n{
        node(QStringLiteral("Version"), QString::number(f.version), o, 1),
        node(QStringLiteral("Maximum TMDS character rate"),
             f.maxTmdsMHz ? QStringLiteral("%1 MHz").arg(*f.maxTmdsMHz)
                          : QStringLiteral("340 MHz or less"),
             o + 1, 1),
        node(QStringLiteral("SCDC present"), yesNo(f.scdc), o + 2, 1),
        node(QStringLiteral("SCDC read request"), yesNo(f.readRequest), o + 2, 1),
        node(QStringLiteral("Scrambling at 340 Mcsc and below"), yesNo(f.lte340Scramble), o + 2, 1),
        node(QStringLiteral("3D independent view / dual view / OSD disparity"),
             QStringLiteral("%1 / %2 / %3")
                 .arg(yesNo(f.independentView3d), yesNo(f.dualView3d), yesNo(f.osdDisparity3d)),
             o + 2, 1)};
    if (f.hasFrl) {
        QStringList dc420;
        for (int depth : f.deepColor420())
            dc420.append(QString::number(depth));
        n.append(node(QStringLiteral("Maximum FRL rate"), frl(f.maxFrlRate), o + 3, 1));
        n.append(node(QStringLiteral("UHD VIC"), yesNo(f.uhdVic), o + 3, 1));
        n.append(node(QStringLiteral("4:2:0 deep colour"),
                      dc420.isEmpty() ? QStringLiteral("none")
                                      : dc420.join(QStringLiteral(", ")) + QStringLiteral(" bits"),
                      o + 3, 1));
        n.append(node(QStringLiteral("Auto low-latency mode"), yesNo(f.allm), o + 4, 1));
    }
    if (f.hasVrr && f.vrrMaxHz != 0)
        n.append(node(QStringLiteral("VRR range"),
                      QStringLiteral("%1-%2 Hz").arg(f.vrrMinHz).arg(f.vrrMaxHz), o + 5, 2));
    if (f.hasDsc) {
        n.append(node(QStringLiteral("DSC 1.2"), yesNo(f.dsc12), o + 7, 1));
        QStringList bpc;
        if (f.dsc10bpc)
            bpc.append(QStringLiteral("10"));
        if (f.dsc12bpc)
            bpc.append(QStringLiteral("12"));
        if (f.dsc16bpc)
            bpc.append(QStringLiteral("16"));
        n.append(node(QStringLiteral("DSC native 4:2:0 / all bpp"),
                      QStringLiteral("%1 / %2").arg(yesNo(f.dscNative420), yesNo(f.dscAllBpp)),
                      o + 7, 1));
        n.append(node(QStringLiteral("DSC bits per component"),
                      bpc.isEmpty() ? QStringLiteral("8")
                                    : QStringLiteral("8, ") + bpc.join(QStringLiteral(", ")),
                      o + 7, 1));
        n.append(node(QStringLiteral("DSC maximum FRL rate"), frl(f.dscMaxFrlRate), o + 8, 1));
        n.append(
            node(QStringLiteral("DSC maximum slices"), QString::number(f.dscMaxSlices), o + 8, 1));
        n.append(node(QStringLiteral("DSC total chunk bytes"),
                      QStringLiteral("%1 KiB").arg(f.dscTotalChunkKBytes + 1), o + 9, 1));
    }
    return n;
}

// The blocks that CTA-861-H and the vendors added later; false when the
// block holds nothing decoded.
bool fillMoreDataBlock(DecodedNode &n, const DataBlock &d)
{
    const int o = d.at.offset;
    if (const auto *f = std::get_if<FreeSyncBlock>(&d.content)) {
        const int v = o + 4;
        n.value = QStringLiteral("%1-%2 Hz").arg(f->minRefreshHz).arg(f->maxRefreshHz);
        n.children = {node(QStringLiteral("Version"),
                           QStringLiteral("%1.%2").arg(f->majorVersion).arg(f->minorVersion), v, 2),
                      node(QStringLiteral("Minimum refresh rate"),
                           QStringLiteral("%1 Hz").arg(f->minRefreshHz), v + 2, 1),
                      node(QStringLiteral("Maximum refresh rate"),
                           QStringLiteral("%1 Hz").arg(f->maxRefreshHz), v + 3, 1),
                      node(QStringLiteral("Flags 1.x"), hexValue(f->flags), v + 4, 1)};
        if (f->flags2)
            n.children.append(node(QStringLiteral("Flags 2.x"), hexValue(*f->flags2), v + 5, 1));
        if (f->maxLuminanceCode)
            n.children.append(
                node(QStringLiteral("Luminance codes (max / min)"),
                     QStringLiteral("%1 / %2").arg(*f->maxLuminanceCode).arg(*f->minLuminanceCode),
                     v + 6, 2));
        return true;
    }
    if (const auto *dv = std::get_if<DolbyVisionBlock>(&d.content)) {
        n.value = QStringLiteral("version %1").arg(dv->version);
        n.children = dolbyVisionNodes(*dv, o + 5);
        return true;
    }
    if (const auto *h = std::get_if<Hdr10PlusBlock>(&d.content)) {
        n.value = QStringLiteral("application version %1").arg(h->applicationVersion);
        n.children = {node(QStringLiteral("Application version"),
                           QString::number(h->applicationVersion), o + 5, 1),
                      node(QStringLiteral("Full-frame peak luminance index"),
                           QString::number(h->fullFramePeakLuminanceIndex), o + 5, 1),
                      node(QStringLiteral("Peak luminance index"),
                           QString::number(h->peakLuminanceIndex), o + 5, 1)};
        return true;
    }
    if (const auto *a = std::get_if<DolbyAudioBlock>(&d.content)) {
        QStringList zones;
        if (a->heightZone)
            zones.append(QStringLiteral("height"));
        if (a->surroundZone)
            zones.append(QStringLiteral("surround"));
        if (a->centerZone)
            zones.append(QStringLiteral("center"));
        n.value = QStringLiteral("version %1").arg(a->version);
        n.children = {
            node(QStringLiteral("Version"), QString::number(a->version), o + 5, 1),
            node(QStringLiteral("Headphone playback only"), yesNo(a->headphoneOnly), o + 5, 1),
            node(QStringLiteral("Speaker zones"),
                 zones.isEmpty() ? QStringLiteral("none") : zones.join(QStringLiteral(", ")), o + 5,
                 1),
            node(QStringLiteral("MAT PCM at 48 kHz only, no TrueHD"), yesNo(a->mat48kOnly), o + 6,
                 1)};
        return true;
    }
    if (const auto *f = std::get_if<InfoFrameBlock>(&d.content)) {
        n.value = countOf(f->infoFrames.size(), "InfoFrame", "InfoFrames");
        for (const InfoFrameBlock::Entry &e : f->infoFrames)
            n.children.append(node(e.name + QStringLiteral(" InfoFrame"),
                                   e.oui ? QStringLiteral("OUI ") + ouiText(*e.oui) : QString(),
                                   e.at.offset, e.at.length));
        return true;
    }
    if (const auto *e = std::get_if<EeodbBlock>(&d.content)) {
        n.value = countOf(e->blockCount, "extension block", "extension blocks");
        n.children = {
            node(QStringLiteral("Extension blocks"), QString::number(e->blockCount), o + 2, 1)};
        return true;
    }
    if (const auto *p = std::get_if<VideoFormatPreference>(&d.content)) {
        n.value = countOf(p->preferences.size(), "format", "formats");
        for (int i = 0; i < p->preferences.size(); ++i)
            n.children.append(node(QStringLiteral("Preference %1").arg(i + 1),
                                   p->preferences[i].text, p->preferences[i].at.offset, 1));
        return true;
    }
    if (const auto *r = std::get_if<RoomConfiguration>(&d.content)) {
        n.value = speakerNames(r->speakers).join(QStringLiteral(", "));
        n.children = {
            node(QStringLiteral("Speaker count"),
                 r->speakerCountValid ? QString::number(r->speakerCount)
                                      : QStringLiteral("not given"),
                 o + 2, 1),
            node(QStringLiteral("Speaker locations given"), yesNo(r->speakerLocationsValid), o + 2,
                 1),
            node(QStringLiteral("Display location given"), yesNo(r->displayValid), o + 2, 1),
            node(QStringLiteral("Speakers"), n.value, o + 3, 3)};
        return true;
    }
    if (const auto *l = std::get_if<SpeakerLocations>(&d.content)) {
        n.value = countOf(l->locations.size(), "speaker", "speakers");
        for (const SpeakerLocations::Entry &e : l->locations) {
            QString text = QStringLiteral("speaker %1%2")
                               .arg(e.speakerId)
                               .arg(e.active ? QStringLiteral(", active") : QString());
            if (e.coordinates)
                text += QStringLiteral(", at %1, %2, %3")
                            .arg((*e.coordinates)[0])
                            .arg((*e.coordinates)[1])
                            .arg((*e.coordinates)[2]);
            n.children.append(
                node(QStringLiteral("Channel %1").arg(e.channel), text, e.at.offset, e.at.length));
        }
        return true;
    }
    if (const auto *h = std::get_if<HdrDynamicMetadata>(&d.content)) {
        n.value = countOf(h->types.size(), "type", "types");
        for (const HdrDynamicMetadata::Entry &e : h->types)
            n.children.append(node(e.name, QStringLiteral("version %1").arg(e.version), e.at.offset,
                                   e.at.length));
        return true;
    }
    return false;
}

void fillDataBlock(DecodedNode &n, const DataBlock &d)
{
    const int o = d.at.offset;
    if (const auto *video = std::get_if<VideoBlock>(&d.content)) {
        n.value = countOf(video->svds.size(), "VIC", "VICs");
        n.children = svdNodes(video->svds);
    } else if (const auto *audio = std::get_if<AudioBlock>(&d.content)) {
        n.value = countOf(audio->sads.size(), "format", "formats");
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
        n.children = {node(QStringLiteral("Colorimetry"), n.value, o + 2, 2),
                      node(QStringLiteral("Gamut metadata profiles"),
                           colorimetry->metadataProfiles
                               ? colorimetry->metadataProfileNames().join(QStringLiteral(", "))
                               : QStringLiteral("none"),
                           o + 3, 1)};
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
    } else if (!fillMoreDataBlock(n, d)) {
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
    for (int i = 0; i < c.descriptors.size(); ++i)
        n.append(descriptorNode(int(c.detailedTimings.size()) + i + 1, c.descriptors[i], bytes));
    for (const ByteRange &slot : c.otherSlots)
        n.append(node(QStringLiteral("No timing"), hexBytes(bytes.mid(slot.offset, slot.length)),
                      slot.offset, slot.length));
    return node(QString(), QStringLiteral("revision %1").arg(c.revision), start, EdidBlockSize, n);
}

DecodedNode dataBlockNode(const DataBlock &d)
{
    DecodedNode block = node(d.name, QString(), d.at.offset, d.at.length);
    fillDataBlock(block, d);
    if (d.overrun)
        block.value = QStringLiteral("runs past the collection; ") + block.value;
    return block;
}

} // namespace varnex::edid::tree
