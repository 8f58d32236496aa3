#include "decode/CtaModel.h"

namespace varnex::edid {

QString HdmiVsdb::physicalAddressText() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg((physicalAddress >> 12) & 0xF, 0, 16)
        .arg((physicalAddress >> 8) & 0xF, 0, 16)
        .arg((physicalAddress >> 4) & 0xF, 0, 16)
        .arg(physicalAddress & 0xF, 0, 16);
}

QList<ShortVideo> CtaBlock::svds() const
{
    QList<ShortVideo> all;
    for (const DataBlock &block : dataBlocks) {
        if (const auto *video = std::get_if<VideoBlock>(&block.content);
            video && block.tag == CtaTag::Video)
            all.append(video->svds);
    }
    return all;
}

QList<ShortAudio> CtaBlock::sads() const
{
    QList<ShortAudio> all;
    for (const DataBlock &block : dataBlocks) {
        if (const auto *audio = std::get_if<AudioBlock>(&block.content))
            all.append(audio->sads);
    }
    return all;
}

bool CtaBlock::hasAudioBlock() const
{
    return first<AudioBlock>() != nullptr;
}

QList<int> CtaBlock::ycbcr420Vics() const
{
    QList<int> vics;
    const QList<ShortVideo> video = svds();
    for (const DataBlock &block : dataBlocks) {
        if (const auto *only = std::get_if<VideoBlock>(&block.content);
            only && block.tag != CtaTag::Video) {
            for (const ShortVideo &svd : only->svds)
                vics.append(svd.vic);
        } else if (const auto *map = std::get_if<Ycbcr420Map>(&block.content)) {
            // Bits of the map name SVDs by their position in the video data blocks.
            for (int i = 0; i < video.size(); ++i) {
                if (map->allSvds || map->svdIndexes.contains(i))
                    vics.append(video[i].vic);
            }
        }
    }
    return vics;
}

} // namespace varnex::edid
