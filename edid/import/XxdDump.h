#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// The table of an `xxd FILE` dump ("00000000: 00ff ffff ...  ascii"),
// also with -a, -c or -g; the text around it is ignored.
std::optional<QByteArray> parseXxdDump(QByteArrayView text);

} // namespace varnex::edid::forms
