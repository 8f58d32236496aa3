#include "CommonOptions.h"

#include "OutputFile.h"

namespace varnex::cli {

std::function<QString(const QCommandLineParser &, const QStringList &)>
formatCheck(const QStringList &formats)
{
    return [formats](const QCommandLineParser &parser, const QStringList &) {
        if (!parser.isSet(FormatOptionName) ||
            parseTableFormat(parser.value(FormatOptionName), formats))
            return QString();
        return QStringLiteral("--format takes %1, not '%2'")
            .arg(formats.join(QStringLiteral(", ")), parser.value(FormatOptionName));
    };
}

TableFormat chosenFormat(const QCommandLineParser &parser, const QStringList &formats,
                         std::optional<TableFormat> fallback)
{
    const QString out = parser.isSet(OutputOptionName) ? parser.value(OutputOptionName)
                                                       : QLatin1String(StandardStream);
    std::optional<TableFormat> format;
    if (parser.isSet(FormatOptionName))
        format = parseTableFormat(parser.value(FormatOptionName), formats);
    if (!format)
        format = formatForFileName(out, formats);
    if (!format)
        format = fallback ? fallback : parseTableFormat(formats.constFirst(), formats);
    const TableFormat chosen = format.value_or(TableFormat::Hex);
    if (chosen == TableFormat::Raw && out == QLatin1String(StandardStream) &&
        standardOutputIsTerminal())
        return TableFormat::Hex;
    return chosen;
}

} // namespace varnex::cli
