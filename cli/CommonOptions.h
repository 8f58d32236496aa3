#pragma once

#include "TableFormat.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <functional>

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
                              QStringLiteral("Write the table as %1 (default %2).")
                                  .arg(formats.join(QLatin1Char('|')), formats.constFirst()),
                              QStringLiteral("FORMAT"));
}

// The check of a command's --format: one of `formats`.
std::function<QString(const QCommandLineParser &, const QStringList &)>
formatCheck(const QStringList &formats);

// The --format the user chose (checked by formatCheck), or the first of `formats`.
TableFormat chosenFormat(const QCommandLineParser &parser, const QStringList &formats);

} // namespace varnex::cli
