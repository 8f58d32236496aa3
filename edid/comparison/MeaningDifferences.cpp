#include "comparison/MeaningDifferences.h"

#include "capability/CapabilityJson.h"
#include "decode/EdidModel.h"
#include "edit/ShortAudioDescriptor.h"

#include <QJsonArray>
#include <QMap>
#include <QRegularExpression>

namespace varnex::edid {

namespace {

const QString First = QStringLiteral("A");
const QString Second = QStringLiteral("B");

QString orNone(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("(none)") : text;
}

// "Name: before -> after" when the two differ.
void addChange(QStringList &lines, const QString &name, const QString &before, const QString &after)
{
    if (before != after)
        lines.append(QStringLiteral("%1: %2 -> %3").arg(name, orNone(before), orNone(after)));
}

// "Topic only in A: x, y" and the same for B, for what one list has and the other lacks.
void addOnlyIn(QStringList &lines, const QString &topic, const QStringList &first,
               const QStringList &second)
{
    QStringList onlyFirst;
    QStringList onlySecond;
    for (const QString &item : first) {
        if (!second.contains(item))
            onlyFirst.append(item);
    }
    for (const QString &item : second) {
        if (!first.contains(item))
            onlySecond.append(item);
    }
    if (!onlyFirst.isEmpty())
        lines.append(QStringLiteral("%1 only in %2: %3")
                         .arg(topic, First, onlyFirst.join(QStringLiteral(", "))));
    if (!onlySecond.isEmpty())
        lines.append(QStringLiteral("%1 only in %2: %3")
                         .arg(topic, Second, onlySecond.join(QStringLiteral(", "))));
}

QList<CapabilityMode> modesMissingFrom(const QList<CapabilityMode> &modes,
                                       const QList<CapabilityMode> &other)
{
    QList<CapabilityMode> missing;
    for (const CapabilityMode &mode : modes) {
        if (std::none_of(other.cbegin(), other.cend(),
                         [&](const CapabilityMode &o) { return sameMode(mode, o); }))
            missing.append(mode);
    }
    return missing;
}

QString modeEntry(const CapabilityMode &mode)
{
    return QStringLiteral("%1 (%2)").arg(modeText(mode), mode.sources.join(QStringLiteral(", ")));
}

QString modesLine(const QString &side, const QList<CapabilityMode> &modes)
{
    QStringList entries;
    for (const CapabilityMode &mode : modes)
        entries.append(modeEntry(mode));
    return QStringLiteral("Modes only in %1: %2").arg(side, entries.join(QStringLiteral(", ")));
}

QString number(double value)
{
    // Enough places for the smallest luminance codes, none that say nothing.
    return QString::number(value, 'f', value < 1 ? 6 : 2)
        .remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

QStringList numbers(const QList<double> &values)
{
    QStringList texts;
    for (double value : values)
        texts.append(number(value));
    return texts;
}

// "5.1 AC-3 (32, 44.1, 48 kHz; up to 640 kb/s)": every fact of the descriptor,
// so that two that differ only in a rate read differently.
QString audioEntry(const AudioCapability &audio)
{
    // AC-3 to ATRAC store their maximum bit rate in units of 8 kb/s (CTA-861-H, 7.5.2).
    constexpr int BitrateUnitKbps = 8;
    QStringList details{numbers(sampleRatesKHz(audio.sampleRates)).join(QStringLiteral(", ")) +
                        QStringLiteral(" kHz")};
    if (audio.format == AudioFormat::Lpcm) {
        QStringList sizes;
        for (int bits : sampleSizesBits(audio.detail))
            sizes.append(QString::number(bits));
        details.append(sizes.join(QStringLiteral(", ")) + QStringLiteral(" bits"));
    } else if (audio.format <= AudioFormat::Atrac) {
        details.append(QStringLiteral("up to %1 kb/s").arg(audio.detail * BitrateUnitKbps));
    }
    return QStringLiteral("%1 (%2)").arg(audioText(audio), details.join(QStringLiteral("; ")));
}

QStringList audioEntries(const Capabilities &caps)
{
    QStringList entries;
    for (const AudioCapability &audio : caps.audio)
        entries.append(audioEntry(audio));
    return entries;
}

QString speakersText(const DecodedEdid &edid)
{
    for (const CtaBlock &cta : edid.cta) {
        if (const auto *speakers = cta.first<SpeakerAllocation>())
            return speakers->speakers.join(QStringLiteral(", "));
    }
    return {};
}

QStringList colorEntries(const Capabilities &caps, const DecodedEdid &edid)
{
    QStringList entries;
    if (caps.ycbcr444)
        entries.append(QStringLiteral("YCbCr 4:4:4"));
    if (caps.ycbcr422)
        entries.append(QStringLiteral("YCbCr 4:2:2"));
    if (std::any_of(caps.modes.cbegin(), caps.modes.cend(),
                    [](const CapabilityMode &m) { return m.ycbcr420; }))
        entries.append(QStringLiteral("YCbCr 4:2:0"));
    for (int bits : caps.deepColor.rgbBits)
        entries.append(QStringLiteral("%1-bit RGB").arg(bits));
    if (caps.deepColor.ycbcr444)
        entries.append(QStringLiteral("deep colour YCbCr 4:4:4"));
    for (int bits : caps.deepColor.ycbcr420Bits)
        entries.append(QStringLiteral("%1-bit YCbCr 4:2:0").arg(bits));
    if (const CtaBlock *cta = edid.firstCta()) {
        if (const auto *colorimetry = cta->first<Colorimetry>()) {
            for (const QString &standard : colorimetry->standards)
                entries.append(QStringLiteral("colorimetry %1").arg(standard));
        }
    }
    return entries;
}

QString luminanceText(const std::optional<double> &value)
{
    return value ? number(*value) + QStringLiteral(" cd/m²") : QString();
}

QStringList hdrLines(const Capabilities &a, const Capabilities &b)
{
    QStringList lines;
    if (!a.hdr && !b.hdr)
        return lines;
    if (!a.hdr || !b.hdr) {
        const HdrCapability &hdr = a.hdr ? *a.hdr : *b.hdr;
        lines.append(QStringLiteral("HDR only in %1: %2")
                         .arg(a.hdr ? First : Second, hdr.eotfs.join(QStringLiteral(", "))));
        return lines;
    }
    addOnlyIn(lines, QStringLiteral("HDR transfer functions"), a.hdr->eotfs, b.hdr->eotfs);
    addChange(lines, QStringLiteral("HDR maximum luminance"), luminanceText(a.hdr->maxLuminance),
              luminanceText(b.hdr->maxLuminance));
    addChange(lines, QStringLiteral("HDR maximum frame-average luminance"),
              luminanceText(a.hdr->maxFrameAverageLuminance),
              luminanceText(b.hdr->maxFrameAverageLuminance));
    addChange(lines, QStringLiteral("HDR minimum luminance"), luminanceText(a.hdr->minLuminance),
              luminanceText(b.hdr->minLuminance));
    return lines;
}

QString megahertz(const std::optional<int> &value)
{
    return value ? QStringLiteral("%1 MHz").arg(*value) : QString();
}

QStringList linkLines(const Capabilities &a, const Capabilities &b)
{
    const auto yesNo = [](bool value) {
        return value ? QStringLiteral("yes") : QStringLiteral("no");
    };
    QStringList lines;
    addChange(lines, QStringLiteral("HDMI"), yesNo(a.hdmi), yesNo(b.hdmi));
    addChange(lines, QStringLiteral("Maximum TMDS clock"), megahertz(a.maxTmdsMHz),
              megahertz(b.maxTmdsMHz));
    // A missing HDMI Forum block shows among the blocks; its values only when both have one.
    if (a.hdmiForum && b.hdmiForum) {
        addChange(lines, QStringLiteral("HDMI Forum maximum TMDS character rate"),
                  megahertz(a.hdmiForum->maxTmdsMHz), megahertz(b.hdmiForum->maxTmdsMHz));
        addChange(lines, QStringLiteral("HDMI Forum maximum FRL rate (code)"),
                  QString::number(a.hdmiForum->maxFrlRate),
                  QString::number(b.hdmiForum->maxFrlRate));
        addChange(lines, QStringLiteral("HDMI Forum SCDC"), yesNo(a.hdmiForum->scdc),
                  yesNo(b.hdmiForum->scdc));
    }
    return lines;
}

QString madeText(const BaseBlock &base)
{
    if (base.modelYear)
        return QStringLiteral("model year %1").arg(base.year);
    return base.week ? QStringLiteral("week %1 of %2").arg(*base.week).arg(base.year)
                     : QString::number(base.year);
}

QStringList identityLines(const BaseBlock &a, const BaseBlock &b)
{
    QStringList lines;
    addChange(lines, QStringLiteral("Manufacturer"), a.manufacturer, b.manufacturer);
    addChange(lines, QStringLiteral("Product code"), QString::number(a.productCode),
              QString::number(b.productCode));
    addChange(lines, QStringLiteral("Serial number"), QString::number(a.serialNumber),
              QString::number(b.serialNumber));
    addChange(lines, QStringLiteral("Serial string"), a.serialString().value_or(QString()),
              b.serialString().value_or(QString()));
    addChange(lines, QStringLiteral("Name"), a.name().value_or(QString()),
              b.name().value_or(QString()));
    addChange(lines, QStringLiteral("Made"), madeText(a), madeText(b));
    addChange(lines, QStringLiteral("EDID version"), a.versionText(), b.versionText());
    return lines;
}

// How many of each kind a table holds: its extension blocks by type (those
// the extension count covers, as sources read no others) and its CTA-861
// data blocks by name (vendor blocks by vendor and OUI).
QMap<QString, int> blockKinds(const DecodedEdid &edid)
{
    QMap<QString, int> kinds;
    for (const BlockInfo &block : edid.blocks) {
        if (block.index > 0 && block.counted)
            ++kinds[QStringLiteral("%1 extension block").arg(blockTypeName(block.type))];
    }
    for (const CtaBlock &cta : edid.cta) {
        for (const DataBlock &data : cta.dataBlocks)
            ++kinds[data.name];
    }
    return kinds;
}

QStringList blockLines(const DecodedEdid &a, const DecodedEdid &b)
{
    const QMap<QString, int> first = blockKinds(a);
    const QMap<QString, int> second = blockKinds(b);
    QMap<QString, int> all = first;
    all.insert(second);
    QStringList lines;
    for (auto kind = all.cbegin(); kind != all.cend(); ++kind) {
        const int inFirst = first.value(kind.key());
        const int inSecond = second.value(kind.key());
        if (inFirst == inSecond)
            continue;
        if (inFirst == 0 || inSecond == 0)
            lines.append(
                QStringLiteral("%1 only in %2").arg(kind.key(), inFirst == 0 ? Second : First));
        else
            lines.append(QStringLiteral("%1: %2 in %3, %4 in %5")
                             .arg(kind.key())
                             .arg(inFirst)
                             .arg(First)
                             .arg(inSecond)
                             .arg(Second));
    }
    return lines;
}

QJsonArray modesJson(const QList<CapabilityMode> &modes)
{
    QJsonArray array;
    for (const CapabilityMode &mode : modes)
        array.append(capabilityModeJson(mode));
    return array;
}

} // namespace

QStringList MeaningDifferences::lines() const
{
    QStringList all;
    if (!modesOnlyInFirst.isEmpty())
        all.append(modesLine(First, modesOnlyInFirst));
    if (!modesOnlyInSecond.isEmpty())
        all.append(modesLine(Second, modesOnlyInSecond));
    return all + preferred + audio + color + hdr + link + identity + blocks;
}

MeaningDifferences meaningDifferences(const DecodedEdid &first, const DecodedEdid &second)
{
    MeaningDifferences meaning;
    const Capabilities a = capabilitiesOf(first);
    const Capabilities b = capabilitiesOf(second);
    meaning.modesOnlyInFirst = modesMissingFrom(a.modes, b.modes);
    meaning.modesOnlyInSecond = modesMissingFrom(b.modes, a.modes);
    const auto preferredText = [](const Capabilities &caps) {
        const CapabilityMode *mode = caps.preferredMode();
        return mode ? modeText(*mode) : QString();
    };
    addChange(meaning.preferred, QStringLiteral("Preferred mode"), preferredText(a),
              preferredText(b));
    addOnlyIn(meaning.audio, QStringLiteral("Audio"), audioEntries(a), audioEntries(b));
    addChange(meaning.audio, QStringLiteral("Speakers"), speakersText(first), speakersText(second));
    addOnlyIn(meaning.color, QStringLiteral("Colour formats"), colorEntries(a, first),
              colorEntries(b, second));
    meaning.hdr = hdrLines(a, b);
    meaning.link = linkLines(a, b);
    if (first.base && second.base)
        meaning.identity = identityLines(*first.base, *second.base);
    meaning.blocks = blockLines(first, second);
    return meaning;
}

QJsonObject meaningJson(const MeaningDifferences &meaning)
{
    return QJsonObject{{"modesOnlyInFirst", modesJson(meaning.modesOnlyInFirst)},
                       {"modesOnlyInSecond", modesJson(meaning.modesOnlyInSecond)},
                       {"preferred", QJsonArray::fromStringList(meaning.preferred)},
                       {"audio", QJsonArray::fromStringList(meaning.audio)},
                       {"color", QJsonArray::fromStringList(meaning.color)},
                       {"hdr", QJsonArray::fromStringList(meaning.hdr)},
                       {"link", QJsonArray::fromStringList(meaning.link)},
                       {"identity", QJsonArray::fromStringList(meaning.identity)},
                       {"blocks", QJsonArray::fromStringList(meaning.blocks)}};
}

} // namespace varnex::edid
