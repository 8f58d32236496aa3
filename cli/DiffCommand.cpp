#include "DiffCommand.h"

#include "Console.h"
#include "DeviceCommands.h"
#include "EdidComparison.h"
#include "OutputFile.h"
#include "TableInput.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace varnex::cli {

namespace {

// The word that stands for the splitter's table instead of a file.
const char DeviceWord[] = "device";

// The exit statuses of diff(1), which scripts that compare files expect.
enum DiffStatus : int
{
    DiffEqual = 0,
    DiffDifferent = 1,
    DiffTrouble = 2,
};

std::optional<edid::EdidImage> loadSide(CommandContext &context, const QString &argument,
                                        std::unique_ptr<splitter::DeviceStack> &stack)
{
    if (argument != QLatin1String(DeviceWord)) {
        int status = 0;
        const std::optional<TableInput> table = loadTable(argument, context.console, &status);
        return table ? std::optional(table->image) : std::nullopt;
    }
    // Both sides may be the device: one stack serves them.
    if (!stack)
        stack = openStack(context);
    if (!stack)
        return std::nullopt;
    const splitter::SessionReadResult read = readDeviceTable(context, stack->session());
    return read.done() ? std::optional(read.image) : std::nullopt;
}

int runDiff(CommandContext &context)
{
    std::unique_ptr<splitter::DeviceStack> stack;
    const std::optional<edid::EdidImage> first = loadSide(context, context.arguments[0], stack);
    if (!first)
        return DiffTrouble;
    const std::optional<edid::EdidImage> second = loadSide(context, context.arguments[1], stack);
    if (!second)
        return DiffTrouble;

    const edid::TableComparison comparison = edid::compareTables(*first, *second);
    QByteArray output;
    if (context.parser.isSet(QStringLiteral("json"))) {
        QJsonObject json = edid::comparisonJson(comparison);
        json[QStringLiteral("first")] = context.arguments[0];
        json[QStringLiteral("second")] = context.arguments[1];
        output = QJsonDocument(json).toJson(QJsonDocument::Indented);
    } else {
        output = edid::comparisonText(comparison).toUtf8();
    }
    if (writeOrReport(context.console, QLatin1String(StandardStream), output) != 0)
        return DiffTrouble;
    return comparison.identical() ? DiffEqual : DiffDifferent;
}

QString checkDiff(const QCommandLineParser &, const QStringList &arguments)
{
    if (arguments.count(QLatin1String(StandardStream)) > 1)
        return QStringLiteral("standard input can be only one of the two tables");
    return {};
}

} // namespace

Command diffCommand()
{
    Command command;
    command.name = QStringLiteral("diff");
    command.synopsis = QStringLiteral("A B [--json]");
    command.summary = QStringLiteral(
        "Compare two tables, each a file or 'device' (the splitter's): one line per differing "
        "field with its decoded name and both values, then each differing byte. Exit status "
        "0 equal, 1 different, 2 trouble.");
    command.options = {QCommandLineOption(QStringLiteral("json"),
                                          QStringLiteral("Print the differences as JSON."))};
    command.minArguments = 2;
    command.maxArguments = 2;
    command.run = runDiff;
    command.check = checkDiff;
    return command;
}

} // namespace varnex::cli
