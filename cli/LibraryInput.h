#pragma once

#include "library/LibraryResult.h"

#include <QProcessEnvironment>
#include <QString>

#include <optional>

namespace varnex::cli {

class Console;

// A FILE argument that starts so names a library entry: "lib:projector".
inline constexpr char LibraryInputPrefix[] = "lib:";

// Whether `path` names a library entry rather than a file.
bool isLibraryInput(const QString &path);

// The library of the environment (VARNEX_LIBRARY_DIR, XDG_DATA_HOME, HOME).
QString
libraryDirectory(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// The file of the entry that `path` ("lib:NAME") names, for reading it as
// any table file. Nothing after telling the user why, with *exitStatus
// ExitUsage (NAME cannot be a name) or ExitFailure (no such entry).
std::optional<QString> libraryInputFile(const QString &path, Console &console, int *exitStatus);

// Tells the user what a failed library change came to and returns its exit
// status: ExitUsage for a bad name or note, ExitInvalidData for a file that
// holds no table, else ExitFailure. ExitSuccess, silently, for Done.
int reportLibraryResult(Console &console, const edid::LibraryResult &result);

} // namespace varnex::cli
