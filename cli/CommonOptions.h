#pragma once

#include "TableFormat.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <functional>
#include <optional>

namespace varnex::cli {

// Option names shared by several commands; each means the same in all of them.
inline const QString OutputOptionName = QStringLiteral("o");
inline const QString FormatOptionName = QStringLiteral("format");

// -o, with the name of its value as the command's synopsis writes it.
inline QCommandLineOption outputOption(const QString &valueName, const QString &description)
{
    return QCommandLineOption({OutputOptionName, QStringLiteral("output")}, description, valueName);
}

// --format with the `formats` a command writes, the first being the default.
inline QCommandLineOption formatOption(const QStringList &formats)
{
    return QCommandLineOption(FormatOptionName,
                              QStringLiteral("Write the table as %1 (default: the form OUT's name "
                                             "gives, else %2).")
                                  .arg(formats.join(QLatin1Char('|')), formats.constFirst()),
                              QStringLiteral("FORMAT"));
}

// The check of a command's --format: one of `formats`.
std::function<QString(const QCommandLineParser &, const QStringList &)>
formatCheck(const QStringList &formats);

// The form to write a table in: the --format the user chose (checked by
// formatCheck), else the one the name of -o OUT asks for (formatForFileName),
// else `fallback`, else the first of `formats`. Raw bytes never go to a
// terminal: for standard output on a terminal raw becomes hex text.
TableFormat chosenFormat(const QCommandLineParser &parser, const QStringList &formats,
                         std::optional<TableFormat> fallback = std::nullopt);

} // namespace varnex::cli
