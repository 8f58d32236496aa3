#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// The table of the first C or C++ array initialiser in `text` whose
// elements are all byte values written as 0x.. (one or two hex digits,
// either case, an optional u suffix), such as `xxd -i FILE` writes. Comments,
// line breaks, nested braces ({{...}}) and a trailing comma are allowed;
// declarations and other code around it are ignored.
std::optional<QByteArray> parseCArray(QByteArrayView text);

} // namespace varnex::edid::forms
