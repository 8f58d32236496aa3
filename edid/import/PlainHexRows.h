#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// The table of rows of hex bytes without offsets: two-digit pairs apart by
// blanks (`od -An -tx1`, edid-decode's rows alone) or one run of digits a
// line (`xxd -p`). Blank lines may part the rows; other text around them is
// ignored. Words of four or more digits apart by blanks are refused, since
// `od -x` and `hexdump` print them with their bytes swapped.
//
// od marks repeated rows with a "*" line but, without offsets, not how many
// rows it stands for. One such line is filled in when exactly one count
// makes the table as long as its base block says (byte 126, the number of
// extension blocks) and the table starts with the EDID header; otherwise the
// rows are not taken. `od -An -v -tx1`
// prints every row.
std::optional<QByteArray> parsePlainHexRows(QByteArrayView text);

} // namespace varnex::edid::forms
