#include "DeviceCommands.h"

#include "Checksum.h"
#include "CommonOptions.h"
#include "Console.h"
#include "DeviceStack.h"
#include "DisplayCommands.h"
#include "EdidHeader.h"
#include "ExitStatus.h"
#include "OutputFile.h"
#include "TableFormat.h"
#include "TableInput.h"
#include "VerifiedWrite.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace varnex::cli {

using edid::EdidMode;
using edid::SessionStatus;

namespace {

// The reminder the window shows after a write; the splitter takes a new table
// only after its reset button has been pressed.
const char ResetReminder[] = "Press the reset button on the Varnex after every EDID table write";
// Read progress: the 16 chunks and the status request.
constexpr int ReadFrames = edid::ReadChunkCount + 1;
const QStringList ReadFormats = {QStringLiteral("hex"), QStringLiteral("raw")};
const QStringList ModeNames = {QStringLiteral("automix"), QStringLiteral("custom")};

QString hexByte(quint8 value)
{
    return QStringLiteral("0x%1").arg(QString::number(value, 16).toUpper().rightJustified(2, '0'));
}

// The read's progress on the console: frames done, as the bar counts them.
edid::TransferProgress readProgress(CommandContext &context)
{
    return [&context](int offset, int maximum) {
        if (maximum > 0)
            context.console.setProgress(offset / int(device::EdidChunkLength));
    };
}

QString modeName(EdidMode mode)
{
    return mode == EdidMode::Custom ? ModeNames[1] : ModeNames[0];
}

} // namespace

std::unique_ptr<DeviceStack> openStack(CommandContext &context, int *exitStatus)
{
    QString error;
    std::unique_ptr<DeviceStack> stack =
        DeviceStack::create(context.environment, context.console, &error);
    if (!stack) {
        context.console.message(error);
        *exitStatus = ExitUsage;
        return nullptr;
    }
    stack->session().chooseDevice(context.deviceLink);
    return stack;
}

int deviceFailure(CommandContext &context, SessionStatus status, const QString &message)
{
    if (status == SessionStatus::HardwareNotFound && !context.deviceLink.isEmpty()) {
        context.console.message(QStringLiteral("%1: no Varnex with the link string \"%2\"; "
                                               "'varnex-edid devices' lists the bridge devices")
                                    .arg(message, QString::fromUtf8(context.deviceLink)));
    } else {
        context.console.message(message);
    }
    return ExitFailure;
}

std::optional<edid::EdidImage> readDeviceTable(CommandContext &context,
                                               edid::DeviceSession &session, int *exitStatus)
{
    context.console.startProgress(QStringLiteral("Reading"), ReadFrames);
    const edid::SessionReadResult result = session.readTable(readProgress(context));
    context.console.endProgress(result.status == SessionStatus::Done);
    if (result.status != SessionStatus::Done) {
        *exitStatus = deviceFailure(context, result.status, result.message());
        return std::nullopt;
    }
    return result.image;
}

namespace {

QString deviceString(const std::optional<QByteArray> &text)
{
    return text ? QString::fromUtf8(*text) : QString();
}

QByteArray devicesJson(const QList<edid::BridgeDeviceInfo> &devices)
{
    QJsonArray list;
    for (const edid::BridgeDeviceInfo &device : devices) {
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

QByteArray devicesTable(const QList<edid::BridgeDeviceInfo> &devices)
{
    // A string that is missing or empty shows as "-", so that every column has a word.
    const auto cell = [](const std::optional<QByteArray> &text) {
        return text && !text->isEmpty() ? deviceString(text) : QStringLiteral("-");
    };
    QList<QStringList> rows = {{QStringLiteral("INDEX"), QStringLiteral("SERIAL"),
                                QStringLiteral("LINK"), QStringLiteral("VARNEX")}};
    for (const edid::BridgeDeviceInfo &device : devices) {
        rows.append({QString::number(device.index), cell(device.serial), cell(device.linkName),
                     device.isVarnex ? QStringLiteral("yes") : QStringLiteral("no")});
    }
    QList<qsizetype> widths(rows.constFirst().size(), 0);
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }
    QString text;
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype column = 0; column < row.size(); ++column)
            line += row[column].leftJustified(widths[column] + 2);
        text += line.trimmed() + QLatin1Char('\n');
    }
    return text.toUtf8();
}

int runDevices(CommandContext &context)
{
    int status = ExitSuccess;
    const std::unique_ptr<DeviceStack> stack = openStack(context, &status);
    if (!stack)
        return status;
    const std::optional<QList<edid::BridgeDeviceInfo>> devices = stack->session().listDevices();
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
    int status = ExitSuccess;
    const std::unique_ptr<DeviceStack> stack = openStack(context, &status);
    if (!stack)
        return status;

    const std::optional<edid::EdidImage> image =
        readDeviceTable(context, stack->session(), &status);
    if (!image)
        return status;

    const QString path = context.parser.isSet(OutputOptionName)
                             ? context.parser.value(OutputOptionName)
                             : QLatin1String(StandardStream);
    return writeOrReport(context.console, path, formatTable(*image, format));
}

// The checks of a table that need no device; false after telling the user.
bool acceptForWrite(CommandContext &context, const QString &path, const edid::EdidImage &image)
{
    if (context.parser.isSet(QStringLiteral("force")))
        return true;
    if (!edid::hasEdidHeader(image)) {
        context.console.message(QStringLiteral("%1: the table has no EDID header (00 FF FF FF FF "
                                               "FF FF 00) and the source will not accept it; "
                                               "--force writes it anyway")
                                    .arg(inputName(path)));
        return false;
    }
    bool correct = true;
    for (int block = 0; block < edid::EdidImageSize / edid::EdidBlockSize; ++block) {
        if (edid::blockChecksumCorrect(image, block))
            continue;
        const int at = block * edid::EdidBlockSize;
        context.console.message(
            QStringLiteral("%1: the checksum of block %2 is not correct (%3, should be %4)")
                .arg(inputName(path))
                .arg(block)
                .arg(hexByte(image[std::size_t(at + edid::EdidChecksumOffset)]),
                     hexByte(edid::BlockChkSum(image.data() + at))));
        correct = false;
    }
    if (!correct) {
        context.console.message(QStringLiteral("correct it with 'varnex-edid fix %1 -o FIXED', or "
                                               "write it anyway with --force")
                                    .arg(path));
    }
    return correct;
}

// Makes sure the Varnex is in CUSTOM mode, the only one in which it takes a table.
int requireCustomMode(CommandContext &context, edid::DeviceSession &session)
{
    edid::SessionModeResult mode = session.queryMode();
    if (mode.status == SessionStatus::Done && mode.mode == EdidMode::Automix) {
        if (!context.parser.isSet(QStringLiteral("custom"))) {
            context.console.message(QStringLiteral(
                "The Varnex is in AUTOMIX mode, in which it takes no table; --custom selects "
                "CUSTOM mode first"));
            return ExitFailure;
        }
        mode = session.selectMode(EdidMode::Custom);
    }
    if (mode.status != SessionStatus::Done)
        return deviceFailure(context, mode.status, mode.message());
    if (mode.mode != EdidMode::Custom) {
        context.console.message(QStringLiteral("The Varnex stayed in AUTOMIX mode"));
        return ExitFailure;
    }
    return ExitSuccess;
}

int runWrite(CommandContext &context)
{
    const QString path = context.arguments.constFirst();
    int status = ExitSuccess;
    const std::optional<TableInput> table = loadTable(path, context.console, &status);
    if (!table)
        return status;
    if (!acceptForWrite(context, path, table->image))
        return ExitInvalidData;
    const std::unique_ptr<DeviceStack> stack = openStack(context, &status);
    if (!stack)
        return status;
    edid::DeviceSession &session = stack->session();
    if (const int modeStatus = requireCustomMode(context, session); modeStatus != ExitSuccess)
        return modeStatus;

    context.console.startProgress(QStringLiteral("Writing"), edid::WriteFrameCount);
    const edid::SessionWriteResult result =
        session.writeTable(table->image, [&context](int frame, int maximum) {
            if (maximum > 0)
                context.console.setProgress(frame);
        });
    context.console.endProgress(result.status == SessionStatus::Done);
    if (result.status == SessionStatus::HardwareNotFound)
        return deviceFailure(context, result.status, result.message());
    // Frames went out: whatever the Varnex stored, it shows only after a reset.
    status = ExitSuccess;
    if (result.status != SessionStatus::Done) {
        status = deviceFailure(context, result.status, result.message());
    } else if (!context.parser.isSet(QStringLiteral("no-verify"))) {
        context.console.startProgress(QStringLiteral("Reading"), ReadFrames);
        const edid::WriteVerification check =
            edid::verifyWrittenTable(session, table->image, readProgress(context));
        context.console.endProgress(check.readBack.status == SessionStatus::Done);
        if (check.outcome != edid::WriteVerification::Equal) {
            context.console.message(check.message());
            context.console.message(check.advice());
            status = ExitFailure;
        }
    }
    context.console.message(QLatin1String(ResetReminder));
    return status;
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
    int status = ExitSuccess;
    const std::unique_ptr<DeviceStack> stack = openStack(context, &status);
    if (!stack)
        return status;
    const edid::SessionModeResult result =
        wanted ? stack->session().selectMode(*wanted) : stack->session().queryMode();
    if (result.status != SessionStatus::Done)
        return deviceFailure(context, result.status, result.message());
    status = writeOrReport(context.console, QLatin1String(StandardStream),
                           modeName(result.mode).toLatin1() + '\n');
    if (status == ExitSuccess && wanted && result.mode != *wanted) {
        context.console.message(
            QStringLiteral("The Varnex stayed in %1 mode").arg(modeName(result.mode).toUpper()));
        return ExitFailure;
    }
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
    command.synopsis = QStringLiteral("[-o FILE] [--format hex|raw] [--from-display CONNECTOR]");
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
                           QStringLiteral("Write a table without the EDID header or with "
                                          "wrong checksums.")),
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
