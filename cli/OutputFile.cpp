#include "OutputFile.h"

#include "Console.h"
#include "ExitStatus.h"
#include "WholeFileWrite.h"

#include <QFile>

#include <unistd.h>

namespace varnex::cli {

bool writeOutput(const QString &path, QByteArrayView bytes, QString *error)
{
    if (path != QLatin1String(StandardStream))
        return edid::writeWholeFile(path, bytes, error);
    QFile out;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !edid::writeAllBytes(out, bytes)) {
        *error = out.errorString();
        return false;
    }
    return true;
}

bool standardOutputIsTerminal()
{
    return isatty(STDOUT_FILENO) != 0;
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
