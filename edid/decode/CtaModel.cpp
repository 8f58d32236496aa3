#include "decode/CtaModel.h"

namespace varnex::edid {

QString HdmiVsdb::physicalAddressText() const
{
    if (!physicalAddress)
        return QString();
    const int a = *physicalAddress;
    return QStringLiteral("%1.%2.%3.%4")
        .arg((a >> 12) & 0xF, 0, 16)
        .arg((a >> 8) & 0xF, 0, 16)
        .arg((a >> 4) & 0xF, 0, 16)
        .arg(a & 0xF, 0, 16);
}

QStringList HdmiVsdb::contentTypeNames() const
{
    // CNC0 to CNC3 (HDMI 1.4b, table 8-16).
    static const char *const Names[] = {"graphics", "photo", "cinema", "game"};
    QStringList names;
    for (int bit = 0; bit < 4; ++bit) {
        if (contentTypes & (1 << bit))
            names.append(QLatin1String(Names[bit]));
    }
    return names;
}

QList<int> HdmiForumBlock::deepColor420() const
{
    QList<int> depths;
    if (deepColor420_30)
        depths.append(30);
    if (deepColor420_36)
        depths.append(36);
    if (deepColor420_48)
        depths.append(48);
    return depths;
}

QString DolbyVisionBlock::yuv444Text() const
{
    static const char *const Names[] = {"not supported", "10 bits", "12 bits", "reserved"};
    return yuv444Code ? QLatin1String(Names[*yuv444Code & 3]) : QString();
}

QStringList Colorimetry::metadataProfileNames() const
{
    QStringList names;
    for (int bit = 0; bit < 4; ++bit) {
        if (metadataProfiles & (1 << bit))
            names.append(QStringLiteral("MD%1").arg(bit));
    }
    return names;
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
