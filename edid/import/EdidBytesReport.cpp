#include "EdidBytesReport.h"

#include "HexTokens.h"
#include "ImportResult.h"
#include "LineReader.h"

#include <algorithm>

namespace varnex::edid::forms {

namespace {

// The line that opens the table.
constexpr QByteArrayView TableTitle("EDID BYTES:");
// Fewest dashes that make the line under the column numbers.
constexpr qsizetype MinRuleDashes = 3;
// Row labels of two digits start again at 00 after FF.
constexpr qint64 TwoDigitLabels = 0x100;

enum class Part
{
    Outside,
    Heading, // between the title and the dashed line
    Rows,
};

bool isRule(QByteArrayView content)
{
    return content.size() >= MinRuleDashes &&
           std::all_of(content.begin(), content.end(), [](char ch) { return ch == '-'; });
}

// "10 | 23 1A 01 03 ...": appends the bytes when the label is the offset they start at.
bool appendRow(QByteArrayView content, QByteArray &table)
{
    const qsizetype bar = content.indexOf('|');
    if (bar < 0)
        return false;
    const std::optional<qint64> label = parseHexNumber(content.first(bar).trimmed());
    const qint64 offset = table.size();
    if (!label || (*label != offset && *label != offset % TwoDigitLabels))
        return false;
    return appendHexPairs(content.sliced(bar + 1), table);
}

} // namespace

std::optional<QByteArray> parseEdidBytesReport(QByteArrayView text)
{
    LineReader lines(text);
    QByteArrayView line;
    Part part = Part::Outside;
    int headingLines = 0;
    QByteArray table;
    while (lines.next(line)) {
        const QByteArrayView content = line.trimmed();
        if (part == Part::Heading) {
            if (isRule(content)) {
                part = Part::Rows;
                continue;
            }
            if (content.isEmpty() || ++headingLines <= 1)
                continue;
            part = Part::Outside;
        }
        if (part == Part::Rows) {
            if (content.isEmpty())
                continue;
            if (appendRow(content, table) && table.size() <= MaxImportTableSize)
                continue;
            if (isWholeTableSize(table.size()))
                return table;
            part = Part::Outside;
        }
        if (content == TableTitle) {
            part = Part::Heading;
            headingLines = 0;
            table.clear();
        }
    }
    if (part == Part::Rows && isWholeTableSize(table.size()))
        return table;
    return std::nullopt;
}

} // namespace varnex::edid::forms
