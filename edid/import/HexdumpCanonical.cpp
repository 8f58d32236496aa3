#include "HexdumpCanonical.h"

#include "HexTokens.h"
#include "OffsetDump.h"

namespace varnex::edid::forms {

namespace {

// "00000000  00 ff ff ff ff ff ff 00  10 ac c5 a0 42 4c 4c 30  |............BLL0|"
bool parseHexdumpRow(QByteArrayView line, OffsetRow &row)
{
    if (line == "*") {
        row.kind = OffsetRow::Kind::Repeat;
        return true;
    }
    qsizetype end = 0;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    const std::optional<qint64> offset = parseHexNumber(line.first(end));
    if (!offset)
        return false;
    row.offset = *offset;
    QByteArrayView bytes = line.sliced(end);
    if (bytes.isEmpty()) {
        row.kind = OffsetRow::Kind::End;
        return true;
    }
    // The text column starts at the first bar; the hex columns hold none.
    const qsizetype bar = bytes.indexOf('|');
    if (bar >= 0)
        bytes = bytes.first(bar);
    row.kind = OffsetRow::Kind::Data;
    row.bytes.clear();
    return appendHexPairs(bytes, row.bytes);
}

} // namespace

std::optional<QByteArray> parseHexdumpCanonical(QByteArrayView text)
{
    return findOffsetDump(text, parseHexdumpRow);
}

} // namespace varnex::edid::forms
