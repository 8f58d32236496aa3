#include "XrandrVerbose.h"

#include "HexTokens.h"
#include "ImportResult.h"
#include "LineReader.h"

namespace varnex::edid::forms {

namespace {

// The property name xrandr prints on a line of its own above the table.
constexpr QByteArrayView PropertyTitle("EDID:");

// An output's table as the dump gives it.
struct OutputTable
{
    QString output; // empty when the table comes before any output line
    QByteArray table;
};

// The output an unindented xrandr line starts ("DP-1 connected ...",
// "HDMI-1 disconnected ..."), or nothing for any other line.
std::optional<QString> outputOf(QByteArrayView line)
{
    if (line.isEmpty() || indentOf(line) > 0)
        return std::nullopt;
    const QList<QByteArray> words = line.toByteArray().split(' ');
    if (words.size() < 2 || (words[1] != "connected" && words[1] != "disconnected"))
        return std::nullopt;
    return QString::fromUtf8(words[0]);
}

// Every whole table of the dump, in order, with the output it belongs to.
QList<OutputTable> outputTables(QByteArrayView text)
{
    QList<OutputTable> found;
    LineReader lines(text);
    QByteArrayView line;
    QString output;
    // The title's indent while its lines are read, -1 otherwise.
    qsizetype titleIndent = -1;
    QByteArray table;
    const auto endTable = [&] {
        if (titleIndent >= 0 && isWholeTableSize(table.size()))
            found.append({output, table});
        titleIndent = -1;
    };
    while (lines.next(line)) {
        const QByteArrayView content = line.trimmed();
        if (titleIndent >= 0) {
            if (indentOf(line) > titleIndent && appendHexDigits(content, table) &&
                table.size() <= MaxImportTableSize)
                continue;
            endTable();
        }
        if (const std::optional<QString> name = outputOf(line))
            output = *name;
        if (content == PropertyTitle) {
            titleIndent = indentOf(line);
            table.clear();
        }
    }
    endTable();
    return found;
}

int outputCount(QByteArrayView text)
{
    int count = 0;
    LineReader lines(text);
    QByteArrayView line;
    while (lines.next(line))
        count += outputOf(line).has_value();
    return count;
}

} // namespace

std::optional<QByteArray> parseXrandrVerbose(QByteArrayView text)
{
    const QList<OutputTable> tables = outputTables(text);
    if (tables.isEmpty())
        return std::nullopt;
    return tables.constFirst().table;
}

QString xrandrVerboseNote(QByteArrayView text)
{
    const QList<OutputTable> tables = outputTables(text);
    if (tables.isEmpty() || tables.constFirst().output.isEmpty() || outputCount(text) < 2)
        return QString();
    QStringList others;
    for (qsizetype i = 1; i < tables.size(); ++i)
        others.append(tables.at(i).output);
    QString rest;
    if (others.isEmpty())
        rest = QStringLiteral("no other output has one");
    else if (others.size() == 1)
        rest = QStringLiteral("%1 has one too").arg(others.constFirst());
    else
        rest = QStringLiteral("%1 and %2 have one too")
                   .arg(others.mid(0, others.size() - 1).join(QStringLiteral(", ")),
                        others.constLast());
    return QStringLiteral("Took the EDID of %1; %2.").arg(tables.constFirst().output, rest);
}

} // namespace varnex::edid::forms
