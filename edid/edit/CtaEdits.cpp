#include "CtaEdits.h"

#include "BaseDescriptors.h"
#include "CtaExtension.h"
#include "StandardModes.h"
#include "spec/Units.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace varnex::edid {

namespace {

// Speaker allocation payload: two mask bytes and a reserved byte.
constexpr int SpeakerMaskBits = 16;

bool validVic(int vic)
{
    return (vic >= 1 && vic <= MaxLowVic) || (vic >= FirstHighVic && vic <= MaxKnownVic);
}

using Change = std::function<QString(CtaExtension &)>;

// Parses block 1, applies the change and lays the block out again; any
// refusal leaves the caller's image as it was.
EditResult editCta(const EdidImage &image, const Change &change)
{
    QString error;
    auto cta = CtaExtension::parse(image, &error);
    if (!cta)
        return EditResult::refused(error);
    error = change(*cta);
    if (!error.isEmpty())
        return EditResult::refused(error);
    EdidImage edited = image;
    if (!cta->write(edited, &error))
        return EditResult::refused(error);
    return EditResult::done(edited);
}

// New blocks go after the first block with one of the `after` tags (in that
// order of preference), else first; so audio follows video, speakers follow audio.
void insertBlock(CtaExtension &cta, const QByteArray &block, std::initializer_list<int> after)
{
    for (int tag : after) {
        const int i = cta.indexOf(tag);
        if (i >= 0) {
            cta.dataBlocks.insert(i + 1, block);
            return;
        }
    }
    cta.dataBlocks.prepend(block);
}

int svdCount(const CtaExtension &cta)
{
    int count = 0;
    for (const QByteArray &b : cta.dataBlocks) {
        if (CtaExtension::tagOf(b) == CtaTag::Video)
            count += int(b.size()) - 1;
    }
    return count;
}

QList<ShortAudioDescriptor> audioDescriptors(const CtaExtension &cta)
{
    QList<ShortAudioDescriptor> sads;
    for (const QByteArray &b : cta.dataBlocks) {
        if (CtaExtension::tagOf(b) != CtaTag::Audio)
            continue;
        for (qsizetype at = 1; at + 3 <= b.size(); at += 3)
            sads.append(
                ShortAudioDescriptor::decode(reinterpret_cast<const quint8 *>(b.constData() + at)));
    }
    return sads;
}

// Puts `sads` into the first audio data block and drops any other; keeps the
// basic audio flag true exactly while some audio is left; without audio the
// speaker allocation goes too.
QString writeAudio(CtaExtension &cta, const QList<ShortAudioDescriptor> &sads)
{
    QByteArray payload;
    for (const ShortAudioDescriptor &sad : sads) {
        const auto bytes = sad.encode();
        payload.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    }
    if (payload.size() > CtaLayout::MaxPayload)
        return QStringLiteral("At most %1 short audio descriptors fit an audio data block.")
            .arg(CtaLayout::MaxPayload / 3);
    const int first = cta.indexOf(CtaTag::Audio);
    for (qsizetype i = cta.dataBlocks.size() - 1; i > first; --i) {
        if (CtaExtension::tagOf(cta.dataBlocks[i]) == CtaTag::Audio)
            cta.dataBlocks.removeAt(i);
    }
    if (sads.isEmpty()) {
        if (first >= 0)
            cta.dataBlocks.removeAt(first);
        // Speakers without audio formats contradict the cleared basic audio flag.
        cta.dataBlocks.removeIf([](const QByteArray &b) {
            return CtaExtension::tagOf(b) == CtaTag::SpeakerAllocation;
        });
        cta.flags &= quint8(~CtaBasicAudioFlag);
        return {};
    }
    const QByteArray block = CtaExtension::makeBlock(CtaTag::Audio, payload);
    if (first >= 0)
        cta.dataBlocks[first] = block;
    else
        insertBlock(cta, block, {CtaTag::Video});
    cta.flags |= CtaBasicAudioFlag;
    return {};
}

// Removes every block for which `matches` holds; false when there was none.
bool removeBlocks(CtaExtension &cta, const std::function<bool(const QByteArray &)> &matches)
{
    const qsizetype before = cta.dataBlocks.size();
    cta.dataBlocks.removeIf(matches);
    return cta.dataBlocks.size() != before;
}

// Removes bytes from `from` on that `matches`; returns how many went.
int removeBytes(QByteArray &block, int from, const std::function<bool(quint8)> &matches)
{
    int removed = 0;
    for (qsizetype i = block.size() - 1; i >= from; --i) {
        if (matches(quint8(block[i]))) {
            block.remove(i, 1);
            ++removed;
        }
    }
    return removed;
}

void fixLength(QByteArray &block)
{
    block[0] = char((quint8(block[0]) & 0xE0) | (block.size() - 1));
}

} // namespace

std::optional<quint32> speakerLayout(const QString &name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("stereo") || n == QLatin1String("2.0"))
        return Speakers::Stereo;
    if (n == QLatin1String("5.1"))
        return Speakers::Surround51;
    if (n == QLatin1String("7.1"))
        return Speakers::Surround71;
    return std::nullopt;
}

EditResult removeVic(const EdidImage &image, int vic)
{
    QString already;
    EditResult result = editCta(image, [vic, &already](CtaExtension &cta) -> QString {
        const int hdmiVsdb = cta.indexOfVendor(HdmiLlcOui);
        const CtaExtension::HdmiVideoFields hdmi =
            hdmiVsdb >= 0 ? CtaExtension::hdmiVideoFields(cta.dataBlocks[hdmiVsdb])
                          : CtaExtension::HdmiVideoFields{};
        if (hdmi.threeDLength > 0)
            return QStringLiteral("The HDMI block describes 3D formats by the position of video "
                                  "descriptors; removing a VIC would change their meaning.");

        // Positions of the removed SVDs over all video data blocks, for the 4:2:0 map.
        std::vector<int> removedPositions;
        int position = 0;
        for (QByteArray &b : cta.dataBlocks) {
            if (CtaExtension::tagOf(b) != CtaTag::Video)
                continue;
            QByteArray kept(1, b[0]);
            for (qsizetype i = 1; i < b.size(); ++i, ++position) {
                if (svdToVic(quint8(b[i])) == vic)
                    removedPositions.push_back(position);
                else
                    kept.append(b[i]);
            }
            b = kept;
            fixLength(b);
        }
        int removed = int(removedPositions.size());
        // 4:2:0-only video lists SVDs; preferences list SVRs, where a VIC is its own code.
        for (QByteArray &b : cta.dataBlocks) {
            const int ext = CtaExtension::extendedTagOf(b);
            if (ext == CtaExtendedTag::Ycbcr420Video)
                removed += removeBytes(b, CtaLayout::ExtendedHeaderSize,
                                       [vic](quint8 code) { return svdToVic(code) == vic; });
            else if (ext == CtaExtendedTag::VideoFormatPreference)
                removed += removeBytes(b, CtaLayout::ExtendedHeaderSize,
                                       [vic](quint8 code) { return code == vic; });
            else
                continue;
            fixLength(b);
        }
        if (hdmi.lengthsIndex > 0 && hdmiVicForVic(vic) > 0) {
            QByteArray &b = cta.dataBlocks[hdmiVsdb];
            const int first = hdmi.lengthsIndex + 1;
            for (int i = first + hdmi.vicCount - 1; i >= first; --i) {
                if (quint8(b[i]) == hdmiVicForVic(vic)) {
                    b.remove(i, 1);
                    b[hdmi.lengthsIndex] = char(quint8(b[hdmi.lengthsIndex]) - 0x20);
                    ++removed;
                }
            }
            fixLength(b);
        }
        if (removed == 0) {
            already = QStringLiteral("VIC %1 is already not in the table.").arg(vic);
            return {};
        }

        for (QByteArray &b : cta.dataBlocks) {
            if (CtaExtension::extendedTagOf(b) != CtaExtendedTag::Ycbcr420CapabilityMap ||
                b.size() <= CtaLayout::ExtendedHeaderSize)
                continue;
            std::vector<bool> bits = CtaExtension::unpackBits(b, CtaLayout::ExtendedHeaderSize);
            for (auto it = removedPositions.rbegin(); it != removedPositions.rend(); ++it) {
                if (std::size_t(*it) < bits.size())
                    bits.erase(bits.begin() + *it);
            }
            CtaExtension::packBits(b, CtaLayout::ExtendedHeaderSize, bits);
        }
        // Blocks left without content go: an empty video list or preference list says nothing.
        removeBlocks(cta, [](const QByteArray &b) {
            const int ext = CtaExtension::extendedTagOf(b);
            return (CtaExtension::tagOf(b) == CtaTag::Video && b.size() == 1) ||
                   ((ext == CtaExtendedTag::VideoFormatPreference ||
                     ext == CtaExtendedTag::Ycbcr420Video) &&
                    b.size() == CtaLayout::ExtendedHeaderSize);
        });
        return {};
    });
    return already.isEmpty() || !result.ok() ? result : EditResult::unchanged(image, already);
}

EditResult addVic(const EdidImage &image, int vic)
{
    if (!validVic(vic))
        return EditResult::refused(QStringLiteral("%1 is not a VIC (1-%2 or %3-%4).")
                                       .arg(vic)
                                       .arg(MaxLowVic)
                                       .arg(FirstHighVic)
                                       .arg(MaxKnownVic));
    const auto mode = standardModeForVic(vic);
    const auto limits = readRangeLimits(image);
    if (mode && limits) {
        const QString why = rangeLimitsViolation(*limits, mode->timing);
        if (!why.isEmpty())
            return EditResult::refused(
                QStringLiteral("VIC %1 is beyond what the table allows: %2.").arg(vic).arg(why));
    }
    QString already;
    EditResult result = editCta(image, [vic, &already](CtaExtension &cta) -> QString {
        for (const QByteArray &b : cta.dataBlocks) {
            if (CtaExtension::tagOf(b) != CtaTag::Video)
                continue;
            for (qsizetype i = 1; i < b.size(); ++i) {
                if (svdToVic(quint8(b[i])) == vic) {
                    already = QStringLiteral("VIC %1 is already in the table.").arg(vic);
                    return {};
                }
            }
        }
        const int newPosition = svdCount(cta);
        // A 4:2:0 map of no bytes means "every SVD"; spell it out so the new VIC stays out of it.
        const int map = cta.indexOf(CtaTag::Extended, CtaExtendedTag::Ycbcr420CapabilityMap);
        if (map >= 0) {
            QByteArray &b = cta.dataBlocks[map];
            if (b.size() == CtaLayout::ExtendedHeaderSize) {
                const int bytes = newPosition / 8 + 1;
                if (CtaLayout::ExtendedHeaderSize - 1 + bytes > CtaLayout::MaxPayload)
                    return QStringLiteral("The YCbCr 4:2:0 capability map cannot grow to hold "
                                          "the new VIC.");
                b.append(QByteArray(bytes, 0));
                CtaExtension::packBits(b, CtaLayout::ExtendedHeaderSize,
                                       std::vector<bool>(std::size_t(newPosition), true));
                fixLength(b);
            } else {
                std::vector<bool> bits = CtaExtension::unpackBits(b, CtaLayout::ExtendedHeaderSize);
                if (std::size_t(newPosition) < bits.size())
                    bits[std::size_t(newPosition)] = false;
                CtaExtension::packBits(b, CtaLayout::ExtendedHeaderSize, bits);
            }
        }
        int video = -1;
        for (int i = 0; i < cta.dataBlocks.size(); ++i) {
            if (CtaExtension::tagOf(cta.dataBlocks[i]) == CtaTag::Video)
                video = i; // the last one, so the new SVD takes the last position
        }
        if (video < 0) {
            cta.dataBlocks.prepend(
                CtaExtension::makeBlock(CtaTag::Video, QByteArray(1, char(vic))));
            return {};
        }
        QByteArray &b = cta.dataBlocks[video];
        if (b.size() - 1 >= CtaLayout::MaxPayload)
            return QStringLiteral("The video data block is full (%1 VICs).")
                .arg(CtaLayout::MaxPayload);
        b.append(char(vic));
        fixLength(b);
        return {};
    });
    return already.isEmpty() || !result.ok() ? result : EditResult::unchanged(image, already);
}

EditResult removeAudioFormat(const EdidImage &image, int format)
{
    QString already;
    EditResult result = editCta(image, [format, &already](CtaExtension &cta) -> QString {
        QList<ShortAudioDescriptor> sads = audioDescriptors(cta);
        if (sads.removeIf([format](const ShortAudioDescriptor &s) { return s.format == format; }) ==
            0) {
            already = QStringLiteral("The table already has no audio descriptor of format %1.")
                          .arg(format);
            return {};
        }
        return writeAudio(cta, sads);
    });
    return already.isEmpty() || !result.ok() ? result : EditResult::unchanged(image, already);
}

EditResult addAudioDescriptor(const EdidImage &image, const ShortAudioDescriptor &sad)
{
    return editCta(image, [&sad](CtaExtension &cta) -> QString {
        QList<ShortAudioDescriptor> sads = audioDescriptors(cta);
        const auto same =
            std::find_if(sads.begin(), sads.end(), [&](const ShortAudioDescriptor &s) {
                return s.format == sad.format && s.channels == sad.channels;
            });
        if (same != sads.end())
            *same = sad;
        else
            sads.append(sad);
        return writeAudio(cta, sads);
    });
}

EditResult setAudioDescriptors(const EdidImage &image, const QList<ShortAudioDescriptor> &sads)
{
    return editCta(image, [&sads](CtaExtension &cta) { return writeAudio(cta, sads); });
}

EditResult setSpeakerAllocation(const EdidImage &image, quint32 speakers)
{
    if (speakers == 0 || speakers >> SpeakerMaskBits)
        return EditResult::refused(
            QStringLiteral("A speaker allocation names at least one known speaker pair."));
    return editCta(image, [speakers](CtaExtension &cta) -> QString {
        QByteArray payload(3, 0);
        payload[0] = char(speakers & 0xFF);
        payload[1] = char(speakers >> 8);
        const QByteArray block = CtaExtension::makeBlock(CtaTag::SpeakerAllocation, payload);
        const int i = cta.indexOf(CtaTag::SpeakerAllocation);
        if (i >= 0)
            cta.dataBlocks[i] = block;
        else
            insertBlock(cta, block, {CtaTag::Audio, CtaTag::Video});
        return {};
    });
}

EditResult setHdmiMaxTmdsClock(const EdidImage &image, int mhz)
{
    if (mhz < TmdsUnitMHz || mhz > HdmiVsdbMaxTmdsMHz || mhz % TmdsUnitMHz)
        return EditResult::refused(
            QStringLiteral("The HDMI block's maximum TMDS clock is %1 to %2 MHz in steps of %1 "
                           "MHz; higher rates belong in the HDMI Forum block.")
                .arg(TmdsUnitMHz)
                .arg(HdmiVsdbMaxTmdsMHz));
    return editCta(image, [mhz](CtaExtension &cta) -> QString {
        const int i = cta.indexOfVendor(HdmiLlcOui);
        if (i < 0)
            return QStringLiteral("The table has no HDMI vendor-specific data block.");
        QByteArray &b = cta.dataBlocks[i];
        if (b.size() < HdmiVsdbLayout::FixedSize)
            return QStringLiteral("The HDMI vendor-specific data block is too short.");
        // The flags byte before the clock is optional too; added empty when missing.
        while (b.size() <= HdmiVsdbLayout::MaxTmdsClock)
            b.append(char(0));
        b[HdmiVsdbLayout::MaxTmdsClock] = char(mhz / TmdsUnitMHz);
        fixLength(b);
        return {};
    });
}

EditResult removeHdrStaticMetadata(const EdidImage &image)
{
    bool removed = false;
    EditResult result = editCta(image, [&removed](CtaExtension &cta) -> QString {
        removed = removeBlocks(cta, [](const QByteArray &b) {
            return CtaExtension::extendedTagOf(b) == CtaExtendedTag::HdrStaticMetadata;
        });
        return {};
    });
    return removed || !result.ok()
               ? result
               : EditResult::unchanged(image, QStringLiteral("already without an HDR static "
                                                             "metadata data block"));
}

EditResult removeHdmiForumBlocks(const EdidImage &image)
{
    bool removed = false;
    EditResult result = editCta(image, [&removed](CtaExtension &cta) -> QString {
        removed = removeBlocks(cta, [](const QByteArray &b) {
            return (CtaExtension::tagOf(b) == CtaTag::VendorSpecific &&
                    CtaExtension::ouiOf(b) == HdmiForumOui) ||
                   CtaExtension::extendedTagOf(b) == CtaExtendedTag::HdmiForumSinkCapability;
        });
        return {};
    });
    return removed || !result.ok()
               ? result
               : EditResult::unchanged(image, QStringLiteral("already without HDMI Forum blocks"));
}

EditResult addDataBlock(const EdidImage &image, const QByteArray &block)
{
    if (block.isEmpty() || (quint8(block[0]) & CtaLayout::MaxPayload) + 1 != block.size())
        return EditResult::refused(QStringLiteral("The bytes are not one CTA-861 data block."));
    return editCta(image, [&block](CtaExtension &cta) -> QString {
        const int tag = CtaExtension::tagOf(block);
        const bool present =
            std::any_of(cta.dataBlocks.cbegin(), cta.dataBlocks.cend(), [&](const QByteArray &b) {
                return CtaExtension::tagOf(b) == tag &&
                       CtaExtension::extendedTagOf(b) == CtaExtension::extendedTagOf(block) &&
                       (tag != CtaTag::VendorSpecific ||
                        CtaExtension::ouiOf(b) == CtaExtension::ouiOf(block));
            });
        if (present)
            return QStringLiteral("The table already has a data block of this kind.");
        cta.dataBlocks.append(block);
        return {};
    });
}

EditResult setCtaFlags(const EdidImage &image, quint8 mask, quint8 value)
{
    return editCta(image, [mask, value](CtaExtension &cta) -> QString {
        cta.flags = quint8((cta.flags & ~mask) | (value & mask));
        return {};
    });
}

} // namespace varnex::edid
