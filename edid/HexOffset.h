#pragma once

#include <QString>

namespace varnex::edid {

// A byte value as users read it in hex text: 0x40 (upper-case digits, at
// least two of them). The form of every hex number the program shows in a
// sentence or a field, apart from the decoded tree's offset column.
QString hexValue(int value);

// An EDID offset as users read it in hex text lines, in the form of hexValue.
QString hexOffset(int offset);

} // namespace varnex::edid
