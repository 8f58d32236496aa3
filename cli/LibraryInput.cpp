#include "LibraryInput.h"

#include "Console.h"
#include "ExitStatus.h"
#include "library/EdidLibrary.h"

namespace varnex::cli {

using edid::LibraryStatus;

bool isLibraryInput(const QString &path)
{
    return path.startsWith(QLatin1String(LibraryInputPrefix));
}

QString libraryDirectory(const QProcessEnvironment &environment)
{
    return edid::EdidLibrary::defaultDirectory(environment);
}

std::optional<QString> libraryInputFile(const QString &path, Console &console, int *exitStatus)
{
    const QString name = path.sliced(qsizetype(sizeof(LibraryInputPrefix) - 1));
    const edid::EdidLibrary library(libraryDirectory());
    if (const std::optional<edid::LibraryEntry> entry = library.find(name))
        return entry->filePath;
    *exitStatus = reportLibraryResult(console, library.missing(name));
    return std::nullopt;
}

int reportLibraryResult(Console &console, const edid::LibraryResult &result)
{
    switch (result.status) {
    case LibraryStatus::Done:
        return ExitSuccess;
    case LibraryStatus::InvalidName:
    case LibraryStatus::InvalidNote:
        console.message(result.message);
        return ExitUsage;
    case LibraryStatus::NoSuchEntry:
        console.message(result.message +
                        QStringLiteral("; 'varnex-edid library list' lists the entries"));
        return ExitFailure;
    case LibraryStatus::NotATable:
        console.message(result.message);
        return ExitInvalidData;
    case LibraryStatus::Exists:
    case LibraryStatus::Failed:
        break;
    }
    console.message(result.message);
    return ExitFailure;
}

} // namespace varnex::cli
