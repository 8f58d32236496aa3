#include "FileCommands.h"

#include "Checksum.h"
#include "CommonOptions.h"
#include "Console.h"
#include "ExitStatus.h"
#include "ExtensionCount.h"
#include "OutputFile.h"
#include "TableFormat.h"
#include "TableInput.h"

namespace varnex::cli {

namespace {

const QStringList &ConvertFormats = TableFormatNames;

QString requireOutput(const QCommandLineParser &parser)
{
    return parser.isSet(OutputOptionName) ? QString() : QStringLiteral("-o OUT is missing");
}

int writeTable(CommandContext &context, const QByteArray &bytes)
{
    return writeOrReport(context.console, context.parser.value(OutputOptionName), bytes);
}

int runFix(CommandContext &context)
{
    int status = ExitSuccess;
    std::optional<TableInput> table =
        loadTable(context.arguments.constFirst(), context.console, &status);
    if (!table)
        return status;
    if (const auto change = edid::correctExtensionCount(table->image))
        context.console.message(QStringLiteral("%1: %2").arg(
            inputName(context.arguments.constFirst()), change->description()));
    edid::correctChecksums(table->image);
    // Unless --format or OUT's name says otherwise, the corrected table keeps the form of its file.
    const TableFormat format = chosenFormat(
        context.parser, ConvertFormats,
        table->kind == edid::EdidFileKind::RawImage ? TableFormat::Raw : TableFormat::Hex);
    return writeTable(context, formatTable(table->image, format));
}

int runConvert(CommandContext &context)
{
    int status = ExitSuccess;
    const std::optional<TableInput> table =
        loadTable(context.arguments.constFirst(), context.console, &status);
    if (!table)
        return status;
    return writeTable(context,
                      formatTable(table->image, chosenFormat(context.parser, ConvertFormats)));
}

} // namespace

Command fixCommand()
{
    Command command;
    command.name = QStringLiteral("fix");
    command.synopsis = QStringLiteral("FILE -o OUT [--format hex|raw|c|base64]");
    command.summary =
        QStringLiteral("Write the table with both block checksums corrected, and an extension "
                       "count (byte 0x7E) of more blocks than the table holds lowered, in the "
                       "form OUT's name or --format asks for, else that of FILE.");
    command.options = {
        outputOption(QStringLiteral("OUT"), QStringLiteral("Write the corrected table to OUT "
                                                           "('-': standard output).")),
        QCommandLineOption(FormatOptionName,
                           QStringLiteral("Write the table as hex|raw|c|base64 (default: the form "
                                          "OUT's name gives, else that of FILE)."),
                           QStringLiteral("FORMAT"))};
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = runFix;
    command.check = [check = formatCheck(ConvertFormats)](const QCommandLineParser &parser,
                                                          const QStringList &arguments) {
        const QString missing = requireOutput(parser);
        return missing.isEmpty() ? check(parser, arguments) : missing;
    };
    return command;
}

Command convertCommand()
{
    Command command;
    command.name = QStringLiteral("convert");
    command.synopsis = QStringLiteral("IN -o OUT [--format hex|raw|c|base64]");
    command.summary = QStringLiteral("Write the table in IN to OUT in another form.");
    command.options = {
        outputOption(QStringLiteral("OUT"),
                     QStringLiteral("Write the table to OUT ('-': standard output).")),
        formatOption(ConvertFormats)};
    command.minArguments = 1;
    command.maxArguments = 1;
    command.run = runConvert;
    command.check = [check = formatCheck(ConvertFormats)](const QCommandLineParser &parser,
                                                          const QStringList &arguments) {
        const QString missing = requireOutput(parser);
        return missing.isEmpty() ? check(parser, arguments) : missing;
    };
    return command;
}

} // namespace varnex::cli
