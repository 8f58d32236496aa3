#include "ImportResult.h"

#include <algorithm>

namespace varnex::edid {

bool isWholeTableSize(qsizetype size)
{
    return size > 0 && size <= MaxImportTableSize && size % EdidBlockSize == 0;
}

EdidImage ImportResult::image() const
{
    EdidImage image{};
    std::copy_n(table.constData(), std::min<qsizetype>(table.size(), EdidImageSize), image.begin());
    return image;
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
