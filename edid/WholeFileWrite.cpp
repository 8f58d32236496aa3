#include "WholeFileWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace varnex::edid {

namespace {

bool fail(QString *errorString, const QIODevice &device)
{
    if (errorString)
        *errorString = device.errorString();
    return false;
}

} // namespace

bool writeAllBytes(QIODevice &device, QByteArrayView bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const qint64 n = device.write(bytes.data() + written, bytes.size() - written);
        if (n <= 0)
            return false;
        written += qsizetype(n);
    }
    return true;
}

bool writeWholeFile(const QString &fileName, QByteArrayView bytes, QString *errorString,
                    const std::function<void()> &opened)
{
    // Unbuffered throughout: a failing buffered flush would go unreported by
    // commit() or close(), and a short file would pass for a written one.
    if (const QFileInfo info(fileName); info.exists() && !info.isFile() && !info.isDir()) {
        QFile special(fileName);
        if (!special.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(errorString, special);
        if (opened)
            opened();
        return writeAllBytes(special, bytes) || fail(errorString, special);
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(errorString, file);
    if (opened)
        opened();
    // On failure the temporary file goes with `file`; the target was never touched.
    if (!writeAllBytes(file, bytes) || !file.commit())
        return fail(errorString, file);
    return true;
}

} // namespace varnex::edid
