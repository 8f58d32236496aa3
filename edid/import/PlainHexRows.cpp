#include "PlainHexRows.h"

#include "HexTokens.h"
#include "ImportResult.h"
#include "LineReader.h"

namespace varnex::edid::forms {

namespace {

// Offset in the base block of the number of extension blocks that follow it.
constexpr qsizetype ExtensionCountOffset = 126;
// The count is one byte.
constexpr int MaxExtensionCount = 255;
// The fixed header every EDID base block starts with.
constexpr QByteArrayView EdidHeader("\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00", 8);

// One run of rows, with at most one "*" in it.
struct Rows
{
    QByteArray bytes;
    qsizetype lastRowStart = 0;
    qsizetype repeatAt = -1; // where the "*" stands, -1 if there is none
    QByteArray repeatedRow;
    bool broken = false;
};

bool appendRow(QByteArrayView content, QByteArray &out)
{
    const bool blanks = content.contains(' ') || content.contains('\t');
    return blanks ? appendHexPairs(content, out) : appendHexDigits(content, out);
}

// The table with the one count of repeats that agrees with its extension
// count, or nothing when none or several do. The count is trusted only in
// an EDID base block, whose header comes before the star (od repeats rows,
// and the header row is the first).
std::optional<QByteArray> fillRepeat(const Rows &rows)
{
    const QByteArray &bytes = rows.bytes;
    const QByteArray &row = rows.repeatedRow;
    const qsizetype at = rows.repeatAt;
    if (at < EdidHeader.size() || !bytes.startsWith(EdidHeader))
        return std::nullopt;
    qsizetype fill = -1;
    for (int extensions = 0; extensions <= MaxExtensionCount; ++extensions) {
        const qsizetype total = EdidBlockSize * qsizetype(extensions + 1);
        const qsizetype missing = total - bytes.size();
        // The star stands for at least one row.
        if (total > MaxImportTableSize || missing <= 0 || missing % row.size() != 0)
            continue;
        const qsizetype p = ExtensionCountOffset;
        const char count = p < at             ? bytes[p]
                           : p < at + missing ? row[(p - at) % row.size()]
                                              : bytes[p - missing];
        if (quint8(count) != extensions)
            continue;
        if (fill >= 0)
            return std::nullopt;
        fill = missing;
        // Past the star the count is known, so no other total can agree.
        if (p < at)
            break;
    }
    if (fill < 0)
        return std::nullopt;
    QByteArray table = bytes.first(at);
    table.append(row.repeated(fill / row.size()));
    table.append(bytes.sliced(at));
    return table;
}

void markRepeat(Rows &rows)
{
    // A second star, or one with no row before it, cannot be filled in.
    if (rows.repeatAt >= 0 || rows.lastRowStart == rows.bytes.size()) {
        rows.broken = true;
        return;
    }
    rows.repeatAt = rows.bytes.size();
    rows.repeatedRow = rows.bytes.sliced(rows.lastRowStart);
}

// Adds a row to the current run, starting one if there is none. A broken
// run still takes its rows, so that its tail is not read as a table of its own.
bool addRow(std::optional<Rows> &rows, QByteArrayView content)
{
    if (rows && rows->broken) {
        QByteArray ignored;
        return appendRow(content, ignored);
    }
    QByteArray &bytes = rows ? rows->bytes : rows.emplace().bytes;
    const qsizetype start = bytes.size();
    if (!appendRow(content, bytes))
        return false;
    rows->lastRowStart = start;
    rows->broken = bytes.size() > MaxImportTableSize;
    return true;
}

std::optional<QByteArray> finish(const Rows &rows)
{
    if (rows.broken)
        return std::nullopt;
    if (rows.repeatAt >= 0)
        return fillRepeat(rows);
    if (isWholeTableSize(rows.bytes.size()))
        return rows.bytes;
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> parsePlainHexRows(QByteArrayView text)
{
    LineReader lines(text);
    QByteArrayView line;
    std::optional<Rows> rows;
    while (lines.next(line)) {
        const QByteArrayView content = line.trimmed();
        if (content.isEmpty())
            continue;
        if (content == "*") {
            if (rows)
                markRepeat(*rows);
            continue;
        }
        if (addRow(rows, content))
            continue;
        if (rows) {
            if (std::optional<QByteArray> table = finish(*rows))
                return table;
            rows.reset();
        }
    }
    if (rows)
        return finish(*rows);
    return std::nullopt;
}

} // namespace varnex::edid::forms
