#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// The table of a `hexdump -C FILE` dump ("00000000  00 ff ff ...  |........|"),
// with its "*" repeats and closing length; rows led by a hex offset without
// the text column (`od -Ax -tx1`) read alike. The text around it is ignored.
std::optional<QByteArray> parseHexdumpCanonical(QByteArrayView text);

} // namespace varnex::edid::forms
