#include "capability/CapabilityJson.h"

#include "edit/ShortAudioDescriptor.h"

#include <QJsonArray>

#include <cmath>

namespace varnex::edid {

namespace {

// The rates of SAD byte 2 bits 0-6 and the sizes of byte 3 bits 0-2 (CTA-861-H tables 39, 40).
constexpr double RatesKHz[] = {32, 44.1, 48, 88.2, 96, 176.4, 192};
constexpr int SizesBits[] = {16, 20, 24};
// AC-3 to ATRAC store their maximum bit rate in units of 8 kb/s.
constexpr int BitrateUnitKbps = 8;

template <typename T> QJsonValue orNull(const std::optional<T> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

template <typename List> QJsonArray arrayOf(const List &list)
{
    QJsonArray array;
    for (const auto &item : list)
        array.append(item);
    return array;
}

} // namespace

QJsonObject capabilityModeJson(const CapabilityMode &mode)
{
    return QJsonObject{{"width", mode.width},
                       {"height", mode.height},
                       {"interlaced", mode.interlaced},
                       {"refreshHz", std::round(mode.refreshHz * 1e6) / 1e6},
                       {"pixelClockKHz", orNull(mode.pixelClockKHz)},
                       {"preferred", mode.preferred},
                       {"sources", QJsonArray::fromStringList(mode.sources)},
                       {"ycbcr420", mode.ycbcr420},
                       {"ycbcr420Only", mode.ycbcr420Only}};
}

namespace {

QJsonObject audioJson(const AudioCapability &audio)
{
    QJsonObject json{{"format", audio.name},
                     {"formatCode", audio.format},
                     {"channels", audio.channels},
                     {"sampleRatesKHz", arrayOf(sampleRatesKHz(audio.sampleRates))}};
    if (audio.format == AudioFormat::Lpcm)
        json[QStringLiteral("sampleSizes")] = arrayOf(sampleSizesBits(audio.detail));
    else if (audio.format <= AudioFormat::Atrac)
        json[QStringLiteral("maxBitrateKbps")] = audio.detail * BitrateUnitKbps;
    return json;
}

QJsonValue hdrJson(const std::optional<HdrCapability> &hdr)
{
    if (!hdr)
        return QJsonValue::Null;
    const auto luminance = [](const std::optional<double> &value) {
        return value ? QJsonValue(std::round(*value * 1000) / 1000) : QJsonValue(QJsonValue::Null);
    };
    return QJsonObject{{"eotfs", QJsonArray::fromStringList(hdr->eotfs)},
                       {"metadataTypes", hdr->metadataTypes},
                       {"maxLuminance", luminance(hdr->maxLuminance)},
                       {"maxFrameAverageLuminance", luminance(hdr->maxFrameAverageLuminance)},
                       {"minLuminance", luminance(hdr->minLuminance)}};
}

QJsonArray colorFormats(const Capabilities &caps)
{
    QJsonArray formats{QStringLiteral("RGB")};
    if (caps.ycbcr444)
        formats.append(QStringLiteral("YCbCr 4:4:4"));
    if (caps.ycbcr422)
        formats.append(QStringLiteral("YCbCr 4:2:2"));
    if (std::any_of(caps.modes.cbegin(), caps.modes.cend(),
                    [](const CapabilityMode &m) { return m.ycbcr420; }))
        formats.append(QStringLiteral("YCbCr 4:2:0"));
    return formats;
}

} // namespace

QList<double> sampleRatesKHz(quint8 mask)
{
    QList<double> rates;
    for (int bit = 0; bit < int(std::size(RatesKHz)); ++bit) {
        if (mask & (1 << bit))
            rates.append(RatesKHz[bit]);
    }
    return rates;
}

QList<int> sampleSizesBits(quint8 mask)
{
    QList<int> sizes;
    for (int bit = 0; bit < int(std::size(SizesBits)); ++bit) {
        if (mask & (1 << bit))
            sizes.append(SizesBits[bit]);
    }
    return sizes;
}

QJsonObject capabilitiesJson(const Capabilities &caps)
{
    QJsonArray modes;
    for (const CapabilityMode &mode : caps.modes)
        modes.append(capabilityModeJson(mode));
    QJsonArray audio;
    for (const AudioCapability &sad : caps.audio)
        audio.append(audioJson(sad));
    const QJsonValue forum =
        caps.hdmiForum ? QJsonValue(QJsonObject{{"maxTmdsMHz", orNull(caps.hdmiForum->maxTmdsMHz)},
                                                {"scdc", caps.hdmiForum->scdc},
                                                {"maxFrlRate", caps.hdmiForum->maxFrlRate}})
                       : QJsonValue(QJsonValue::Null);
    return QJsonObject{
        {"modes", modes},
        {"audio", audio},
        {"speakers", int(caps.speakers)},
        {"colorFormats", colorFormats(caps)},
        {"deepColor", QJsonObject{{"rgbBits", arrayOf(caps.deepColor.rgbBits)},
                                  {"ycbcr444", caps.deepColor.ycbcr444},
                                  {"ycbcr420Bits", arrayOf(caps.deepColor.ycbcr420Bits)}}},
        {"hdr", hdrJson(caps.hdr)},
        {"maxTmdsMHz", orNull(caps.maxTmdsMHz)},
        {"hdmiForum", forum},
        {"hdmi", caps.hdmi}};
}

} // namespace varnex::edid
