#pragma once

#include <QString>

#include <optional>

namespace varnex::edid {

// The longest name of a library entry, in characters (Unicode code points).
inline constexpr int MaxLibraryNameLength = 64;
// Every entry the library writes is EDID hex text with a comment header.
inline constexpr char LibraryFileSuffix[] = ".hex";

// A name as typed, in Unicode normalisation form C, so that a name typed
// with combining accents finds the entry written with precomposed ones.
QString normalizedLibraryName(const QString &name);

// Why `name` (normalised first) cannot name a new entry, as a sentence for
// the user, or nothing when it can: 1 to MaxLibraryNameLength letters,
// digits, spaces, '-', '_' and '.', making a file name of at most 255 bytes
// (UTF-8), which only a name of many letters beyond the 16-bit plane misses.
std::optional<QString> libraryNameProblem(const QString &name);

// The file that holds the entry `name` (a name without a problem), relative
// to the library folder: the name with LibraryFileSuffix. A leading '.' is
// written "%2E" so that no entry is a hidden file and "." or ".." never
// reach the file system as themselves; '%' is not a name character, so the
// mapping is undone unambiguously. Never contains '/'.
QString libraryFileName(const QString &name);

// The name under which a file of the library folder is listed: the name
// libraryFileName maps to `fileName`, or, for any other file (dropped in by
// hand: "projector.bin"), the file name itself.
QString libraryNameOfFile(const QString &fileName);

} // namespace varnex::edid
