#include "decode/DisplayIdJson.h"

#include <cmath>

namespace varnex::edid {

namespace {

// Rates to the microhertz, as the rest of the JSON gives them.
double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

template <typename List, typename Convert> QJsonArray arrayOf(const List &list, Convert convert)
{
    QJsonArray array;
    for (const auto &item : list)
        array.append(convert(item));
    return array;
}

QJsonObject timingJson(const DetailedTiming &t)
{
    return QJsonObject{{"width", t.hActive},
                       {"height", t.frameHeight()},
                       {"interlaced", t.interlaced},
                       {"pixelClockKHz", t.pixelClockKHz},
                       {"refreshHz", rounded(t.refreshHz(), 6)},
                       {"preferred", t.preferred},
                       {"hFrontPorch", t.hFrontPorch},
                       {"hSyncWidth", t.hSyncWidth},
                       {"hBackPorch", t.hBackPorch},
                       {"hSyncPositive", t.hSyncPositive},
                       {"vFrontPorch", t.vFrontPorch},
                       {"vSyncWidth", t.vSyncWidth},
                       {"vBackPorch", t.vBackPorch},
                       {"vSyncPositive", t.vSyncPositive},
                       {"offset", t.at.offset}};
}

QJsonObject codeJson(const DisplayIdTimingCode &t)
{
    return QJsonObject{{"width", t.width},
                       {"height", t.height},
                       {"interlaced", t.interlaced},
                       {"pixelClockKHz", t.pixelClockKHz ? QJsonValue(*t.pixelClockKHz)
                                                         : QJsonValue(QJsonValue::Null)},
                       {"refreshHz", rounded(t.refreshHz, 6)},
                       {"preferred", t.preferred},
                       {"source", t.source},
                       {"offset", t.at.offset}};
}

QJsonValue tiledJson(const std::optional<DisplayIdTiledTopology> &maybe)
{
    if (!maybe)
        return QJsonValue::Null;
    const DisplayIdTiledTopology &t = *maybe;
    return QJsonObject{{"singleEnclosure", t.singleEnclosure},
                       {"soloBehaviour", t.soloBehaviourText()},
                       {"partialBehaviour", t.partialBehaviourText()},
                       {"hTiles", t.hTiles},
                       {"vTiles", t.vTiles},
                       {"hLocation", t.hLocation},
                       {"vLocation", t.vLocation},
                       {"tileWidth", t.tileWidth},
                       {"tileHeight", t.tileHeight},
                       {"bezel", QJsonObject{{"multiplier", t.bezelMultiplier},
                                             {"top", t.bezelTop},
                                             {"bottom", t.bezelBottom},
                                             {"right", t.bezelRight},
                                             {"left", t.bezelLeft}}},
                       {"vendor", t.vendor},
                       {"productCode", t.productCode},
                       {"serialNumber", qint64(t.serialNumber)},
                       {"offset", t.at.offset}};
}

template <typename T> QJsonValue orNull(const std::optional<T> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonObject pointJson(const CiePoint &p)
{
    return QJsonObject{{"x", rounded(p.x, 6)}, {"y", rounded(p.y, 6)}};
}

QJsonValue luminanceJson(const std::optional<double> &cdm2)
{
    return cdm2 ? QJsonValue(rounded(*cdm2, 6)) : QJsonValue();
}

QJsonValue parametersJson(const std::optional<DisplayIdParameters> &maybe)
{
    if (!maybe)
        return QJsonValue::Null;
    const DisplayIdParameters &p = *maybe;
    return QJsonObject{
        {"widthMm", rounded(p.widthMm, 1)},
        {"heightMm", rounded(p.heightMm, 1)},
        {"hPixels", p.hPixels},
        {"vPixels", p.vPixels},
        {"gamma", p.gamma ? QJsonValue(rounded(*p.gamma, 2)) : QJsonValue()},
        {"aspectRatio", p.aspectRatio ? QJsonValue(rounded(*p.aspectRatio, 2)) : QJsonValue()},
        {"nativeBpc", orNull(p.nativeBpc)},
        {"overallBpc", orNull(p.overallBpc)},
        {"primaries", arrayOf(p.primaries, pointJson)},
        {"whitePoint", p.whitePoint ? QJsonValue(pointJson(*p.whitePoint)) : QJsonValue()},
        {"maxLuminance", luminanceJson(p.maxLuminance)},
        {"maxLuminance10Percent", luminanceJson(p.maxLuminance10Percent)},
        {"minLuminance", luminanceJson(p.minLuminance)},
        {"offset", p.at.offset}};
}

QJsonValue productJson(const std::optional<DisplayIdProduct> &maybe)
{
    if (!maybe)
        return QJsonValue::Null;
    return QJsonObject{{"vendor", maybe->vendor},
                       {"productCode", maybe->productCode},
                       {"serialNumber", qint64(maybe->serialNumber)},
                       {"week", maybe->week},
                       {"year", maybe->year},
                       {"name", maybe->name},
                       {"offset", maybe->at.offset}};
}

} // namespace

QJsonObject displayIdJson(const DisplayIdSection &s)
{
    return QJsonObject{
        {"version", s.versionText()},
        {"productType", s.productTypeName()},
        {"extensionCount", s.extensionCount},
        {"timings", arrayOf(s.timings, timingJson)},
        {"typeIITimings", arrayOf(s.typeIITimings, timingJson)},
        {"typeVTimings", arrayOf(s.typeVTimings, codeJson)},
        {"typeVITimings", arrayOf(s.typeVITimings, timingJson)},
        {"codeTimings", arrayOf(s.codeTimings, codeJson)},
        {"shortTimings", arrayOf(s.shortTimings, codeJson)},
        {"formulaTimings", arrayOf(s.formulaTimings, codeJson)},
        {"tiledTopology", tiledJson(s.tiledTopology)},
        {"displayParameters", parametersJson(s.displayParameters)},
        {"product", productJson(s.product)},
        {"containerId", orNull(s.containerId)},
        {"adaptiveSync", arrayOf(s.adaptiveSync,
                                 [](const DisplayIdAdaptiveSync &a) {
                                     return QJsonObject{{"nativeRange", a.nativeRange},
                                                        {"minRefreshHz", a.minRefreshHz},
                                                        {"maxRefreshHz", a.maxRefreshHz},
                                                        {"offset", a.at.offset}};
                                 })},
        {"checksum", QJsonObject{{"stored", s.storedChecksum},
                                 {"computed", s.computedChecksum},
                                 {"valid", s.checksumValid()},
                                 {"offset", s.checksumAt.offset}}},
        {"dataBlocks", arrayOf(s.dataBlocks, [](const DisplayIdDataBlock &d) {
             return QJsonObject{{"tag", d.tag},
                                {"revision", d.revision},
                                {"name", d.name},
                                {"offset", d.at.offset},
                                {"length", d.at.length},
                                {"payload", QString::fromLatin1(d.payload.toHex(' ').toUpper())},
                                {"decoded", d.decoded},
                                {"overrun", d.overrun}};
         })}};
}

QJsonArray extensionFieldsJson(const QList<ExtensionField> &fields)
{
    return arrayOf(fields, [](const ExtensionField &f) {
        return QJsonObject{
            {"name", f.name}, {"value", f.value}, {"offset", f.at.offset}, {"length", f.at.length}};
    });
}

} // namespace varnex::edid
