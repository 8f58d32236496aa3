#include "EdidLibrary.h"

#include "EdidFile.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidSummary.h"
#include "library/LibraryFiles.h"
#include "library/LibraryName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace varnex::edid {

namespace {

// The folders the XDG Base Directory rules name for user data.
const char DataHomeVariable[] = "XDG_DATA_HOME";
const char DefaultDataHome[] = ".local/share";

// The files of a folder that may be entries: visible regular files (and
// links to them), by file name.
QStringList entryFileNames(const QString &directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Readable, QDir::Name);
}

LibraryResult result(LibraryStatus status, const QString &message)
{
    return LibraryResult{status, message};
}

QString addedText(const QDateTime &added)
{
    return added.toUTC().toString(Qt::ISODate);
}

} // namespace

EdidLibrary::EdidLibrary(QString directory) : m_directory(std::move(directory)) {}

QString EdidLibrary::defaultDirectory(const QProcessEnvironment &environment)
{
    const QString chosen = environment.value(QLatin1String(LibraryDirectoryVariable));
    if (!chosen.isEmpty())
        return chosen;
    QString dataHome = environment.value(QLatin1String(DataHomeVariable));
    // XDG asks programs to ignore a relative path there.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::home().filePath(QLatin1String(DefaultDataHome));
    return QDir(dataHome).filePath(QLatin1String(LibrarySubdirectory));
}

std::optional<LibraryEntry> EdidLibrary::readEntry(const QString &fileName) const
{
    const QFileInfo info(QDir(m_directory).filePath(fileName));
    if (!info.isFile())
        return std::nullopt;
    LibraryEntry entry;
    entry.name = libraryNameOfFile(fileName);
    entry.fileName = fileName;
    entry.filePath = info.absoluteFilePath();
    entry.added = info.lastModified().toUTC();
    const std::optional<QByteArray> data = readEdidFile(entry.filePath, nullptr);
    if (!data)
        return entry;
    const LibraryEntryHeader header = parseLibraryEntryHeader(*data);
    entry.note = header.note;
    entry.source = header.source;
    if (const QDateTime added = QDateTime::fromString(header.added, Qt::ISODate); added.isValid())
        entry.added = added.toUTC();
    entry.image = libraryTableOfFile(*data);
    if (entry.image) {
        const EdidSummary summary = summarize(decodeEdid(QByteArrayView(
            reinterpret_cast<const char *>(entry.image->data()), qsizetype(entry.image->size()))));
        entry.product = summary.product;
        entry.preferredMode = summary.preferredMode;
    }
    return entry;
}

QList<LibraryEntry> EdidLibrary::entries() const
{
    QList<LibraryEntry> list;
    for (const QString &fileName : entryFileNames(m_directory)) {
        // A file removed since the folder was read is simply not listed.
        if (std::optional<LibraryEntry> entry = readEntry(fileName))
            list.append(*std::move(entry));
    }
    std::sort(list.begin(), list.end(), [](const LibraryEntry &a, const LibraryEntry &b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.fileName < b.fileName;
    });
    return list;
}

std::optional<LibraryEntry> EdidLibrary::find(const QString &name) const
{
    const QString wanted = normalizedLibraryName(name);
    // Names are matched against the folder's own file names, so what the
    // user typed never becomes a path; our own file name comes first.
    QStringList fileNames = entryFileNames(m_directory);
    if (!libraryNameProblem(wanted)) {
        const QString own = libraryFileName(wanted);
        if (fileNames.removeOne(own))
            fileNames.prepend(own);
    }
    for (const QString &fileName : std::as_const(fileNames)) {
        if (libraryNameOfFile(fileName) == wanted)
            return readEntry(fileName);
    }
    return std::nullopt;
}

LibraryResult EdidLibrary::missing(const QString &name) const
{
    if (const std::optional<QString> problem = libraryNameProblem(name))
        return result(LibraryStatus::InvalidName, *problem);
    return result(LibraryStatus::NoSuchEntry,
                  QStringLiteral("the library has no entry \"%1\"").arg(name));
}

LibraryResult EdidLibrary::ensureDirectory() const
{
    if (QDir().mkpath(m_directory))
        return {};
    return result(LibraryStatus::Failed,
                  QStringLiteral("cannot create the library folder %1").arg(m_directory));
}

LibraryResult EdidLibrary::add(LibraryEntryHeader header, const EdidImage &image, bool replace)
{
    if (const std::optional<QString> problem = libraryNameProblem(header.name))
        return result(LibraryStatus::InvalidName, *problem);
    header.name = normalizedLibraryName(header.name);
    header.note = oneLineNote(header.note);
    if (header.note.size() > MaxLibraryNoteLength) {
        return result(LibraryStatus::InvalidNote,
                      QStringLiteral("a note has at most %1 characters").arg(MaxLibraryNoteLength));
    }
    if (header.added.isEmpty())
        header.added = addedText(QDateTime::currentDateTimeUtc());
    if (const LibraryResult folder = ensureDirectory(); !folder.ok())
        return folder;

    const std::optional<LibraryEntry> existing = find(header.name);
    const QString exists =
        QStringLiteral("the library has an entry \"%1\" already").arg(header.name);
    if (existing && !replace)
        return result(LibraryStatus::Exists, exists);
    const QString fileName = libraryFileName(header.name);
    const PlaceResult placed = placeFile(m_directory, fileName, formatLibraryEntry(header, image),
                                         replace ? PlaceMode::Replace : PlaceMode::New);
    if (placed.outcome == PlaceOutcome::Exists)
        return result(LibraryStatus::Exists, exists);
    if (placed.outcome == PlaceOutcome::Failed) {
        return result(LibraryStatus::Failed, QStringLiteral("cannot write the library entry "
                                                            "\"%1\": %2")
                                                 .arg(header.name, placed.error));
    }
    // A dropped-in file of the same name is replaced by the entry written.
    if (existing && existing->fileName != fileName)
        QFile::remove(existing->filePath);
    return {};
}

LibraryResult EdidLibrary::rename(const QString &oldName, const QString &newName)
{
    const std::optional<LibraryEntry> entry = find(oldName);
    if (!entry)
        return missing(oldName);
    if (const std::optional<QString> problem = libraryNameProblem(newName))
        return result(LibraryStatus::InvalidName, *problem);
    if (normalizedLibraryName(newName) == entry->name)
        return {};
    if (find(newName)) {
        return result(LibraryStatus::Exists,
                      QStringLiteral("the library has an entry \"%1\" already")
                          .arg(normalizedLibraryName(newName)));
    }
    if (!entry->image) {
        return result(LibraryStatus::NotATable,
                      QStringLiteral("the library entry \"%1\" (%2) holds no EDID table")
                          .arg(entry->name, entry->fileName));
    }
    LibraryEntryHeader header;
    header.name = newName;
    header.note = entry->note;
    header.added = addedText(entry->added);
    header.source = entry->source.isEmpty() ? entry->fileName : entry->source;
    if (const LibraryResult added = add(header, *entry->image); !added.ok())
        return added;
    if (!QFile::remove(entry->filePath)) {
        return result(LibraryStatus::Failed,
                      QStringLiteral("the entry \"%1\" was written, but the old one \"%2\" could "
                                     "not be removed")
                          .arg(normalizedLibraryName(newName), entry->name));
    }
    return {};
}

LibraryResult EdidLibrary::remove(const QString &name)
{
    const std::optional<LibraryEntry> entry = find(name);
    if (!entry)
        return missing(name);
    QFile file(entry->filePath);
    if (!file.remove()) {
        return result(LibraryStatus::Failed,
                      QStringLiteral("cannot remove the library entry \"%1\": %2")
                          .arg(entry->name, file.errorString()));
    }
    return {};
}

} // namespace varnex::edid
