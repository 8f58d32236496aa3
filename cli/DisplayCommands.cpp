#include "DisplayCommands.h"

#include "CommonOptions.h"
#include "Console.h"
#include "DisplayEdids.h"
#include "ExitStatus.h"
#include "OutputFile.h"

namespace varnex::cli {

namespace {

// Space between the columns of the list.
constexpr qsizetype ColumnGap = 2;

QByteArray displaysTable(const QList<edid::DisplayEdid> &displays)
{
    const QString connectorHeading = QStringLiteral("CONNECTOR");
    qsizetype width = connectorHeading.size();
    for (const edid::DisplayEdid &display : displays)
        width = std::max(width, display.connector.size());
    QString text = connectorHeading.leftJustified(width + ColumnGap) + QStringLiteral("NAME\n");
    for (const edid::DisplayEdid &display : displays) {
        // An unknown name shows as "-", so that every column has a word.
        const QString name =
            display.productName.isEmpty() ? QStringLiteral("-") : display.productName;
        text += display.connector.leftJustified(width + ColumnGap) + name + QLatin1Char('\n');
    }
    return text.toUtf8();
}

int runDisplays(CommandContext &context)
{
    const QList<edid::DisplayEdid> displays =
        edid::listDisplayEdids(edid::drmDirectory(), edid::decodedProductName);
    if (displays.isEmpty())
        context.console.message(
            QStringLiteral("no display with an EDID found in %1").arg(edid::drmDirectory()));
    return writeOrReport(context.console, QLatin1String(StandardStream), displaysTable(displays));
}

} // namespace

std::optional<TableInput> loadDisplayTable(CommandContext &context, const QString &connector,
                                           int *exitStatus)
{
    const std::optional<edid::DisplayEdid> display =
        edid::findDisplayEdid(edid::listDisplayEdids(edid::drmDirectory()), connector);
    if (!display) {
        context.console.message(QStringLiteral("no display with an EDID on connector \"%1\"; "
                                               "'varnex-edid displays' lists them")
                                    .arg(connector));
        *exitStatus = ExitFailure;
        return std::nullopt;
    }
    return interpretTable(display->edid, QStringLiteral("display %1").arg(display->connector),
                          context.console, exitStatus);
}

int readFromDisplay(CommandContext &context, TableFormat format)
{
    int status = ExitSuccess;
    const std::optional<TableInput> table =
        loadDisplayTable(context, context.parser.value(FromDisplayOptionName), &status);
    if (!table)
        return status;
    const QString path = context.parser.isSet(OutputOptionName)
                             ? context.parser.value(OutputOptionName)
                             : QLatin1String(StandardStream);
    return writeOrReport(context.console, path, formatTable(table->image, format));
}

Command displaysCommand()
{
    Command command;
    command.name = QStringLiteral("displays");
    command.summary = QStringLiteral("List the displays connected to this computer that have an "
                                     "EDID: connector and product name.");
    command.run = runDisplays;
    return command;
}

} // namespace varnex::cli
