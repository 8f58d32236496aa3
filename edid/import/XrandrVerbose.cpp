#include "XrandrVerbose.h"

#include "HexTokens.h"
#include "ImportResult.h"
#include "LineReader.h"

namespace varnex::edid::forms {

namespace {

// The property name xrandr prints on a line of its own above the table.
constexpr QByteArrayView PropertyTitle("EDID:");

} // namespace

std::optional<QByteArray> parseXrandrVerbose(QByteArrayView text)
{
    LineReader lines(text);
    QByteArrayView line;
    // The title's indent while its lines are read, -1 otherwise.
    qsizetype titleIndent = -1;
    QByteArray table;
    while (lines.next(line)) {
        const QByteArrayView content = line.trimmed();
        if (titleIndent >= 0) {
            if (indentOf(line) > titleIndent && appendHexDigits(content, table) &&
                table.size() <= MaxImportTableSize)
                continue;
            if (isWholeTableSize(table.size()))
                return table;
            titleIndent = -1;
        }
        if (content == PropertyTitle) {
            titleIndent = indentOf(line);
            table.clear();
        }
    }
    if (titleIndent >= 0 && isWholeTableSize(table.size()))
        return table;
    return std::nullopt;
}

} // namespace varnex::edid::forms
