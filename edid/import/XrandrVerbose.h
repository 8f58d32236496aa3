#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace varnex::edid::forms {

// The EDID property of `xrandr --verbose`: an "EDID:" line followed by
// lines of hex digits indented deeper (32 digits each). The rest of
// xrandr's output may surround it; of several outputs, the first with a
// whole table is taken.
std::optional<QByteArray> parseXrandrVerbose(QByteArrayView text);

} // namespace varnex::edid::forms
