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

// Reads `path` ("-": standard input) through the window's loader: raw when
// the first byte is 0, else EDID hex text. Only a table of exactly 256 bytes
// is taken. Otherwise tells the user why and returns nothing, with
// *exitStatus ExitFailure (cannot be read) or ExitInvalidData (not a table,
// or the wrong size).
std::optional<TableInput> loadTable(const QString &path, Console &console, int *exitStatus);

// How the user reads `path` in a message.
QString inputName(const QString &path);

} // namespace varnex::cli
