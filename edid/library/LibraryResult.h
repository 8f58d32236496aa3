#pragma once

#include <QString>

namespace varnex::edid {

// How a change of the library came out.
enum class LibraryStatus
{
    Done,
    InvalidName, // a name that libraryNameProblem refuses
    InvalidNote, // a note longer than MaxLibraryNoteLength
    NoSuchEntry, // no entry has the name
    Exists,      // an entry has the new name already
    NotATable,   // the entry's file holds no EDID table
    Failed,      // the file system refused
};

// A status with its sentence for the user; the message is empty for Done.
struct LibraryResult
{
    LibraryStatus status = LibraryStatus::Done;
    QString message;

    bool ok() const { return status == LibraryStatus::Done; }
};

} // namespace varnex::edid
