#pragma once

#include "ImportResult.h"

#include <QByteArrayView>

namespace varnex::edid {

// Reads a table from the text of another tool's dump, recognising the form
// by the content alone. The forms are tried in this order, the first whole
// table winning:
//   1. edid-decode report, 2. xrandr --verbose, 3. "EDID BYTES:" report
//      — each announced by a title line; their hex rows would also pass
//      as plain rows, so they come first and are named for what they are;
//   4. C array, 5. xxd, 6. hexdump -C — each with a syntax of its own
//      (0x.. in braces, "offset:", "offset  ... |text|");
//   7. plain rows of hex pairs — no title and no offsets, so only once
//      nothing more specific matched;
//   8. base64 — last, because every hex digit is a base64 character: an
//      `xxd -p` dump is also valid base64 of another length.
// A text that starts with a UTF-16 or UTF-32 byte order mark is decoded
// first, as Windows tools may write their reports so; a UTF-8 one is
// skipped. Any input is safe: every form is read in one pass, and a table
// longer than MaxImportTableSize is refused. Returns form None when no form
// holds a whole table.
ImportResult importEdidText(QByteArrayView text);

} // namespace varnex::edid
