#include "ImportResult.h"

#include <algorithm>

namespace varnex::edid {

bool isWholeTableSize(qsizetype size)
{
    return size > 0 && size <= MaxImportTableSize && size % EdidBlockSize == 0;
}

QString leftOutDescription(qsizetype tableSize)
{
    const qsizetype bytes = tableSize - EdidImageSize;
    if (bytes <= 0)
        return QString();
    // Blocks are counted from 0, so the first one left out is block 2.
    const qsizetype first = EdidImageSize / EdidBlockSize;
    const qsizetype last = (tableSize - 1) / EdidBlockSize;
    QString blocks;
    if (last == first)
        blocks = QStringLiteral("extension block %1").arg(first);
    else if (last == first + 1)
        blocks = QStringLiteral("extension blocks %1 and %2").arg(first).arg(last);
    else
        blocks = QStringLiteral("extension blocks %1 to %2").arg(first).arg(last);
    return QStringLiteral("%1 (%2 bytes)").arg(blocks).arg(bytes);
}

FittedTable ImportResult::fitted() const
{
    return fitTable(table);
}

int ImportResult::droppedBytes() const
{
    return int(std::max<qsizetype>(0, table.size() - EdidImageSize));
}

int ImportResult::droppedExtensionBlocks() const
{
    return droppedBytes() / EdidBlockSize;
}

} // namespace varnex::edid
