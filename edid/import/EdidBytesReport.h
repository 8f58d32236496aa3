#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// The table of a text report that lists the EDID under an "EDID BYTES:"
// line: a header row of column numbers, a dashed line, then rows
// "00 | 00 FF FF ..." labelled with their offset in hex. The rest of the
// report is ignored.
std::optional<QByteArray> parseEdidBytesReport(QByteArrayView text);

} // namespace varnex::edid::forms
