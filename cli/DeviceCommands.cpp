#include "DeviceCommands.h"

#include "CommonOptions.h"
#include "Console.h"
#include "DeviceMessages.h"
#include "DisplayCommands.h"
#include "ExitStatus.h"
#include "OutputFile.h"
#include "TableFormat.h"
#include "TableInput.h"
#include "TableUpload.h"
#include "TextColumns.h"
#include "UploadChecks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace varnex::cli {

using splitter::EdidMode;
using splitter::SessionStatus;
using splitter::UploadStep;

namespace {

// Read progress: the 16 chunks and the status request.
constexpr int ReadFrames = splitter::ReadChunkCount + 1;
const QStringList &ReadFormats = TableFormatNames;
const QStringList ModeNames = {QStringLiteral("automix"), QStringLiteral("custom")};

// A transfer's progress on the console, in frames done as the bar counts
// them: the read reports chunk offsets against 255, the write frames.
void showProgress(Console &console, int value, int maximum)
{
    if (maximum <= 0)
        return;
    console.setProgress(
        maximum == splitter::ReadProgressMaximum ? value / int(device::EdidChunkLength) : value);
}

splitter::TransferProgress progressOn(Console &console)
{
    return [&console](int value, int maximum) { showProgress(console, value, maximum); };
}

QString modeName(EdidMode mode)
{
    return mode == EdidMode::Custom ? ModeNames[1] : ModeNames[0];
}

} // namespace

std::unique_ptr<splitter::DeviceStack> openStack(CommandContext &context)
{
    splitter::DeviceStackResult built =
        splitter::DeviceStack::create(context.environment, context.deviceMessages);
    if (!built.done()) {
        context.console.message(built.message);
        return nullptr;
    }
    built.stack->session().chooseDevice(context.deviceLink);
    return std::move(built.stack);
}

namespace {

// A Varnex not found because the bridge would not open for this user: the
// one advice a failed read or mode request prints too, as it names the fix.
bool deniedAccess(const splitter::Outcome &outcome)
{
    return outcome.status == SessionStatus::HardwareNotFound &&
           outcome.advice == QLatin1String(device::messages::AccessDenied);
}

} // namespace

int deviceFailure(CommandContext &context, const splitter::Outcome &outcome)
{
    if (outcome.status == SessionStatus::HardwareNotFound && !context.deviceLink.isEmpty()) {
        context.console.message(QStringLiteral("%1: no Varnex with the link string \"%2\"; "
                                               "'varnex-edid devices' lists the bridge devices")
                                    .arg(outcome.message, QString::fromUtf8(context.deviceLink)));
    } else {
        context.console.message(outcome.message);
    }
    if (deniedAccess(outcome))
        context.console.message(outcome.advice);
    return ExitFailure;
}

splitter::SessionReadResult readDeviceTable(CommandContext &context,
                                            splitter::DeviceSession &session)
{
    context.console.startProgress(QStringLiteral("Reading"), ReadFrames);
    const splitter::SessionReadResult result = session.readTable(progressOn(context.console));
    context.console.endProgress(result.done());
    if (!result.done())
        deviceFailure(context, result);
    return result;
}

namespace {

QString deviceString(const std::optional<QByteArray> &text)
{
    return text ? QString::fromUtf8(*text) : QString();
}

QByteArray devicesJson(const QList<splitter::BridgeDeviceInfo> &devices)
{
    QJsonArray list;
    for (const splitter::BridgeDeviceInfo &device : devices) {
        QJsonObject entry;
        entry[QStringLiteral("index")] = qint64(device.index);
        entry[QStringLiteral("serial")] =
            device.serial ? QJsonValue(deviceString(device.serial)) : QJsonValue();
        entry[QStringLiteral("link")] =
            device.linkName ? QJsonValue(deviceString(device.linkName)) : QJsonValue();
        entry[QStringLiteral("varnex")] = device.isVarnex;
        list.append(entry);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

QByteArray devicesTable(const QList<splitter::BridgeDeviceInfo> &devices)
{
    // A string that is missing or empty shows as "-", so that every column has a word.
    const auto cell = [](const std::optional<QByteArray> &text) {
        return text && !text->isEmpty() ? deviceString(text) : QStringLiteral("-");
    };
    QList<QStringList> rows = {{QStringLiteral("INDEX"), QStringLiteral("SERIAL"),
                                QStringLiteral("LINK"), QStringLiteral("VARNEX")}};
    for (const splitter::BridgeDeviceInfo &device : devices) {
        rows.append({QString::number(device.index), cell(device.serial), cell(device.linkName),
                     device.isVarnex ? QStringLiteral("yes") : QStringLiteral("no")});
    }
    return formatColumns(rows);
}

int runDevices(CommandContext &context)
{
    const std::unique_ptr<splitter::DeviceStack> stack = openStack(context);
    if (!stack)
        return ExitUsage;
    const std::optional<QList<splitter::BridgeDeviceInfo>> devices = stack->session().listDevices();
    if (!devices) {
        context.console.message(QStringLiteral("cannot count the bridge devices"));
        return ExitFailure;
    }
    const bool json = context.parser.isSet(QStringLiteral("json"));
    return writeOrReport(context.console, QLatin1String(StandardStream),
                         json ? devicesJson(*devices) : devicesTable(*devices));
}

int runRead(CommandContext &context)
{
    const TableFormat format = chosenFormat(context.parser, ReadFormats);
    if (context.parser.isSet(FromDisplayOptionName))
        return readFromDisplay(context, format);
    const std::unique_ptr<splitter::DeviceStack> stack = openStack(context);
    if (!stack)
        return ExitUsage;

    const splitter::SessionReadResult read = readDeviceTable(context, stack->session());
    if (!read.done())
        return ExitFailure;

    const QString path = context.parser.isSet(OutputOptionName)
                             ? context.parser.value(OutputOptionName)
                             : QLatin1String(StandardStream);
    return writeOrReport(context.console, path, formatTable(read.image, format));
}

// The checks of a table that stop a write unless --force; false after
// telling the user.
bool acceptForWrite(CommandContext &context, const QString &path, const edid::EdidImage &image)
{
    using splitter::UploadCheckKind;
    const QList<splitter::UploadCheck> checks = splitter::checksBeforeUpload(image);
    if (checks.isEmpty())
        return true;
    const QList<splitter::UploadCheck> header =
        splitter::checksOfKind(checks, UploadCheckKind::HeaderMissing);
    const QList<splitter::UploadCheck> checksums =
        splitter::checksOfKind(checks, UploadCheckKind::ChecksumWrong);
    for (const splitter::UploadCheck &check : header + checksums)
        context.console.message(QStringLiteral("%1: %2").arg(inputName(path), check.message));
    if (const QString errors = splitter::describeDecoderErrors(checks); !errors.isEmpty())
        context.console.message(QStringLiteral("%1: %2").arg(inputName(path), errors));
    // fix mends the checksums and the extension count only; a table without
    // its header needs more than that.
    if (!header.isEmpty()) {
        context.console.message(QStringLiteral("write it anyway with --force"));
    } else if (checksums.size() == checks.size()) {
        context.console.message(QStringLiteral("correct it with 'varnex-edid fix %1 -o FIXED', or "
                                               "write it anyway with --force")
                                    .arg(path));
    } else {
        context.console.message(QStringLiteral("fix the table ('varnex-edid fix %1 -o FIXED' "
                                               "mends the checksums and the extension count), or "
                                               "write it anyway with --force")
                                    .arg(path));
    }
    return false;
}

// What an upload that did not end Done tells the user; returns ExitFailure.
int uploadFailure(CommandContext &context, const splitter::UploadOutcome &outcome)
{
    deviceFailure(context, outcome);
    if (!outcome.advice.isEmpty() && !deniedAccess(outcome))
        context.console.message(outcome.advice);
    if (outcome.status == SessionStatus::Refused && outcome.step == UploadStep::ModeGuard &&
        !context.parser.isSet(QStringLiteral("custom")))
        context.console.message(QStringLiteral("--custom selects CUSTOM mode first"));
    return ExitFailure;
}

int runWrite(CommandContext &context)
{
    const QString path = context.arguments.constFirst();
    int status = ExitSuccess;
    const std::optional<TableInput> table = loadTable(path, context.console, &status);
    if (!table)
        return status;
    if (!context.parser.isSet(QStringLiteral("force")) &&
        !acceptForWrite(context, path, table->image))
        return ExitInvalidData;
    const std::unique_ptr<splitter::DeviceStack> stack = openStack(context);
    if (!stack)
        return ExitUsage;

    Console &console = context.console;
    splitter::UploadOptions options;
    // The command asks the Varnex: no earlier action of this process knows its mode.
    options.guard = context.parser.isSet(QStringLiteral("custom"))
                        ? splitter::ModeGuard::SelectCustom
                        : splitter::ModeGuard::AskDevice;
    options.readBack = !context.parser.isSet(QStringLiteral("no-verify"));
    options.transferStarts = [&console](UploadStep step) {
        if (step == UploadStep::Write)
            console.startProgress(QStringLiteral("Writing"), splitter::WriteFrameCount);
        else
            console.startProgress(QStringLiteral("Reading"), ReadFrames);
    };
    options.progress = progressOn(console);
    options.transferEnded = [&console](UploadStep, bool complete) {
        console.endProgress(complete);
    };
    const splitter::UploadOutcome outcome =
        splitter::uploadTable(stack->session(), table->image, options);
    if (!outcome.done())
        return uploadFailure(context, outcome);
    // The new table shows only after the Varnex's reset: said after every
    // completed write, not only once as the window does, and in the one line
    // of a success, which -q leaves out.
    if (!context.parser.isSet(QStringLiteral("quiet")))
        console.message(splitter::completedUploadSummary(outcome) + QLatin1Char(' ') +
                        splitter::resetReminder() + QLatin1Char('.'));
    return ExitSuccess;
}

QString checkMode(const QCommandLineParser &, const QStringList &arguments)
{
    if (arguments.isEmpty() || ModeNames.contains(arguments.constFirst()))
        return {};
    return QStringLiteral("mode takes automix or custom, not '%1'").arg(arguments.constFirst());
}

int runMode(CommandContext &context)
{
    std::optional<EdidMode> wanted;
    if (!context.arguments.isEmpty()) {
        wanted =
            context.arguments.constFirst() == ModeNames[1] ? EdidMode::Custom : EdidMode::Automix;
    }
    const std::unique_ptr<splitter::DeviceStack> stack = openStack(context);
    if (!stack)
        return ExitUsage;
    const splitter::SessionModeResult result =
        wanted ? stack->session().selectMode(*wanted) : stack->session().queryMode();
    // Refused: the Varnex answered, but kept its mode; that mode is printed.
    if (!result.done() && result.status != SessionStatus::Refused)
        return deviceFailure(context, result);
    const int status = writeOrReport(context.console, QLatin1String(StandardStream),
                                     modeName(result.mode).toLatin1() + '\n');
    if (status == ExitSuccess && !result.done())
        return deviceFailure(context, result);
    return status;
}

} // namespace

Command devicesCommand()
{
    Command command;
    command.name = QStringLiteral("devices");
    command.synopsis = QStringLiteral("[--json]");
    command.summary =
        QStringLiteral("List the USB bridge devices: index, serial string, link string, and "
                       "whether it is a Varnex.");
    command.options = {
        QCommandLineOption(QStringLiteral("json"), QStringLiteral("Print the list as JSON."))};
    command.run = runDevices;
    return command;
}

Command readCommand()
{
    Command command;
    command.name = QStringLiteral("read");
    command.synopsis =
        QStringLiteral("[-o FILE] [--format hex|raw|c|base64] [--from-display CONNECTOR]");
    command.summary = QStringLiteral("Read the splitter's table, or with --from-display that "
                                     "display's; print it as EDID hex text or write it to FILE.");
    command.options = {
        outputOption(QStringLiteral("FILE"),
                     QStringLiteral("Write the table to FILE ('-': standard output).")),
        formatOption(ReadFormats),
        QCommandLineOption(FromDisplayOptionName,
                           QStringLiteral("Read the EDID of the display on CONNECTOR of this "
                                          "computer, as 'displays' lists it, instead of the "
                                          "splitter's."),
                           QStringLiteral("CONNECTOR"))};
    command.run = runRead;
    command.check = formatCheck(ReadFormats);
    return command;
}

Command writeCommand()
{
    Command command;
    command.name = QStringLiteral("write");
    command.synopsis = QStringLiteral("FILE [--force] [--custom] [--no-verify]");
    command.summary = QStringLiteral("Upload the table in FILE to the splitter (CUSTOM mode "
                                     "only), then read it back and compare.");
    command.options = {
        QCommandLineOption(QStringLiteral("force"),
                           QStringLiteral("Write a table without the EDID header, with "
                                          "wrong checksums or with other errors.")),
        QCommandLineOption(QStringLiteral("custom"),
                           QStringLiteral("Select CUSTOM mode first if the splitter is in "
                                          "AUTOMIX mode.")),
        QCommandLineOption(QStringLiteral("no-verify"),
                           QStringLiteral("Do not read the table back after the write."))};
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = runWrite;
    return command;
}

Command modeCommand()
{
    Command command;
    command.name = QStringLiteral("mode");
    command.synopsis = QStringLiteral("[automix|custom]");
    command.summary = QStringLiteral("Print the splitter's mode, or select one and print it.");
    command.maxArguments = 1;
    command.run = runMode;
    command.check = checkMode;
    return command;
}

} // namespace varnex::cli
