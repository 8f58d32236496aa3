#include "DisplayEdids.h"

#include "decode/EdidDecoder.h"
#include "import/ImportResult.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace varnex::edid {

namespace {

// The kernel names connector folders after their card: "card0-HDMI-A-1".
const QRegularExpression &cardPrefix()
{
    static const QRegularExpression prefix(QStringLiteral("^card\\d+-"));
    return prefix;
}

QByteArray readEdid(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    // sysfs gives no useful size, so the read is bounded rather than sized.
    QByteArray edid = file.read(MaxImportTableSize);
    return file.error() == QFileDevice::NoError ? edid : QByteArray();
}

} // namespace

QString DisplayEdid::title() const
{
    return productName.isEmpty() ? connector : connector + QStringLiteral(": ") + productName;
}

QString decodedProductName(const QByteArray &edid)
{
    const DecodedEdid decoded = decodeEdid(edid);
    if (!decoded.base)
        return QString();
    return decoded.base->name().value_or(QString()).trimmed();
}

QString drmDirectory()
{
    const QString dir = qEnvironmentVariable(DrmDirectoryVariable);
    return dir.isEmpty() ? QString::fromLatin1(DefaultDrmDirectory) : dir;
}

QList<DisplayEdid> listDisplayEdids(const QString &drmDir, const ProductNamer &productNameOf)
{
    QList<DisplayEdid> displays;
    const QDir dir(drmDir);
    for (const QString &entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString path = dir.filePath(entry) + QStringLiteral("/edid");
        DisplayEdid display;
        display.edid = readEdid(path);
        if (display.edid.isEmpty())
            continue;
        display.entryName = entry;
        display.connector = QString(entry).remove(cardPrefix());
        if (productNameOf)
            display.productName = productNameOf(display.edid);
        displays.append(display);
    }
    return displays;
}

std::optional<DisplayEdid> findDisplayEdid(const QList<DisplayEdid> &displays, const QString &name)
{
    for (const DisplayEdid &display : displays) {
        if (display.connector == name || display.entryName == name)
            return display;
    }
    return std::nullopt;
}

} // namespace varnex::edid
