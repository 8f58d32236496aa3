#pragma once

#include <QString>

namespace varnex::edid {

// An EDID offset as users read it in hex text lines: 0x40 (upper-case digits,
// at least two of them).
QString hexOffset(int offset);

} // namespace varnex::edid
