#include "EdidDecodeReport.h"

#include "HexTokens.h"
#include "ImportResult.h"
#include "LineReader.h"

namespace varnex::edid::forms {

namespace {

// The line edid-decode prints above the hex rows of the table it read.
constexpr QByteArrayView HexBlockTitle("edid-decode (hex):");

} // namespace

std::optional<QByteArray> parseEdidDecodeReport(QByteArrayView text)
{
    LineReader lines(text);
    QByteArrayView line;
    bool inBlock = false;
    QByteArray table;
    while (lines.next(line)) {
        const QByteArrayView content = line.trimmed();
        if (inBlock) {
            if (content.isEmpty())
                continue;
            if (appendHexPairs(content, table) && table.size() <= MaxImportTableSize)
                continue;
            if (isWholeTableSize(table.size()))
                return table;
            inBlock = false;
        }
        if (content == HexBlockTitle) {
            inBlock = true;
            table.clear();
        }
    }
    if (inBlock && isWholeTableSize(table.size()))
        return table;
    return std::nullopt;
}

} // namespace varnex::edid::forms
