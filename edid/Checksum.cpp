#include "Checksum.h"

namespace varnex::edid {

quint8 BlockChkSum(const quint8 *block)
{
    quint8 sum = 0;
    for (int i = 0; i < EdidChecksumOffset; ++i)
        sum = quint8(sum + block[i]);
    return quint8(0 - sum);
}

bool blockChecksumCorrect(const EdidImage &image, int block)
{
    Q_ASSERT(block >= 0 && block < EdidImageSize / EdidBlockSize);
    const quint8 *start = image.data() + block * EdidBlockSize;
    return BlockChkSum(start) == start[EdidChecksumOffset];
}

void correctChecksums(EdidImage &image)
{
    for (int block = 0; block < EdidImageSize / EdidBlockSize; ++block) {
        quint8 *start = image.data() + block * EdidBlockSize;
        start[EdidChecksumOffset] = BlockChkSum(start);
    }
}

} // namespace varnex::edid
