#include "EditCommands.h"

#include "CommonOptions.h"
#include "Console.h"
#include "ExitStatus.h"
#include "OutputFile.h"
#include "TableFormat.h"
#include "TableInput.h"
#include "edit/BaseBlockEdits.h"
#include "edit/CtaEdits.h"
#include "edit/EditSequence.h"
#include "edit/ModeRequest.h"
#include "edit/ModeShaping.h"
#include "edit/Presets.h"
#include "edit/ShortAudioDescriptor.h"
#include "edit/SignalEdits.h"

#include <algorithm>
#include <cstdio>

namespace varnex::cli {

namespace {

using edid::EdidImage;
using edid::Edit;
using edid::EditResult;

const QStringList &OutputFormats = TableFormatNames;

// The edit options, in the order edit applies them: removals first, so that
// the room they free in the CTA block is there for what is added after.
struct EditOptions
{
    QCommandLineOption onlyModes{
        QStringLiteral("only-modes"),
        QStringLiteral("Keep only these modes, WIDTHxHEIGHT@HZ or WIDTHxHEIGHTi@HZ separated by "
                       "commas, in every place of the table; the first becomes the preferred "
                       "timing, a mode the table lacks is added."),
        QStringLiteral("MODES")};
    QCommandLineOption maxMode{QStringLiteral("max-mode"),
                               QStringLiteral("Remove every mode with more pixels per second "
                                              "than this one, e.g. 1920x1080@60."),
                               QStringLiteral("MODE")};
    QCommandLineOption removeVic{QStringLiteral("remove-vic"),
                                 QStringLiteral("Remove the video format with this VIC "
                                                "(repeatable)."),
                                 QStringLiteral("N")};
    QCommandLineOption noHdr{QStringLiteral("no-hdr"),
                             QStringLiteral("Remove every HDR signal: HDR static and dynamic "
                                            "metadata, Dolby Vision, HDR10+, BT.2020 "
                                            "colorimetry.")};
    QCommandLineOption rgbOnly{QStringLiteral("rgb-only"),
                               QStringLiteral("Remove YCbCr: 4:4:4 and 4:2:2 support, the 4:2:0 "
                                              "blocks, YCbCr colorimetry and deep colour.")};
    QCommandLineOption noAudio{QStringLiteral("no-audio"),
                               QStringLiteral("Remove all audio, as for a DVI monitor.")};
    QCommandLineOption noDeepColor{QStringLiteral("no-deep-color"),
                                   QStringLiteral("Clear the HDMI and HDMI Forum deep colour "
                                                  "bits.")};
    QCommandLineOption noHdmiForum{QStringLiteral("no-hdmi-forum"),
                                   QStringLiteral("Remove the HDMI Forum blocks (HDMI 2.x).")};
    QCommandLineOption name{QStringLiteral("name"),
                            QStringLiteral("The display product name (at most 13 printable ASCII "
                                           "characters)."),
                            QStringLiteral("TEXT")};
    QCommandLineOption preferred{QStringLiteral("preferred"),
                                 QStringLiteral("The preferred mode, e.g. 1920x1080@60: a "
                                                "standard CTA/DMT timing, else CVT reduced "
                                                "blanking."),
                                 QStringLiteral("WxH@HZ")};
    QCommandLineOption addVic{QStringLiteral("add-vic"),
                              QStringLiteral("Add the video format with this VIC (repeatable)."),
                              QStringLiteral("N")};
    QCommandLineOption audio{
        QStringLiteral("audio"),
        QStringLiteral("An audio format FORMAT:CHANNELS[:RATES[:DETAIL]], e.g. lpcm:2, "
                       "lpcm:8:48,96,192:16,24, ac3:6::640 (repeatable); the given ones replace "
                       "all audio formats of the table."),
        QStringLiteral("SPEC")};
    QCommandLineOption speakers{QStringLiteral("speakers"),
                                QStringLiteral("The speaker allocation: stereo, 5.1 or 7.1."),
                                QStringLiteral("LAYOUT")};
    QCommandLineOption maxTmds{QStringLiteral("max-tmds"),
                               QStringLiteral("The HDMI maximum TMDS clock in MHz (5 to 340, in "
                                              "steps of 5)."),
                               QStringLiteral("MHZ")};
    QCommandLineOption output = outputOption(
        QStringLiteral("OUT"), QStringLiteral("Write the edited table to OUT ('-': standard "
                                              "output)."));
    QCommandLineOption format{FormatOptionName,
                              QStringLiteral("Write the table as hex|raw|c|base64 (default: the "
                                             "form OUT's name gives, else that of IN)."),
                              QStringLiteral("FORMAT")};

    QList<QCommandLineOption> edits() const
    {
        return {onlyModes,   maxMode, removeVic, noHdr,  rgbOnly, noAudio,  noDeepColor,
                noHdmiForum, name,    preferred, addVic, audio,   speakers, maxTmds};
    }
};

const EditOptions &editOptions()
{
    static const EditOptions options;
    return options;
}

QString optionName(const QCommandLineOption &option)
{
    return QStringLiteral("--") + option.names().constFirst();
}

// An edit whose refusal names the option it came from.
Edit labelled(const QString &label, std::function<EditResult(const EdidImage &)> edit)
{
    return [label, edit = std::move(edit)](const EdidImage &image) {
        EditResult result = edit(image);
        if (!result.ok())
            result.error = label + QStringLiteral(": ") + result.error;
        for (QString &note : result.notes)
            note = label + QStringLiteral(": ") + note;
        return result;
    };
}

std::optional<int> parseNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString checkEdit(const QCommandLineParser &parser, const QStringList &)
{
    const EditOptions &o = editOptions();
    if (!parser.isSet(OutputOptionName))
        return QStringLiteral("-o OUT is missing");
    const QList<QCommandLineOption> edits = o.edits();
    if (std::none_of(edits.begin(), edits.end(),
                     [&parser](const QCommandLineOption &option) { return parser.isSet(option); }))
        return QStringLiteral("no edit given; see 'varnex-edid edit --help'");
    for (const QCommandLineOption *option : {&o.removeVic, &o.addVic, &o.maxTmds}) {
        for (const QString &value : parser.values(*option)) {
            if (!parseNumber(value))
                return QStringLiteral("%1 takes a number, not '%2'")
                    .arg(optionName(*option), value);
        }
    }
    if (parser.isSet(o.onlyModes) && !edid::parseModeList(parser.value(o.onlyModes)))
        return QStringLiteral("--only-modes takes WIDTHxHEIGHT@HZ[,...], e.g. "
                              "1920x1080@60,1280x720@60, not '%1'")
            .arg(parser.value(o.onlyModes));
    if (parser.isSet(o.maxMode) && !edid::parseModeRequest(parser.value(o.maxMode)))
        return QStringLiteral("--max-mode takes WIDTHxHEIGHT@HZ, e.g. 1920x1080@60, not '%1'")
            .arg(parser.value(o.maxMode));
    if (parser.isSet(o.preferred) && !edid::parseModeRequest(parser.value(o.preferred)))
        return QStringLiteral("--preferred takes WIDTHxHEIGHT@HZ, e.g. 1920x1080@60, not '%1'")
            .arg(parser.value(o.preferred));
    for (const QString &spec : parser.values(o.audio)) {
        QString error;
        if (!edid::parseAudioSpec(spec, &error))
            return QStringLiteral("--audio '%1': %2").arg(spec, error);
    }
    if (parser.isSet(o.speakers) && !edid::speakerLayout(parser.value(o.speakers)))
        return QStringLiteral("--speakers takes stereo, 5.1 or 7.1, not '%1'")
            .arg(parser.value(o.speakers));
    return formatCheck(OutputFormats)(parser, {});
}

// The edits the options ask for, in the order of EditOptions.
QList<Edit> requestedEdits(const QCommandLineParser &parser)
{
    const EditOptions &o = editOptions();
    QList<Edit> edits;
    if (parser.isSet(o.onlyModes)) {
        const QList<edid::ModeRequest> modes =
            edid::parseModeList(parser.value(o.onlyModes)).value_or(QList<edid::ModeRequest>{});
        edits.append(labelled(optionName(o.onlyModes), [modes](const EdidImage &image) {
            return edid::keepOnlyModes(image, modes);
        }));
    }
    if (parser.isSet(o.maxMode)) {
        const edid::ModeRequest mode =
            edid::parseModeRequest(parser.value(o.maxMode)).value_or(edid::ModeRequest{});
        edits.append(labelled(optionName(o.maxMode), [mode](const EdidImage &image) {
            return edid::limitModes(image, mode);
        }));
    }
    for (const QString &value : parser.values(o.removeVic)) {
        const int vic = value.toInt();
        edits.append(
            labelled(QStringLiteral("--remove-vic ") + value,
                     [vic](const EdidImage &image) { return edid::removeVic(image, vic); }));
    }
    if (parser.isSet(o.noHdr))
        edits.append(labelled(optionName(o.noHdr), edid::removeHdr));
    if (parser.isSet(o.rgbOnly))
        edits.append(labelled(optionName(o.rgbOnly), edid::keepRgbOnly));
    if (parser.isSet(o.noAudio))
        edits.append(labelled(optionName(o.noAudio), edid::removeAudio));
    if (parser.isSet(o.noDeepColor))
        edits.append(labelled(optionName(o.noDeepColor), edid::removeDeepColor));
    if (parser.isSet(o.noHdmiForum))
        edits.append(labelled(optionName(o.noHdmiForum), edid::removeHdmiForumBlocks));
    if (parser.isSet(o.name)) {
        const QString name = parser.value(o.name);
        edits.append(labelled(optionName(o.name), [name](const EdidImage &image) {
            return edid::setDisplayProductName(image, name);
        }));
    }
    if (parser.isSet(o.preferred)) {
        const QString mode = parser.value(o.preferred);
        edits.append(labelled(optionName(o.preferred), [mode](const EdidImage &image) {
            return edid::setPreferredMode(image, mode);
        }));
    }
    for (const QString &value : parser.values(o.addVic)) {
        const int vic = value.toInt();
        edits.append(labelled(QStringLiteral("--add-vic ") + value,
                              [vic](const EdidImage &image) { return edid::addVic(image, vic); }));
    }
    if (parser.isSet(o.audio)) {
        QList<edid::ShortAudioDescriptor> sads;
        for (const QString &spec : parser.values(o.audio)) {
            QString error;
            sads.append(edid::parseAudioSpec(spec, &error).value_or(edid::ShortAudioDescriptor{}));
        }
        edits.append(labelled(optionName(o.audio), [sads](const EdidImage &image) {
            return edid::setAudioDescriptors(image, sads);
        }));
    }
    if (parser.isSet(o.speakers)) {
        const quint32 mask = edid::speakerLayout(parser.value(o.speakers)).value_or(0);
        edits.append(labelled(optionName(o.speakers), [mask](const EdidImage &image) {
            return edid::setSpeakerAllocation(image, mask);
        }));
    }
    if (parser.isSet(o.maxTmds)) {
        const int mhz = parser.value(o.maxTmds).toInt();
        edits.append(labelled(optionName(o.maxTmds), [mhz](const EdidImage &image) {
            return edid::setHdmiMaxTmdsClock(image, mhz);
        }));
    }
    return edits;
}

int runEdit(CommandContext &context)
{
    const QString &path = context.arguments.constFirst();
    int status = ExitSuccess;
    const std::optional<TableInput> table = loadTable(path, context.console, &status);
    if (!table)
        return status;
    const EditResult result = edid::applyEdits(table->image, requestedEdits(context.parser));
    if (!result.ok()) {
        context.console.message(
            QStringLiteral("%1: edit refused: %2").arg(inputName(path), result.error));
        return ExitInvalidData;
    }
    // An edit that found the table as asked says so; a script may repeat it.
    for (const QString &note : result.notes)
        context.console.message(QStringLiteral("%1: %2").arg(inputName(path), note));
    // Like fix, the edited table keeps the form of its file unless --format or OUT's name says
    // otherwise.
    const TableFormat format = chosenFormat(
        context.parser, OutputFormats,
        table->kind == edid::EdidFileKind::RawImage ? TableFormat::Raw : TableFormat::Hex);
    return writeOrReport(context.console, context.parser.value(OutputOptionName),
                         formatTable(*result.image, format));
}

const QString ListOptionName = QStringLiteral("list");

QString checkPreset(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (parser.isSet(ListOptionName))
        return arguments.isEmpty() ? QString() : QStringLiteral("preset --list takes no NAME");
    if (arguments.isEmpty())
        return QStringLiteral("preset needs a NAME, or --list");
    if (!edid::presetNames().contains(arguments.constFirst()))
        return QStringLiteral("'%1' is not a preset; 'varnex-edid preset --list' names them")
            .arg(arguments.constFirst());
    if (!parser.isSet(OutputOptionName))
        return QStringLiteral("-o OUT is missing");
    return formatCheck(OutputFormats)(parser, arguments);
}

int runPreset(CommandContext &context)
{
    if (context.parser.isSet(ListOptionName)) {
        QByteArray list;
        for (const QString &name : edid::presetNames())
            list +=
                (name + QLatin1Char('\t') + edid::presetTitle(name) + QLatin1Char('\n')).toUtf8();
        std::fwrite(list.constData(), 1, std::size_t(list.size()), stdout);
        std::fflush(stdout);
        return ExitSuccess;
    }
    const std::optional<EdidImage> image = edid::buildPreset(context.arguments.constFirst());
    if (!image) {
        context.console.message(QStringLiteral("the preset '%1' could not be built")
                                    .arg(context.arguments.constFirst()));
        return ExitInvalidData;
    }
    return writeOrReport(context.console, context.parser.value(OutputOptionName),
                         formatTable(*image, chosenFormat(context.parser, OutputFormats)));
}

} // namespace

Command editCommand()
{
    const EditOptions &o = editOptions();
    Command command;
    command.name = QStringLiteral("edit");
    command.synopsis = QStringLiteral("IN -o OUT [--format FORMAT] EDIT...");
    command.summary = QStringLiteral(
        "Write the table in IN to OUT with the edits, both checksums corrected. The edits apply "
        "in this order: --only-modes, --max-mode, --remove-vic, --no-hdr, --rgb-only, "
        "--no-audio, --no-deep-color, --no-hdmi-forum, --name, --preferred, --add-vic, --audio, "
        "--speakers, --max-tmds. An edit the table already satisfies is noted on standard "
        "error and is no error, so a script may repeat it. An edit that cannot be made is "
        "refused with the reason (exit status 3) and nothing is written.");
    command.options = QList<QCommandLineOption>{o.output, o.format} + o.edits();
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = runEdit;
    command.check = checkEdit;
    return command;
}

Command presetCommand()
{
    Command command;
    command.name = QStringLiteral("preset");
    command.synopsis = QStringLiteral("NAME -o OUT [--format FORMAT] | --list");
    command.summary = QStringLiteral("Write a complete, valid table built for a common need (a "
                                     "mode and its audio); --list prints each preset's name "
                                     "and title.");
    command.options = {
        outputOption(QStringLiteral("OUT"),
                     QStringLiteral("Write the table to OUT ('-': standard output).")),
        formatOption(OutputFormats),
        QCommandLineOption(ListOptionName, QStringLiteral("List the presets: name and title."))};
    command.minArguments = 0;
    command.maxArguments = 1;
    command.run = runPreset;
    command.check = checkPreset;
    return command;
}

} // namespace varnex::cli
