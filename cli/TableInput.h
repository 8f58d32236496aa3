#pragma once

#include "EdidFile.h"
#include "EdidImage.h"

#include <QString>

#include <optional>

namespace varnex::cli {

class Console;

// A 256-byte table taken from a FILE argument.
struct TableInput
{
    edid::EdidImage image{};
    edid::EdidFileKind kind = edid::EdidFileKind::RawImage; // the form the file had
};

// Standard input, as much as readEdidFile takes of a file (a pipe may hand it
// over in pieces). Nothing, with *error set, when it cannot be read.
std::optional<QByteArray> readStandardInput(QString *error);

// The bytes of a FILE argument, as much as readEdidFile takes: "-" is
// standard input, "lib:NAME" the file of that library entry, anything else
// a file. Every command reads its FILE arguments through here. Nothing,
// after telling the user why, with *exitStatus ExitFailure (cannot be read,
// no such entry) or ExitUsage (NAME cannot be a library name).
std::optional<QByteArray> readInput(const QString &path, Console &console, int *exitStatus);

// Reads `path` (as readInput does) through the window's loader: raw when
// the first byte is 0, EDID hex text, or another tool's dump it imports.
// Taken are a table of 256 bytes, one of 128 bytes (followed by 128 zero
// bytes) and a longer whole table (its first 256 bytes, with a note naming
// what is left out, and its extension count lowered to the one block kept,
// with a note saying so: fitTable). Otherwise tells the user why and returns nothing, with
// *exitStatus set as readInput does or ExitInvalidData (not a table, or the
// wrong size).
std::optional<TableInput> loadTable(const QString &path, Console &console, int *exitStatus);

// The rules of loadTable for bytes read elsewhere (a display's EDID);
// `name` stands for them in messages.
std::optional<TableInput> interpretTable(const QByteArray &data, const QString &name,
                                         Console &console, int *exitStatus);

// How the user reads `path` in a message.
QString inputName(const QString &path);

} // namespace varnex::cli
