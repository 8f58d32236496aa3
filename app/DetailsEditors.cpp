#include "DetailsEditors.h"

#include "UserDialogs.h"
#include "capability/Capabilities.h"
#include "decode/EdidDecoder.h"
#include "edit/BaseBlockEdits.h"
#include "edit/CtaEdits.h"
#include "edit/ShapeRequest.h"
#include "edit/ShortAudioDescriptor.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

using namespace varnex::edid;

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DetailsEditors", text);
}

QString currentProductName(const EdidImage &image)
{
    const DecodedEdid decoded =
        decodeEdid(QByteArrayView(reinterpret_cast<const char *>(image.data()), image.size()));
    return decoded.base ? decoded.base->name().value_or(QString()) : QString();
}

// An integer the user typed, or a refusal that says what was expected.
std::optional<EditResult> withNumber(const std::optional<QString> &text, const QString &what,
                                     const std::function<EditResult(int)> &edit)
{
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->trimmed().toInt(&ok);
    if (!ok)
        return EditResult::refused(tr("\"%1\" is not a %2.").arg(text->trimmed(), what));
    return edit(value);
}

std::optional<EditResult> editName(const EdidImage &image, UserDialogs &dialogs, QWidget *parent)
{
    const std::optional<QString> name =
        dialogs.askText(parent, tr("Display Product Name"),
                        tr("Product name (1 to %1 characters):").arg(MaxProductNameLength),
                        currentProductName(image), {}, MaxProductNameLength);
    if (!name)
        return std::nullopt;
    return setDisplayProductName(image, *name);
}

std::optional<EditResult> editPreferredMode(const EdidImage &image, UserDialogs &dialogs,
                                            QWidget *parent)
{
    const QList<OfferedMode> offered = offeredModes(image);
    QStringList labels;
    for (const OfferedMode &mode : offered)
        labels.append(mode.timing.label());
    const std::optional<QString> text = dialogs.askText(
        parent, tr("Preferred Timing"),
        tr("Choose a mode the table offers or type WIDTHxHEIGHT@HZ:"), labels.value(0), labels);
    if (!text)
        return std::nullopt;
    // A mode the table offers keeps its exact timing rather than a recomputed one.
    const qsizetype chosen = labels.indexOf(text->trimmed());
    if (chosen >= 0)
        return setPreferredTiming(image, offered.at(chosen).timing);
    return setPreferredMode(image, text->trimmed());
}

DecodedEdid decoded(const EdidImage &image)
{
    return decodeEdid(QByteArrayView(reinterpret_cast<const char *>(image.data()), image.size()));
}

// The modes the table lists (the unlisted 640x480 baseline left out), the preferred first.
std::optional<EditResult> editShape(const EdidImage &image, UserDialogs &dialogs, QWidget *parent)
{
    QList<CapabilityMode> modes = capabilitiesOf(decoded(image)).modes;
    modes.removeIf([](const CapabilityMode &m) {
        return m.sources == QStringList{QStringLiteral("baseline")};
    });
    std::stable_partition(modes.begin(), modes.end(),
                          [](const CapabilityMode &m) { return m.preferred; });
    const std::optional<ShapeRequest> request = dialogs.askShape(parent, modes);
    if (!request)
        return std::nullopt;
    return applyShape(image, *request);
}

std::optional<EditResult> editAddVic(const EdidImage &image, UserDialogs &dialogs, QWidget *parent)
{
    return withNumber(
        dialogs.askText(parent, tr("Add VIC"), tr("VIC to add (1-127 or 193-219):"), {}, {}),
        tr("VIC"), [&](int vic) { return addVic(image, vic); });
}

std::optional<EditResult> editAudio(const EdidImage &image, UserDialogs &dialogs, QWidget *parent)
{
    const std::optional<QString> text = dialogs.askText(
        parent, tr("Audio Formats"),
        tr("Audio formats, separated by spaces (e.g. lpcm:2 lpcm:8:48,96,192:16,24 ac3:6 "
           "dts:6);\nempty removes all audio:"),
        QStringLiteral("lpcm:2"), {});
    if (!text)
        return std::nullopt;
    QList<ShortAudioDescriptor> sads;
    const QStringList specs =
        text->split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts);
    for (const QString &spec : specs) {
        QString error;
        const std::optional<ShortAudioDescriptor> sad = parseAudioSpec(spec, &error);
        if (!sad)
            return EditResult::refused(error);
        sads.append(*sad);
    }
    return setAudioDescriptors(image, sads);
}

std::optional<EditResult> editSpeakers(const EdidImage &image, UserDialogs &dialogs,
                                       QWidget *parent)
{
    const QStringList layouts{QStringLiteral("stereo"), QStringLiteral("5.1"),
                              QStringLiteral("7.1")};
    const std::optional<QString> text = dialogs.askText(
        parent, tr("Speaker Allocation"), tr("Speaker layout:"), layouts.first(), layouts);
    if (!text)
        return std::nullopt;
    const std::optional<quint32> mask = speakerLayout(text->trimmed());
    if (!mask)
        return EditResult::refused(
            tr("\"%1\" is not a speaker layout; use stereo, 5.1 or 7.1.").arg(text->trimmed()));
    return setSpeakerAllocation(image, *mask);
}

std::optional<EditResult> editMaxTmds(const EdidImage &image, UserDialogs &dialogs, QWidget *parent)
{
    // The dialog starts from what the table says, so that OK alone changes nothing.
    const std::optional<int> current = capabilitiesOf(decoded(image)).maxTmdsMHz;
    return withNumber(dialogs.askText(parent, tr("HDMI Max TMDS Clock"),
                                      tr("Maximum TMDS clock in MHz (5 to 340, steps of 5):"),
                                      current ? QString::number(*current) : QString(), {}),
                      tr("clock in MHz"), [&](int mhz) { return setHdmiMaxTmdsClock(image, mhz); });
}

} // namespace

QList<DetailsEdit> detailsEdits()
{
    return {
        {QStringLiteral("editProductName"), tr("Display Product Name..."), editName},
        {QStringLiteral("editPreferredTiming"), tr("Preferred Timing..."), editPreferredMode},
        {QStringLiteral("editShape"), tr("Shape..."), editShape},
        {QStringLiteral("editAddVic"), tr("Add VIC..."), editAddVic},
        {QStringLiteral("editAudio"), tr("Audio Formats..."), editAudio},
        {QStringLiteral("editSpeakers"), tr("Speaker Allocation..."), editSpeakers},
        {QStringLiteral("editMaxTmds"), tr("HDMI Max TMDS Clock..."), editMaxTmds},
        {QStringLiteral("editRemoveHdr"), tr("Remove HDR Static Metadata"),
         [](const EdidImage &image, UserDialogs &, QWidget *) -> std::optional<EditResult> {
             return removeHdrStaticMetadata(image);
         }},
        {QStringLiteral("editRemoveHdmiForum"), tr("Remove HDMI Forum Block"),
         [](const EdidImage &image, UserDialogs &, QWidget *) -> std::optional<EditResult> {
             return removeHdmiForumBlocks(image);
         }},
    };
}
