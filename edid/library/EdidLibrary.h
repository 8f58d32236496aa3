#pragma once

#include "EdidImage.h"
#include "library/LibraryEntryText.h"
#include "library/LibraryResult.h"

#include <QDateTime>
#include <QList>
#include <QProcessEnvironment>
#include <QString>

#include <optional>

namespace varnex::edid {

// Names the library folder instead of the default.
inline constexpr char LibraryDirectoryVariable[] = "VARNEX_LIBRARY_DIR";
// The library's folder below the user's data folder.
inline constexpr char LibrarySubdirectory[] = "varnex-edid-utility/library";

// One file of the library folder, as the list shows it.
struct LibraryEntry
{
    QString name;     // libraryNameOfFile(fileName)
    QString fileName; // relative to the folder
    QString filePath; // absolute, for reading it as any table file
    // The table, or nothing when the file holds none (it is still listed,
    // so that it can be seen and removed).
    std::optional<EdidImage> image;
    QString product;       // from the decoder's summary: "DEL DELL P2415Q"; empty without a table
    QString preferredMode; // "1920x1080 @ 60 Hz", empty when there is none
    QString note;          // the header's; empty for a file without one
    QString source;        // the header's; empty for a file without one
    // The header's added time; for a file without one, when it was last modified.
    QDateTime added;
};

// A folder of EDID tables, one file per entry, and nothing else: no index,
// no lock. Every change is one atomic file system step (placeFile), so
// several programs may change the library at once: adds of different names
// all land, of the same name one wins and the others get Exists. A file
// dropped into the folder by hand is an entry under its file name. Hidden
// files and folders are not entries.
class EdidLibrary
{
public:
    // The library in `directory`, which need not exist until the first add.
    explicit EdidLibrary(QString directory);

    // VARNEX_LIBRARY_DIR when set and not empty; else the library below
    // $XDG_DATA_HOME (when set to an absolute path) or ~/.local/share.
    static QString defaultDirectory(
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    QString directory() const { return m_directory; }

    // Every entry, ordered by name (letter case aside). Empty when the folder
    // does not exist.
    QList<LibraryEntry> entries() const;

    // The entry named `name` (normalised as normalizedLibraryName). Any file
    // of the folder can be found this way, also one whose name a new entry
    // could not have; nothing outside the folder ever is.
    std::optional<LibraryEntry> find(const QString &name) const;

    // Status NoSuchEntry, or InvalidName when no entry is found because
    // `name` cannot be one; for a front end that reports a missing entry.
    LibraryResult missing(const QString &name) const;

    // Adds `image` as the entry `header.name`, with the header's note,
    // source and added time (now, in UTC, when empty). Without `replace`
    // an existing entry of that name is left alone (Exists); with it, it is
    // replaced whole. Creates the folder when needed.
    LibraryResult add(LibraryEntryHeader header, const EdidImage &image, bool replace = false);

    // Gives the entry `oldName` the name `newName`, keeping its table, note,
    // source and added time; a dropped-in file is written as an entry of
    // ours. NewName must be free (Exists otherwise). The new file is in
    // place before the old one is removed, so a crash between leaves both,
    // never neither.
    LibraryResult rename(const QString &oldName, const QString &newName);

    // Removes the entry's file.
    LibraryResult remove(const QString &name);

private:
    std::optional<LibraryEntry> readEntry(const QString &fileName) const;
    LibraryResult ensureDirectory() const;

    QString m_directory;
};

} // namespace varnex::edid
