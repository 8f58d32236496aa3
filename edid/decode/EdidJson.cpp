#include "decode/EdidJson.h"

#include "EdidImage.h"
#include "decode/CtaDataBlocks.h"
#include "decode/DisplayIdJson.h"
#include "decode/EdidSummary.h"

#include <QJsonArray>

#include <cmath>

namespace varnex::edid {

namespace {

// Rates to the microhertz, luminance and gamma to a few decimals: the
// precision EDID tools print, without float noise.
double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

template <typename T> QJsonValue orNull(const std::optional<T> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue orNull(const std::optional<double> &value, int decimals)
{
    return value ? QJsonValue(rounded(*value, decimals)) : QJsonValue(QJsonValue::Null);
}

QJsonValue orNull(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

template <typename List, typename Convert> QJsonArray arrayOf(const List &list, Convert convert)
{
    QJsonArray array;
    for (const auto &item : list)
        array.append(convert(item));
    return array;
}

QJsonValue hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QJsonObject timingJson(const TimingCode &t)
{
    return QJsonObject{{"width", t.width},
                       {"height", t.height},
                       {"refreshHz", rounded(t.refreshHz, 6)},
                       {"pixelClockKHz", orNull(t.pixelClockKHz)},
                       {"interlaced", t.interlaced},
                       {"dmtId", orNull(t.dmtId)},
                       {"source", t.source},
                       {"preferred", t.preferred},
                       {"offset", t.at.offset}};
}

QJsonObject detailedTimingJson(const DetailedTiming &t)
{
    return QJsonObject{{"width", t.hActive},
                       {"height", t.frameHeight()},
                       {"refreshHz", rounded(t.refreshHz(), 6)},
                       {"pixelClockKHz", t.pixelClockKHz},
                       {"interlaced", t.interlaced},
                       {"preferred", t.preferred},
                       {"hBlank", t.hBlank()},
                       {"hFrontPorch", t.hFrontPorch},
                       {"hSyncWidth", t.hSyncWidth},
                       {"hBackPorch", t.hBackPorch},
                       {"hBorder", t.hBorder},
                       {"vBlank", t.vBlank()},
                       {"vFrontPorch", t.vFrontPorch},
                       {"vSyncWidth", t.vSyncWidth},
                       {"vBackPorch", t.vBackPorch},
                       {"vBorder", t.vBorder},
                       {"syncType", syncTypeName(t.syncType)},
                       {"hSyncPositive", t.hasHSyncPolarity() ? QJsonValue(t.flag1) : QJsonValue()},
                       {"vSyncPositive", t.hasVSyncPolarity() ? QJsonValue(t.flag2) : QJsonValue()},
                       {"widthMm", t.widthMm},
                       {"heightMm", t.heightMm},
                       {"syncOnRgb", t.digitalSync() ? QJsonValue() : QJsonValue(t.flag1)},
                       {"serrations", t.syncType == SyncType::DigitalSeparate
                                          ? QJsonValue()
                                          : QJsonValue(t.flag2)},
                       {"stereo", t.stereo},
                       {"offset", t.at.offset}};
}

QJsonValue rangeLimitsJson(const RangeLimits *r)
{
    if (!r)
        return QJsonValue::Null;
    QJsonObject o{{"minVHz", r->minVHz},
                  {"maxVHz", r->maxVHz},
                  {"minHKHz", r->minHKHz},
                  {"maxHKHz", r->maxHKHz},
                  {"maxPixelClockMHz", orNull(r->maxPixelClockMHz)},
                  {"timingSupport", r->timingSupportName()},
                  {"secondaryGtf", QJsonValue::Null},
                  {"cvt", QJsonValue::Null}};
    if (r->secondaryGtf)
        o["secondaryGtf"] = QJsonObject{{"startKHz", r->secondaryGtf->startKHz},
                                        {"c", r->secondaryGtf->c},
                                        {"m", r->secondaryGtf->m},
                                        {"k", r->secondaryGtf->k},
                                        {"j", r->secondaryGtf->j}};
    if (r->cvt)
        o["cvt"] = QJsonObject{
            {"version",
             QStringLiteral("%1.%2").arg(r->cvt->version >> 4).arg(r->cvt->version & 0xF)},
            {"maxPixelClockKHz", r->cvt->maxPixelClockKHz},
            {"maxActivePixels",
             r->cvt->maxActivePixels ? QJsonValue(r->cvt->maxActivePixels) : QJsonValue()},
            {"reducedBlanking", r->cvt->reducedBlanking},
            {"standardBlanking", r->cvt->standardBlanking},
            {"preferredRefreshHz", r->cvt->preferredRefreshHz},
            {"aspectRatios", QJsonArray::fromStringList(r->cvt->aspectRatioNames())},
            {"preferredAspectRatio", r->cvt->preferredAspectRatioName()},
            {"scaling", QJsonArray::fromStringList(r->cvt->scalingNames())}};
    return o;
}

QJsonObject descriptorJson(const Descriptor &d)
{
    QJsonObject o{{"offset", d.at.offset},
                  {"tag", d.tag >= 0 ? QJsonValue(d.tag) : QJsonValue()},
                  {"type", d.kindName()}};
    if (d.kind == DescriptorKind::ColorPoint)
        o["colorPoints"] = arrayOf(d.colorPoints, [](const ColorPoint &p) {
            return QJsonObject{{"index", p.index},
                               {"x", rounded(p.x, 4)},
                               {"y", rounded(p.y, 4)},
                               {"gamma", orNull(p.gamma, 2)}};
        });
    if (d.kind == DescriptorKind::ProductName || d.kind == DescriptorKind::SerialString ||
        d.kind == DescriptorKind::DataString)
        o["text"] = d.text;
    return o;
}

QJsonObject pointJson(const CiePoint &p)
{
    // Exact: the 10-bit codes divided by 1024.
    return QJsonObject{{"x", p.x}, {"y", p.y}};
}

QJsonValue baseJson(const std::optional<BaseBlock> &maybeBase)
{
    if (!maybeBase)
        return QJsonValue::Null;
    const BaseBlock &b = *maybeBase;
    QJsonObject o{
        {"version", b.versionText()},
        {"headerValid", b.headerValid},
        {"manufacturer", b.manufacturer},
        {"productCode", b.productCode},
        {"serialNumber", qint64(b.serialNumber)},
        {"week", orNull(b.week)},
        {"year", b.year},
        {"modelYear", b.modelYear},
        {"digital", b.digital},
        {"bitsPerColor", orNull(b.bitsPerColor)},
        {"interface", orNull(b.interfaceName)},
        {"widthCm", orNull(b.widthCm)},
        {"heightCm", orNull(b.heightCm)},
        {"aspectRatio", orNull(b.aspectRatio, 2)},
        {"gamma", orNull(b.gamma, 2)},
        {"name", orNull(b.name())},
        {"serialString", orNull(b.serialString())},
        {"dataStrings", QJsonArray::fromStringList(b.dataStrings())},
        {"rangeLimits", rangeLimitsJson(b.rangeLimits())},
        {"establishedTimings", arrayOf(b.allEstablishedTimings(), timingJson)},
        {"manufacturerTimings", b.manufacturerTimings},
        {"standardTimings", arrayOf(b.allStandardTimings(), timingJson)},
        {"cvtTimings", arrayOf(b.cvtTimings(), timingJson)},
        {"detailedTimings", arrayOf(b.detailedTimings(), detailedTimingJson)},
        {"extensionCount", b.extensionCount},
        {"features", QJsonObject{{"standby", b.features.standby},
                                 {"suspend", b.features.suspend},
                                 {"activeOff", b.features.activeOff},
                                 {"displayType", b.features.displayType},
                                 {"srgbDefault", b.features.srgbDefault},
                                 {"preferredTimingNative", b.features.preferredTimingNative},
                                 {"continuousFrequency", b.features.continuousFrequency}}},
        {"chromaticity", QJsonObject{{"red", pointJson(b.chromaticity.red)},
                                     {"green", pointJson(b.chromaticity.green)},
                                     {"blue", pointJson(b.chromaticity.blue)},
                                     {"white", pointJson(b.chromaticity.white)}}},
        {"analog", QJsonValue::Null},
        {"descriptors", arrayOf(b.descriptors, descriptorJson)}};
    if (!b.digital)
        o["analog"] = QJsonObject{{"signalLevel", b.analog.signalLevelText()},
                                  {"blankToBlackSetup", b.analog.blankToBlackSetup},
                                  {"separateSync", b.analog.separateSync},
                                  {"compositeSync", b.analog.compositeSync},
                                  {"syncOnGreen", b.analog.syncOnGreen},
                                  {"serrations", b.analog.serrations}};
    return o;
}

QJsonObject vicJson(const ShortVideo &svd)
{
    const auto &f = svd.format;
    if (!f)
        return QJsonObject{{"vic", svd.vic},
                           {"native", svd.native},
                           {"width", QJsonValue()},
                           {"height", QJsonValue()},
                           {"refreshHz", QJsonValue()},
                           {"interlaced", QJsonValue()},
                           {"pixelClockKHz", QJsonValue()},
                           {"aspectRatio", QJsonValue()},
                           {"offset", svd.at.offset}};
    return QJsonObject{
        {"vic", svd.vic},
        {"native", svd.native},
        {"width", f->hActive},
        {"height", f->vActive},
        {"refreshHz", rounded(f->refreshHz(), 6)},
        {"interlaced", f->interlaced},
        {"pixelClockKHz", f->pixelClockKHz},
        {"aspectRatio", QStringLiteral("%1:%2").arg(f->aspectWidth).arg(f->aspectHeight)},
        {"offset", svd.at.offset}};
}

QJsonObject sadJson(const ShortAudio &sad)
{
    return QJsonObject{
        {"format", sad.format},
        {"formatCode", sad.formatCode},
        {"extendedCode", orNull(sad.extendedCode)},
        {"channels", sad.channels},
        {"sampleRatesKHz", arrayOf(sad.sampleRatesKHz, [](double r) { return r; })},
        {"bitDepths", sad.bitDepths.isEmpty() && sad.formatCode != 1
                          ? QJsonValue()
                          : QJsonValue(arrayOf(sad.bitDepths, [](int d) { return d; }))},
        {"maxBitrateKbps", orNull(sad.maxBitrateKbps)},
        {"formatValue", orNull(sad.formatValue)},
        {"flags", QJsonArray::fromStringList(sad.flags)},
        {"offset", sad.at.offset}};
}

QJsonValue hdmiJson(const HdmiVsdb *h)
{
    if (!h)
        return QJsonValue::Null;
    QJsonArray deepColor;
    if (h->deepColor30)
        deepColor.append(30);
    if (h->deepColor36)
        deepColor.append(36);
    if (h->deepColor48)
        deepColor.append(48);
    // Latency bytes: 0 not given, 255 not supported, else (v - 1) * 2 ms.
    const auto latency = [](const std::optional<int> &raw) {
        return raw && *raw != 0 && *raw != 255 ? QJsonValue((*raw - 1) * 2) : QJsonValue();
    };
    static const char *const ImageSizes[] = {"no information", "aspect ratio only", "exact size",
                                             "size in units of 5 cm"};
    QJsonValue threeD;
    if (h->hasHdmiVideo)
        threeD = QJsonObject{{"present", h->present3d},
                             {"multiPresent", h->multi3d},
                             {"structures", orNull(h->structures3d)},
                             {"mask", orNull(h->mask3d)}};
    return QJsonObject{
        {"physicalAddress",
         h->physicalAddress ? QJsonValue(h->physicalAddressText()) : QJsonValue()},
        {"contentTypes", QJsonArray::fromStringList(h->contentTypeNames())},
        {"imageSize", h->hasHdmiVideo ? QJsonValue(ImageSizes[h->imageSize & 3]) : QJsonValue()},
        {"threeD", threeD},
        {"maxTmdsMHz", orNull(h->maxTmdsMHz)},
        {"deepColor", deepColor},
        {"deepColorY444", h->deepColorY444},
        {"supportsAi", h->supportsAi},
        {"dviDual", h->dviDual},
        {"videoLatencyMs", latency(h->videoLatency)},
        {"audioLatencyMs", latency(h->audioLatency)},
        {"hdmiVics", arrayOf(h->hdmiVics, [](int v) { return v; })}};
}

QJsonValue hdmiForumJson(const HdmiForumBlock *f)
{
    if (!f)
        return QJsonValue::Null;
    return QJsonObject{
        {"version", f->version},
        {"maxTmdsMHz", orNull(f->maxTmdsMHz)},
        {"scdc", f->scdc},
        {"readRequest", f->readRequest},
        {"scrambling340", f->lte340Scramble},
        {"dc420", arrayOf(f->deepColor420(), [](int d) { return d; })},
        {"uhdVic", f->uhdVic},
        {"threeD", QJsonObject{{"independentView", f->independentView3d},
                               {"dualView", f->dualView3d},
                               {"osdDisparity", f->osdDisparity3d}}},
        {"maxFrlRate", f->maxFrlRate},
        {"allm", f->allm},
        {"vrrMinHz", f->hasVrr && f->vrrMinHz ? QJsonValue(f->vrrMinHz) : QJsonValue()},
        {"vrrMaxHz", f->hasVrr && f->vrrMaxHz ? QJsonValue(f->vrrMaxHz) : QJsonValue()},
        {"dsc", f->dsc12},
        {"dscMaxSlices", f->dscMaxSlices},
        {"dscMaxFrlRate", f->dscMaxFrlRate},
        {"dscDetails", f->hasDsc
                           ? QJsonValue(QJsonObject{{"native420", f->dscNative420},
                                                    {"allBpp", f->dscAllBpp},
                                                    {"bpc16", f->dsc16bpc},
                                                    {"bpc12", f->dsc12bpc},
                                                    {"bpc10", f->dsc10bpc},
                                                    {"totalChunkKBytes", f->dscTotalChunkKBytes}})
                           : QJsonValue()}};
}

QJsonValue hdrJson(const HdrStaticMetadata *h)
{
    if (!h)
        return QJsonValue::Null;
    return QJsonObject{{"eotfs", QJsonArray::fromStringList(h->eotfs)},
                       {"metadataTypes", h->metadataTypes},
                       {"maxLuminance", orNull(h->maxLuminance, 3)},
                       {"maxFrameAverageLuminance", orNull(h->maxFrameAverageLuminance, 3)},
                       {"minLuminance", orNull(h->minLuminance, 4)}};
}

QJsonValue freeSyncJson(const FreeSyncBlock *f)
{
    if (!f)
        return QJsonValue::Null;
    return QJsonObject{
        {"version", QStringLiteral("%1.%2").arg(f->majorVersion).arg(f->minorVersion)},
        {"minRefreshHz", f->minRefreshHz},
        {"maxRefreshHz", f->maxRefreshHz},
        {"flags", f->flags}};
}

QJsonValue pointJson(const std::optional<CiePoint> &p)
{
    return p ? QJsonValue(pointJson(*p)) : QJsonValue();
}

QJsonValue dolbyVisionJson(const DolbyVisionBlock *d)
{
    if (!d)
        return QJsonValue::Null;
    return QJsonObject{{"version", d->version},
                       {"dmVersion", orNull(d->dmVersion)},
                       {"dmMinorVersion", orNull(d->dmMinorVersion)},
                       {"supports2160p60", d->supports2160p60},
                       {"yuv422Bits12", d->yuv422Bits12},
                       {"globalDimming", d->globalDimming},
                       {"targetMinLuminance", orNull(d->targetMinLuminance, 8)},
                       {"targetMaxLuminance", orNull(d->targetMaxLuminance, 3)},
                       {"targetMinPq", orNull(d->targetMinPq)},
                       {"targetMaxPq", orNull(d->targetMaxPq)},
                       {"interface", orNull(d->interface)},
                       {"colorimetry", orNull(d->colorimetry)},
                       {"backlightMinLuminance", orNull(d->backlightMinLuminance)},
                       {"yuv444", d->yuv444Code ? QJsonValue(d->yuv444Text()) : QJsonValue()},
                       {"red", pointJson(d->red)},
                       {"green", pointJson(d->green)},
                       {"blue", pointJson(d->blue)},
                       {"white", pointJson(d->white)}};
}

QJsonValue hdr10PlusJson(const Hdr10PlusBlock *h)
{
    if (!h)
        return QJsonValue::Null;
    return QJsonObject{{"applicationVersion", h->applicationVersion},
                       {"fullFramePeakLuminanceIndex", h->fullFramePeakLuminanceIndex},
                       {"peakLuminanceIndex", h->peakLuminanceIndex}};
}

QJsonValue dolbyAudioJson(const DolbyAudioBlock *a)
{
    if (!a)
        return QJsonValue::Null;
    return QJsonObject{{"version", a->version},       {"headphoneOnly", a->headphoneOnly},
                       {"heightZone", a->heightZone}, {"surroundZone", a->surroundZone},
                       {"centerZone", a->centerZone}, {"mat48kOnly", a->mat48kOnly}};
}

QJsonValue infoFramesJson(const InfoFrameBlock *f)
{
    if (!f)
        return QJsonValue::Null;
    return arrayOf(f->infoFrames, [](const InfoFrameBlock::Entry &e) {
        return QJsonObject{{"type", e.type},
                           {"name", e.name},
                           {"oui", e.oui ? QJsonValue(ouiText(*e.oui)) : QJsonValue()},
                           {"offset", e.at.offset}};
    });
}

QJsonValue eeodbJson(const EeodbBlock *e)
{
    return e ? QJsonValue(QJsonObject{{"blockCount", e->blockCount}}) : QJsonValue();
}

QJsonValue preferencesJson(const VideoFormatPreference *p)
{
    if (!p)
        return QJsonValue::Null;
    return arrayOf(p->preferences, [](const VideoFormatPreference::Entry &e) {
        return QJsonObject{{"code", e.code}, {"format", e.text}, {"offset", e.at.offset}};
    });
}

QJsonValue roomJson(const RoomConfiguration *r)
{
    if (!r)
        return QJsonValue::Null;
    return QJsonObject{
        {"speakerCount", r->speakerCountValid ? QJsonValue(r->speakerCount) : QJsonValue()},
        {"speakerLocationsValid", r->speakerLocationsValid},
        {"displayValid", r->displayValid},
        {"speakers", QJsonArray::fromStringList(speakerNames(r->speakers))}};
}

QJsonValue speakerLocationsJson(const SpeakerLocations *s)
{
    if (!s)
        return QJsonValue::Null;
    return arrayOf(s->locations, [](const SpeakerLocations::Entry &e) {
        return QJsonObject{
            {"channel", e.channel},
            {"active", e.active},
            {"speakerId", e.speakerId},
            {"coordinates", e.coordinates
                                ? QJsonValue(arrayOf(*e.coordinates, [](int c) { return c; }))
                                : QJsonValue()},
            {"offset", e.at.offset}};
    });
}

QJsonValue hdrDynamicJson(const HdrDynamicMetadata *h)
{
    if (!h)
        return QJsonValue::Null;
    return arrayOf(h->types, [](const HdrDynamicMetadata::Entry &e) {
        return QJsonObject{
            {"type", e.type}, {"name", e.name}, {"version", e.version}, {"offset", e.at.offset}};
    });
}

QJsonValue colorimetryJson(const Colorimetry *c)
{
    return c ? QJsonValue(QJsonArray::fromStringList(c->standards)) : QJsonValue();
}

QJsonValue videoCapabilityJson(const VideoCapability *capability)
{
    if (!capability)
        return QJsonValue::Null;
    return QJsonObject{{"ycbcrQuantSelectable", capability->ycbcrQuantSelectable},
                       {"rgbQuantSelectable", capability->rgbQuantSelectable},
                       {"ptScan", capability->ptScan},
                       {"itScan", capability->itScan},
                       {"ceScan", capability->ceScan}};
}

template <typename... F> struct Overloaded : F...
{
    using F::operator()...;
};
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

// What the decoder read from one data block: the same shape as the
// block's key under "cta", so every block keeps its content, not only the
// first of each kind.
QJsonValue contentJson(const DataBlock &d)
{
    return std::visit(
        Overloaded{
            [](const std::monostate &) { return QJsonValue(); },
            // The VICs and formats only: their full descriptions are in the
            // block's "vics" and "audio", and repeating them here doubled the
            // cost of the JSON.
            [](const VideoBlock &v) {
                return QJsonValue(arrayOf(v.svds, [](const ShortVideo &svd) { return svd.vic; }));
            },
            [](const AudioBlock &a) {
                return QJsonValue(
                    arrayOf(a.sads, [](const ShortAudio &sad) { return sad.format; }));
            },
            [](const SpeakerAllocation &s) {
                return QJsonValue(QJsonArray::fromStringList(s.speakers));
            },
            [](const HdmiVsdb &h) { return hdmiJson(&h); },
            [](const HdmiForumBlock &f) { return hdmiForumJson(&f); },
            [](const VendorBlock &) { return QJsonValue(); },
            [](const VideoCapability &v) { return videoCapabilityJson(&v); },
            [](const Colorimetry &c) {
                return QJsonValue(QJsonObject{
                    {"standards", QJsonArray::fromStringList(c.standards)},
                    {"metadataProfiles", QJsonArray::fromStringList(c.metadataProfileNames())}});
            },
            [](const HdrStaticMetadata &h) { return hdrJson(&h); },
            [](const Ycbcr420Map &m) {
                return QJsonValue(
                    QJsonObject{{"allSvds", m.allSvds},
                                {"svdIndexes", arrayOf(m.svdIndexes, [](int i) { return i; })}});
            },
            [](const FreeSyncBlock &f) { return freeSyncJson(&f); },
            [](const DolbyVisionBlock &v) { return dolbyVisionJson(&v); },
            [](const Hdr10PlusBlock &h) { return hdr10PlusJson(&h); },
            [](const DolbyAudioBlock &a) { return dolbyAudioJson(&a); },
            [](const InfoFrameBlock &f) { return infoFramesJson(&f); },
            [](const EeodbBlock &e) { return eeodbJson(&e); },
            [](const VideoFormatPreference &p) { return preferencesJson(&p); },
            [](const RoomConfiguration &r) { return roomJson(&r); },
            [](const SpeakerLocations &s) { return speakerLocationsJson(&s); },
            [](const HdrDynamicMetadata &h) { return hdrDynamicJson(&h); }},
        d.content);
}

QJsonObject dataBlockJson(const DataBlock &d)
{
    return QJsonObject{{"tag", d.tag},
                       {"decoded", d.decoded()},
                       {"content", contentJson(d)},
                       {"extendedTag", orNull(d.extendedTag)},
                       {"name", d.name},
                       {"offset", d.at.offset},
                       {"length", d.at.length},
                       {"overrun", d.overrun},
                       {"payload", hex(d.payload)}};
}

QJsonObject ctaJson(const CtaBlock &c)
{
    const auto *speakers = c.first<SpeakerAllocation>();
    const auto *colorimetry = c.first<Colorimetry>();
    const auto *capability = c.first<VideoCapability>();
    return QJsonObject{
        {"block", c.block},
        {"revision", c.revision},
        {"underscan", orNull(c.underscan)},
        {"basicAudio", orNull(c.basicAudio)},
        {"ycbcr444", orNull(c.ycbcr444)},
        {"ycbcr422", orNull(c.ycbcr422)},
        {"nativeDtds", orNull(c.nativeDtds)},
        {"vics", arrayOf(c.svds(), vicJson)},
        {"audio", arrayOf(c.sads(), sadJson)},
        {"speakers",
         speakers ? QJsonValue(QJsonArray::fromStringList(speakers->speakers)) : QJsonValue()},
        {"hdmi", hdmiJson(c.first<HdmiVsdb>())},
        {"hdmiForum", hdmiForumJson(c.first<HdmiForumBlock>())},
        {"freesync", freeSyncJson(c.first<FreeSyncBlock>())},
        {"dolbyVision", dolbyVisionJson(c.first<DolbyVisionBlock>())},
        {"hdr10plus", hdr10PlusJson(c.first<Hdr10PlusBlock>())},
        {"dolbyAudio", dolbyAudioJson(c.first<DolbyAudioBlock>())},
        {"infoFrames", infoFramesJson(c.first<InfoFrameBlock>())},
        {"eeodb", eeodbJson(c.first<EeodbBlock>())},
        {"videoFormatPreferences", preferencesJson(c.first<VideoFormatPreference>())},
        {"roomConfiguration", roomJson(c.first<RoomConfiguration>())},
        {"speakerLocations", speakerLocationsJson(c.first<SpeakerLocations>())},
        {"hdrDynamicMetadata", hdrDynamicJson(c.first<HdrDynamicMetadata>())},
        {"colorimetryMetadata",
         colorimetry ? QJsonValue(QJsonArray::fromStringList(colorimetry->metadataProfileNames()))
                     : QJsonValue()},
        {"hdr", hdrJson(c.first<HdrStaticMetadata>())},
        {"colorimetry", colorimetryJson(colorimetry)},
        {"videoCapability", videoCapabilityJson(capability)},
        {"ycbcr420Vics", arrayOf(c.ycbcr420Vics(), [](int v) { return v; })},
        {"detailedTimings", arrayOf(c.detailedTimings, detailedTimingJson)},
        {"displayDescriptors", arrayOf(c.descriptors, descriptorJson)},
        {"dataBlocks", arrayOf(c.dataBlocks, dataBlockJson)}};
}

QJsonObject findingJson(const Finding &f)
{
    return QJsonObject{{"severity", severityName(f.severity)},
                       {"code", f.code},
                       {"block", f.block},
                       {"offset", f.offset},
                       {"message", f.message}};
}

// The CTA-861 data blocks a DisplayID section carries, in the form of a
// CTA extension without header fields or timings.
CtaBlock embeddedCta(const DisplayIdSection &section)
{
    CtaBlock cta;
    cta.block = section.block;
    cta.dataBlocks = section.ctaBlocks;
    return cta;
}

} // namespace

QJsonObject toJson(const DecodedEdid &edid)
{
    QJsonArray blocks;
    QJsonArray extensions;
    QJsonValue firstCta;
    for (const BlockInfo &info : edid.blocks) {
        blocks.append(QJsonObject{{"index", info.index},
                                  {"type", blockTypeName(info.type)},
                                  {"tag", info.index == 0 ? QJsonValue() : QJsonValue(info.tag)},
                                  {"offset", info.index * EdidBlockSize},
                                  {"counted", info.counted},
                                  {"checksum", QJsonObject{{"stored", info.storedChecksum},
                                                           {"computed", info.computedChecksum},
                                                           {"valid", info.checksumValid()}}}});
        if (info.index == 0)
            continue;
        QJsonObject extension{
            {"index", info.index}, {"type", blockTypeName(info.type)}, {"tag", info.tag}};
        if (info.ctaIndex >= 0) {
            extension["cta"] = ctaJson(edid.cta[info.ctaIndex]);
            if (firstCta.isNull())
                firstCta = extension["cta"];
        } else if (info.displayIdIndex >= 0) {
            const DisplayIdSection &section = edid.displayId[info.displayIdIndex];
            QJsonObject displayId = displayIdJson(section);
            displayId["cta"] = section.ctaBlocks.isEmpty()
                                   ? QJsonValue()
                                   : QJsonValue(ctaJson(embeddedCta(section)));
            extension["displayId"] = displayId;
        } else {
            extension["bytes"] = hex(edid.bytes.mid(info.index * EdidBlockSize, EdidBlockSize));
            if (!info.fields.isEmpty())
                extension["fields"] = extensionFieldsJson(info.fields);
        }
        extensions.append(extension);
    }
    const EdidSummary summary = summarize(edid);
    return QJsonObject{
        {"size", edid.size},
        {"blocks", blocks},
        {"base", baseJson(edid.base)},
        {"cta", firstCta},
        {"extensions", extensions},
        {"findings", arrayOf(edid.findings, findingJson)},
        {"summary",
         QJsonObject{
             {"product", summary.product.isEmpty() ? QJsonValue() : QJsonValue(summary.product)},
             {"preferredMode",
              summary.preferredMode.isEmpty() ? QJsonValue() : QJsonValue(summary.preferredMode)},
             {"status", summary.status},
             {"errors", summary.errors},
             {"warnings", summary.warnings},
             {"notes", summary.notes}}}};
}

} // namespace varnex::edid
