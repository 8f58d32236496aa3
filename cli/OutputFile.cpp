#include "OutputFile.h"

#include "Console.h"
#include "ExitStatus.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace varnex::cli {

namespace {

// Writes all of `bytes`, retrying short writes so that a failing one reports its reason.
bool writeAll(QIODevice &device, QByteArrayView bytes)
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

} // namespace

bool writeOutput(const QString &path, QByteArrayView bytes, QString *error)
{
    if (path == QLatin1String(StandardStream)) {
        QFile out;
        if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            !writeAll(out, bytes)) {
            *error = out.errorString();
            return false;
        }
        return true;
    }
    // A device or a pipe cannot be replaced by a renamed file (QSaveFile would
    // put a regular file in its place): it gets the bytes directly.
    if (const QFileInfo info(path); info.exists() && !info.isFile() && !info.isDir()) {
        QFile special(path);
        if (!special.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            !writeAll(special, bytes)) {
            *error = special.errorString();
            return false;
        }
        return true;
    }
    // Unbuffered: a failing buffered flush would go unreported by commit().
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(file, bytes) ||
        !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

int writeOrReport(Console &console, const QString &path, QByteArrayView bytes)
{
    QString error;
    if (writeOutput(path, bytes, &error))
        return ExitSuccess;
    const QString target =
        path == QLatin1String(StandardStream) ? QStringLiteral("standard output") : path;
    console.message(QStringLiteral("cannot write %1: %2").arg(target, error));
    return ExitFailure;
}

} // namespace varnex::cli
