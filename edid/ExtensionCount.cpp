#include "ExtensionCount.h"

#include "decode/EdidDecoder.h"

#include <algorithm>

namespace varnex::edid {

namespace {

// The decoder's code for a count of more blocks than the table holds; its
// offset is the count byte, in block 0 or in block 1's override.
const char ExtensionCountCode[] = "extension-count";
// Of the two blocks of an image, one is an extension.
constexpr int ImageExtensions = EdidImageSize / EdidBlockSize - 1;

} // namespace

QString ExtensionCountChange::description() const
{
    const QString counter =
        block == 0 ? QStringLiteral("The extension count (byte 0x7E)")
                   : QStringLiteral("The count of the HDMI Forum EDID Extension Override (byte "
                                    "0x%1)")
                         .arg(offset, 2, 16, QLatin1Char('0'));
    return QStringLiteral("%1 was set from %2 to %3, the extension blocks the table holds; the "
                          "checksum of block %4 was adjusted to match.")
        .arg(counter)
        .arg(from)
        .arg(to)
        .arg(block);
}

std::optional<ExtensionCountChange> correctExtensionCount(EdidImage &image)
{
    const DecodedEdid decoded = decodeEdid(
        QByteArrayView(reinterpret_cast<const char *>(image.data()), qsizetype(image.size())));
    const auto found =
        std::find_if(decoded.findings.cbegin(), decoded.findings.cend(),
                     [](const Finding &f) { return f.code == QLatin1String(ExtensionCountCode); });
    if (found == decoded.findings.cend() || found->offset < 0 || found->offset >= EdidImageSize)
        return std::nullopt;

    ExtensionCountChange change;
    change.block = found->offset / EdidBlockSize;
    change.offset = found->offset;
    change.from = image[std::size_t(change.offset)];
    change.to = ImageExtensions;
    // Moving the checksum by what the count loses keeps the block's sum as it was.
    const std::size_t checksum = std::size_t(change.block * EdidBlockSize + EdidChecksumOffset);
    image[std::size_t(change.offset)] = quint8(change.to);
    image[checksum] = quint8(image[checksum] + change.from - change.to);
    return change;
}

FittedTable fitTable(QByteArrayView table)
{
    FittedTable fitted;
    std::copy_n(table.data(), std::min<qsizetype>(table.size(), EdidImageSize),
                fitted.image.begin());
    if (table.size() > EdidImageSize)
        fitted.countChange = correctExtensionCount(fitted.image);
    return fitted;
}

} // namespace varnex::edid
