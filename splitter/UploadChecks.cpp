#include "UploadChecks.h"

#include "Checksum.h"
#include "EdidHeader.h"
#include "decode/EdidDecoder.h"

namespace varnex::splitter {

using edid::EdidImage;

namespace {

// The decoder's codes for what the checks above its findings already say.
const char HeaderCode[] = "header";
const char ChecksumCodePrefix[] = "checksum-block-";

QString hexByte(quint8 value)
{
    return QStringLiteral("0x%1").arg(QString::number(value, 16).toUpper().rightJustified(2, '0'));
}

UploadCheck headerCheck()
{
    return {UploadCheckKind::HeaderMissing,
            edid::Severity::Error,
            QLatin1String(HeaderCode),
            0,
            0,
            QStringLiteral("The table has no EDID header (00 FF FF FF FF FF FF 00), so the "
                           "video source will not accept it."),
            QStringLiteral("Restore the header in bytes 0 to 7.")};
}

UploadCheck checksumCheck(const EdidImage &image, int block)
{
    const int at = block * edid::EdidBlockSize;
    const int offset = at + edid::EdidChecksumOffset;
    return {UploadCheckKind::ChecksumWrong,
            edid::Severity::Error,
            QLatin1String(ChecksumCodePrefix) + QString::number(block),
            block,
            offset,
            QStringLiteral("The checksum of block %1 is not correct (%2, should be %3).")
                .arg(block)
                .arg(hexByte(image[std::size_t(offset)]),
                     hexByte(edid::BlockChkSum(image.data() + at))),
            QStringLiteral("Correct the checksums before the upload.")};
}

bool coveredAbove(const edid::Finding &finding)
{
    return finding.code == QLatin1String(HeaderCode) ||
           finding.code.startsWith(QLatin1String(ChecksumCodePrefix));
}

} // namespace

QList<UploadCheck> checksBeforeUpload(const EdidImage &image)
{
    QList<UploadCheck> checks;
    if (!edid::hasEdidHeader(image))
        checks.append(headerCheck());
    for (int block = 0; block < edid::EdidImageSize / edid::EdidBlockSize; ++block) {
        if (!edid::blockChecksumCorrect(image, block))
            checks.append(checksumCheck(image, block));
    }
    const edid::DecodedEdid decoded = edid::decodeEdid(
        QByteArrayView(reinterpret_cast<const char *>(image.data()), qsizetype(image.size())));
    for (const edid::Finding &finding : decoded.findings) {
        if (finding.severity != edid::Severity::Error || coveredAbove(finding))
            continue;
        checks.append({UploadCheckKind::DecoderError,
                       finding.severity,
                       finding.code,
                       finding.block,
                       finding.offset,
                       finding.message,
                       {}});
    }
    return checks;
}

QList<UploadCheck> checksOfKind(const QList<UploadCheck> &checks, UploadCheckKind kind)
{
    QList<UploadCheck> found;
    for (const UploadCheck &check : checks) {
        if (check.kind == kind)
            found.append(check);
    }
    return found;
}

QString describeDecoderErrors(const QList<UploadCheck> &checks)
{
    const QList<UploadCheck> errors = checksOfKind(checks, UploadCheckKind::DecoderError);
    if (errors.isEmpty())
        return QString();
    const UploadCheck &first = errors.constFirst();
    const QString named = QStringLiteral("%1 [%2]").arg(first.message, first.code);
    if (errors.size() == 1)
        return QStringLiteral("The table has an error that sources may reject: %1").arg(named);
    return QStringLiteral("The table has %1 errors that sources may reject; the first: %2")
        .arg(errors.size())
        .arg(named);
}

} // namespace varnex::splitter
