#include "decode/EdidJson.h"

#include "EdidImage.h"
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
            {"preferredRefreshHz", r->cvt->preferredRefreshHz}};
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
        {"descriptors", arrayOf(b.descriptors, [](const Descriptor &d) {
             return QJsonObject{{"offset", d.at.offset},
                                {"tag", d.tag >= 0 ? QJsonValue(d.tag) : QJsonValue()},
                                {"type", d.kindName()}};
         })}};
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
    QJsonObject o{{"vic", svd.vic},
                  {"native", svd.native},
                  {"width", QJsonValue()},
                  {"height", QJsonValue()},
                  {"refreshHz", QJsonValue()},
                  {"interlaced", QJsonValue()},
                  {"pixelClockKHz", QJsonValue()},
                  {"aspectRatio", QJsonValue()},
                  {"offset", svd.at.offset}};
    if (const auto &f = svd.format) {
        o["width"] = f->hActive;
        o["height"] = f->vActive;
        o["refreshHz"] = rounded(f->refreshHz(), 6);
        o["interlaced"] = f->interlaced;
        o["pixelClockKHz"] = f->pixelClockKHz;
        o["aspectRatio"] = QStringLiteral("%1:%2").arg(f->aspectWidth).arg(f->aspectHeight);
    }
    return o;
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
    return QJsonObject{{"physicalAddress", h->physicalAddressText()},
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
        {"maxFrlRate", f->maxFrlRate},
        {"allm", f->allm},
        {"vrrMinHz", f->hasVrr && f->vrrMinHz ? QJsonValue(f->vrrMinHz) : QJsonValue()},
        {"vrrMaxHz", f->hasVrr && f->vrrMaxHz ? QJsonValue(f->vrrMaxHz) : QJsonValue()},
        {"dsc", f->dsc12},
        {"dscMaxSlices", f->dscMaxSlices},
        {"dscMaxFrlRate", f->dscMaxFrlRate}};
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

QJsonObject dataBlockJson(const DataBlock &d)
{
    return QJsonObject{{"tag", d.tag},
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
        {"hdr", hdrJson(c.first<HdrStaticMetadata>())},
        {"colorimetry", colorimetry ? QJsonValue(QJsonArray::fromStringList(colorimetry->standards))
                                    : QJsonValue()},
        {"videoCapability",
         capability
             ? QJsonValue(QJsonObject{{"ycbcrQuantSelectable", capability->ycbcrQuantSelectable},
                                      {"rgbQuantSelectable", capability->rgbQuantSelectable},
                                      {"ptScan", capability->ptScan},
                                      {"itScan", capability->itScan},
                                      {"ceScan", capability->ceScan}})
             : QJsonValue()},
        {"ycbcr420Vics", arrayOf(c.ycbcr420Vics(), [](int v) { return v; })},
        {"detailedTimings", arrayOf(c.detailedTimings, detailedTimingJson)},
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
        } else
            extension["bytes"] = hex(edid.bytes.mid(info.index * EdidBlockSize, EdidBlockSize));
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
