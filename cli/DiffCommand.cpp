#include "DiffCommand.h"

#include "Console.h"
#include "EdidComparison.h"
#include "OutputFile.h"
#include "TableSources.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace varnex::cli {

namespace {

// The exit statuses of diff(1), which scripts that compare files expect.
enum DiffStatus : int
{
    DiffEqual = 0,
    DiffDifferent = 1,
    DiffTrouble = 2,
};

int runDiff(CommandContext &context)
{
    // Both sides may be the device: one stack serves them.
    TableSources sources(context);
    int status = 0;
    const std::optional<TableInput> first = sources.load(context.arguments[0], &status);
    if (!first)
        return DiffTrouble;
    const std::optional<TableInput> second = sources.load(context.arguments[1], &status);
    if (!second)
        return DiffTrouble;

    const edid::TableComparison comparison = edid::compareTables(first->image, second->image);
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
        "Compare two tables, each a file or 'device' (the splitter's): first what they say "
        "differently (modes only in A or B, audio, colour formats, HDR, identity, blocks), then "
        "one line per differing field with its decoded name and both values, each differing "
        "byte below it. Exit status 0 equal, 1 different, 2 trouble.");
    command.options = {QCommandLineOption(
        QStringLiteral("json"),
        QStringLiteral("Print the differences as JSON, the meaning under 'meaning'."))};
    command.minArguments = 2;
    command.maxArguments = 2;
    command.run = runDiff;
    command.check = checkDiff;
    return command;
}

} // namespace varnex::cli
