#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// The table of `base64 FILE` output: the whole text, apart from white space,
// is standard base64. As with a raw file, the table's first byte must be 0,
// which keeps ordinary words out.
std::optional<QByteArray> parseBase64Dump(QByteArrayView text);

} // namespace varnex::edid::forms
