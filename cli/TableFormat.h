#pragma once

#include "EdidImage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::cli {

// The forms in which varnex-edid writes a table.
enum class TableFormat
{
    Hex,    // EDID hex text: 16 lines of 16 upper-case pairs, as the window shows it
    Raw,    // the 256 bytes
    C,      // a C array definition
    Base64, // the 256 bytes in base64, lines of 76 characters, as base64(1) writes them
};

// The names of every form, as --format takes them, hex first (the default).
extern const QStringList TableFormatNames;

// The format `name` names, if it is one of `accepted` (lower-case names).
std::optional<TableFormat> parseTableFormat(const QString &name, const QStringList &accepted);

// The format a file's name asks for, if it is one of `accepted`: .bin, .raw
// and .edid raw; .hex and .txt hex text; .c and .h a C array; .b64 base64.
std::optional<TableFormat> formatForFileName(const QString &path, const QStringList &accepted);

QByteArray formatTable(const edid::EdidImage &image, TableFormat format);

} // namespace varnex::cli
