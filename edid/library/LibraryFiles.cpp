#include "LibraryFiles.h"

#include "WholeFileWrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace varnex::edid {

namespace {

// Hidden, so that a listing of the folder skips a file being written.
const QString TemporaryPattern = QStringLiteral(".varnex-library-XXXXXX");

PlaceResult failed(const QString &error)
{
    return PlaceResult{PlaceOutcome::Failed, error};
}

QString systemError()
{
    return qt_error_string(errno);
}

} // namespace

PlaceResult placeFile(const QString &folder, const QString &fileName, QByteArrayView bytes,
                      PlaceMode mode)
{
    const QDir dir(folder);
    QTemporaryFile temporary(dir.filePath(TemporaryPattern));
    if (!temporary.open())
        return failed(temporary.errorString());
    // QTemporaryFile makes the file private; an entry is a document like any other.
    temporary.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                             QFile::ReadOther);
    if (!writeAllBytes(temporary, bytes) || !temporary.flush())
        return failed(temporary.errorString());
    if (::fsync(temporary.handle()) != 0)
        return failed(systemError());

    const QByteArray from = QFile::encodeName(temporary.fileName());
    const QByteArray to = QFile::encodeName(dir.filePath(fileName));
    if (mode == PlaceMode::Replace) {
        if (std::rename(from.constData(), to.constData()) != 0)
            return failed(systemError());
        // The temporary name is gone; nothing is left to remove.
        temporary.setAutoRemove(false);
        return PlaceResult{PlaceOutcome::Placed, {}};
    }
    // renameat2 refuses to replace where the file system supports it; link()
    // is the older way to the same, and the destructor removes the
    // temporary name after it.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        temporary.setAutoRemove(false);
        return PlaceResult{PlaceOutcome::Placed, {}};
    }
    if (errno == EEXIST)
        return PlaceResult{PlaceOutcome::Exists, {}};
    if (errno != EINVAL && errno != ENOSYS)
        return failed(systemError());
    if (::link(from.constData(), to.constData()) != 0) {
        if (errno == EEXIST)
            return PlaceResult{PlaceOutcome::Exists, {}};
        return failed(systemError());
    }
    return PlaceResult{PlaceOutcome::Placed, {}};
}

} // namespace varnex::edid
