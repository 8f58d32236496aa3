#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// The table of an `edid-decode FILE` report: the rows of hex pairs under
// its "edid-decode (hex):" line, blocks apart by blank lines. The decoded
// part after them, and any text before, is ignored.
std::optional<QByteArray> parseEdidDecodeReport(QByteArrayView text);

} // namespace varnex::edid::forms
