#include "CommonOptions.h"

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

TableFormat chosenFormat(const QCommandLineParser &parser, const QStringList &formats)
{
    const QString name =
        parser.isSet(FormatOptionName) ? parser.value(FormatOptionName) : formats.constFirst();
    return parseTableFormat(name, formats).value_or(TableFormat::Hex);
}

} // namespace varnex::cli
