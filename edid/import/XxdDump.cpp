#include "XxdDump.h"

#include "HexTokens.h"
#include "OffsetDump.h"

namespace varnex::edid::forms {

namespace {

// Longest offset xxd prints (8 digits) and its colon.
constexpr qsizetype MaxOffsetField = 9;
// xxd puts two spaces between the hex groups and the text column; a group
// itself holds no space, so the first double space ends the bytes.
constexpr QByteArrayView ColumnGap("  ");

// "00000000: 00ff ffff ffff ff00 10ac c5a0 424c 4c30  ............BLL0"
bool parseXxdRow(QByteArrayView line, OffsetRow &row)
{
    if (line == "*") {
        row.kind = OffsetRow::Kind::Repeat;
        return true;
    }
    const qsizetype colon = line.first(std::min(line.size(), MaxOffsetField)).indexOf(':');
    if (colon <= 0 || !line.sliced(colon + 1).startsWith(' '))
        return false;
    const std::optional<qint64> offset = parseHexNumber(line.first(colon));
    if (!offset)
        return false;

    QByteArrayView groups = line.sliced(colon + 2);
    const qsizetype gap = groups.indexOf(ColumnGap);
    if (gap >= 0)
        groups = groups.first(gap);
    row.bytes.clear();
    for (qsizetype p = 0; p < groups.size();) {
        qsizetype end = groups.indexOf(' ', p);
        if (end < 0)
            end = groups.size();
        if (!appendHexDigits(groups.sliced(p, end - p), row.bytes))
            return false;
        p = end + 1;
    }
    row.kind = OffsetRow::Kind::Data;
    row.offset = *offset;
    return !row.bytes.isEmpty();
}

} // namespace

std::optional<QByteArray> parseXxdDump(QByteArrayView text)
{
    return findOffsetDump(text, parseXxdRow);
}

} // namespace varnex::edid::forms
