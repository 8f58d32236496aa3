#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// One line of a dump whose rows are led by their byte offset (xxd, hexdump -C).
struct OffsetRow
{
    enum class Kind
    {
        Data,   // an offset and the bytes from there on
        Repeat, // "*": the row before repeats up to the next row's offset
        End,    // an offset alone: the dump's length
    };
    Kind kind = Kind::Data;
    qint64 offset = 0;
    QByteArray bytes;
};

// Reads one line (blanks already trimmed from both ends) into `row`, or
// returns false when the line is not a row of the form.
using OffsetRowParser = bool (*)(QByteArrayView line, OffsetRow &row);

// The bytes of the first dump in `text` that starts at offset 0, whose rows
// follow on from each other and that makes a whole table. The dump ends at a
// line that is not one of its rows, at an offset alone or at a new dump from
// offset 0; an offset that leaves a gap or goes back breaks it.
std::optional<QByteArray> findOffsetDump(QByteArrayView text, OffsetRowParser parseRow);

} // namespace varnex::edid::forms
