#include "ShortAudioDescriptor.h"

#include <QStringList>

namespace varnex::edid {

namespace {

// CTA-861-H 7.5.2: byte 1 holds the format in bits 6-3 and channels - 1 in bits 2-0.
constexpr int MaxChannels = 8;
// Formats 2-8 give their maximum bit rate in byte 3 as a multiple of 8 kb/s.
constexpr int BitRateUnitKbps = 8;
// Usual maximum bit rates: AC-3 (ATSC A/52) and DTS core.
constexpr int Ac3MaxKbps = 640;
constexpr int DtsMaxKbps = 1536;

struct FormatName
{
    const char *name;
    int code;
};

constexpr FormatName FormatNames[] = {
    {"lpcm", AudioFormat::Lpcm},       {"ac3", AudioFormat::Ac3},
    {"mpeg1", AudioFormat::Mpeg1},     {"mp3", AudioFormat::Mp3},
    {"mpeg2", AudioFormat::Mpeg2},     {"aac", AudioFormat::AacLc},
    {"dts", AudioFormat::Dts},         {"atrac", AudioFormat::Atrac},
    {"dsd", AudioFormat::OneBitAudio}, {"eac3", AudioFormat::EnhancedAc3},
    {"dtshd", AudioFormat::DtsHd},     {"mat", AudioFormat::Mat},
    {"truehd", AudioFormat::Mat},      {"dst", AudioFormat::Dst},
    {"wmapro", AudioFormat::WmaPro},
};

struct RateName
{
    const char *khz;
    quint8 bit;
};

constexpr RateName RateNames[] = {
    {"32", SampleRate::Khz32},     {"44.1", SampleRate::Khz44_1}, {"48", SampleRate::Khz48},
    {"88.2", SampleRate::Khz88_2}, {"96", SampleRate::Khz96},     {"176.4", SampleRate::Khz176_4},
    {"192", SampleRate::Khz192},
};

bool hasBitRate(int format)
{
    return format >= AudioFormat::Ac3 && format <= AudioFormat::Atrac;
}

std::optional<quint8> parseRates(const QString &text)
{
    quint8 rates = 0;
    for (const QString &part : text.split(QLatin1Char(','))) {
        bool found = false;
        for (const RateName &rate : RateNames) {
            if (part.trimmed() == QLatin1String(rate.khz)) {
                rates |= rate.bit;
                found = true;
            }
        }
        if (!found)
            return std::nullopt;
    }
    return rates;
}

std::optional<quint8> parseSampleSizes(const QString &text)
{
    quint8 sizes = 0;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QString bits = part.trimmed();
        if (bits == QLatin1String("16"))
            sizes |= SampleSize::Bits16;
        else if (bits == QLatin1String("20"))
            sizes |= SampleSize::Bits20;
        else if (bits == QLatin1String("24"))
            sizes |= SampleSize::Bits24;
        else
            return std::nullopt;
    }
    return sizes;
}

} // namespace

std::array<quint8, 3> ShortAudioDescriptor::encode() const
{
    return {quint8(((format & 0xF) << 3) | ((channels - 1) & 0x7)), quint8(sampleRates & 0x7F),
            detail};
}

ShortAudioDescriptor ShortAudioDescriptor::decode(const quint8 *bytes)
{
    ShortAudioDescriptor sad;
    sad.format = (bytes[0] >> 3) & 0xF;
    sad.channels = (bytes[0] & 0x7) + 1;
    sad.sampleRates = bytes[1] & 0x7F;
    sad.detail = bytes[2];
    return sad;
}

std::optional<ShortAudioDescriptor> parseAudioSpec(const QString &text, QString *error)
{
    const QStringList parts = text.trimmed().toLower().split(QLatin1Char(':'));
    const auto fail = [&](const QString &why) {
        *error = QStringLiteral("\"%1\": %2").arg(text, why);
        return std::nullopt;
    };
    if (parts.size() < 2 || parts.size() > 4)
        return fail(QStringLiteral("expected FORMAT:CHANNELS[:RATES[:DETAIL]]"));

    ShortAudioDescriptor sad;
    sad.format = 0;
    for (const FormatName &f : FormatNames) {
        if (parts[0] == QLatin1String(f.name))
            sad.format = f.code;
    }
    if (sad.format == 0)
        return fail(QStringLiteral("unknown audio format \"%1\"").arg(parts[0]));
    bool ok = false;
    sad.channels = parts[1].toInt(&ok);
    if (!ok || sad.channels < 1 || sad.channels > MaxChannels)
        return fail(QStringLiteral("channels must be 1 to %1").arg(MaxChannels));
    if (parts.size() > 2 && !parts[2].isEmpty()) {
        const auto rates = parseRates(parts[2]);
        if (!rates)
            return fail(QStringLiteral("sample rates are kHz from 32,44.1,48,88.2,96,176.4,192"));
        sad.sampleRates = *rates;
    }

    const QString detail = parts.size() > 3 ? parts[3] : QString();
    if (sad.format == AudioFormat::Lpcm) {
        if (!detail.isEmpty()) {
            const auto sizes = parseSampleSizes(detail);
            if (!sizes)
                return fail(QStringLiteral("LPCM sample sizes are bits from 16,20,24"));
            sad.detail = *sizes;
        }
    } else if (hasBitRate(sad.format)) {
        int kbps = sad.format == AudioFormat::Ac3   ? Ac3MaxKbps
                   : sad.format == AudioFormat::Dts ? DtsMaxKbps
                                                    : 0;
        if (!detail.isEmpty())
            kbps = detail.toInt(&ok);
        if (detail.isEmpty() ? kbps == 0 : !ok)
            return fail(QStringLiteral("give the maximum bit rate in kb/s"));
        if (kbps < BitRateUnitKbps || kbps > 255 * BitRateUnitKbps || kbps % BitRateUnitKbps)
            return fail(QStringLiteral("the maximum bit rate must be a multiple of 8 kb/s up to "
                                       "2040 kb/s"));
        sad.detail = quint8(kbps / BitRateUnitKbps);
    } else {
        sad.detail = 0;
        if (!detail.isEmpty()) {
            const int value = detail.toInt(&ok, 0);
            if (!ok || value < 0 || value > 255)
                return fail(QStringLiteral("the format-dependent value must be 0 to 255"));
            sad.detail = quint8(value);
        }
    }
    return sad;
}

} // namespace varnex::edid
