#pragma once

#include "EdidImage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace varnex::edid {

// The longest note of an entry, in characters: a remark, not a document.
inline constexpr int MaxLibraryNoteLength = 1000;

// The comment lines at the top of an entry file ("# name: projector").
// Every field is one line of text; empty fields are not written.
struct LibraryEntryHeader
{
    QString name;
    QString note;
    QString added;  // ISO 8601 date and time in UTC: "2024-05-01T10:22:03Z"
    QString source; // where the table came from: a file, "device", "display:HDMI-A-1"
};

// The note as a header line holds it: every line break and other control
// character becomes a space, and the ends are trimmed.
QString oneLineNote(const QString &note);

// An entry file: the header's comment lines, then the table as EDID hex
// text (formatHexText). Any tool that reads hex rows and skips '#' lines
// reads the table; our importer does (plain hex rows).
QByteArray formatLibraryEntry(const LibraryEntryHeader &header, const EdidImage &image);

// The header fields of an entry file: the "# key: value" lines at its top,
// up to the first line that is not a comment. Unknown keys are skipped;
// a file without such lines (a raw table, a dump) gives empty fields.
LibraryEntryHeader parseLibraryEntryHeader(QByteArrayView data);

// The table a library file holds, read as the window loads a file
// (interpretEdidFile): a raw table, EDID hex text or another tool's dump,
// of a whole number of 128-byte blocks (one block is followed by zeros,
// of more the first 256 bytes are taken). `data` as readEdidFile returns
// it. Nothing when the file holds no such table.
std::optional<EdidImage> libraryTableOfFile(QByteArrayView data);

} // namespace varnex::edid
