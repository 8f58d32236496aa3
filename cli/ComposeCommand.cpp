#include "ComposeCommand.h"

#include "CommonOptions.h"
#include "Console.h"
#include "ExitStatus.h"
#include "OutputFile.h"
#include "TableSources.h"
#include "capability/CapabilityJson.h"
#include "compose/Compose.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

namespace varnex::cli {

namespace {

const QStringList &OutputFormats = TableFormatNames;
const QString ReportOptionName = QStringLiteral("report");
const QString JsonOptionName = QStringLiteral("json");
const QString NameOptionName = QStringLiteral("name");
QByteArray resultJson(const CommandContext &context, const edid::ComposeResult &result)
{
    QJsonArray modes;
    for (const edid::CapabilityMode &mode : result.modes)
        modes.append(edid::capabilityModeJson(mode));
    const QJsonObject json{
        {"inputs", QJsonArray::fromStringList(context.arguments)},
        {"output", context.parser.value(OutputOptionName)},
        {"composed", result.ok()},
        {"error", result.ok() ? QJsonValue(QJsonValue::Null) : QJsonValue(result.error)},
        {"modes", modes},
        {"report", QJsonArray::fromStringList(result.report)}};
    return QJsonDocument(json).toJson(QJsonDocument::Indented);
}

int runCompose(CommandContext &context)
{
    TableSources sources(context);
    QList<edid::ComposeInput> inputs;
    for (const QString &argument : context.arguments) {
        int status = ExitSuccess;
        const std::optional<TableInput> table = sources.load(argument, &status);
        if (!table)
            return status;
        inputs.append({inputName(argument), table->image});
    }
    edid::ComposeOptions options;
    if (context.parser.isSet(NameOptionName))
        options.name = context.parser.value(NameOptionName);
    const edid::ComposeResult result = edid::composeTables(inputs, options);

    if (context.parser.isSet(JsonOptionName)) {
        const QByteArray json = resultJson(context, result);
        std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
        std::fflush(stdout);
    } else if (context.parser.isSet(ReportOptionName)) {
        for (const QString &line : result.report)
            context.console.message(line);
    }
    if (!result.ok()) {
        context.console.message(result.error);
        return ExitInvalidData;
    }
    return writeOrReport(context.console, context.parser.value(OutputOptionName),
                         formatTable(*result.image, chosenFormat(context.parser, OutputFormats)));
}

QString checkCompose(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.isSet(OutputOptionName))
        return QStringLiteral("-o OUT is missing");
    if (parser.isSet(JsonOptionName) &&
        parser.value(OutputOptionName) == QLatin1String(StandardStream))
        return QStringLiteral("--json prints to standard output; give -o a file");
    if (arguments.count(QLatin1String(StandardStream)) > 1)
        return QStringLiteral("standard input can be only one of the tables");
    return formatCheck(OutputFormats)(parser, arguments);
}

} // namespace

Command composeCommand()
{
    Command command;
    command.name = QStringLiteral("compose");
    command.synopsis =
        QStringLiteral("INPUT INPUT... -o OUT [--format FORMAT] [--report] [--json]");
    command.summary = QStringLiteral(
        "Write one table that every display behind the splitter accepts: the modes, audio and "
        "colour formats all INPUTs share, the largest mode of 50 Hz or more preferred. Each "
        "INPUT is a file, 'display:CONNECTOR' (as 'displays' lists it) or 'device' (the "
        "splitter's table). Exit status 3 when no mode is common to all.");
    command.options = {
        outputOption(QStringLiteral("OUT"),
                     QStringLiteral("Write the table to OUT ('-': standard output).")),
        formatOption(OutputFormats),
        QCommandLineOption(ReportOptionName,
                           QStringLiteral("Tell on standard error what each input lost and why.")),
        QCommandLineOption(JsonOptionName,
                           QStringLiteral("Print the modes written and the report as JSON.")),
        QCommandLineOption(NameOptionName,
                           QStringLiteral("The display name to write (default \"%1\").")
                               .arg(edid::DefaultComposedName),
                           QStringLiteral("NAME"))};
    command.minArguments = 2;
    command.maxArguments = Command::Unlimited;
    command.run = runCompose;
    command.check = checkCompose;
    return command;
}

} // namespace varnex::cli
