#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::edid::forms {

// The EDID property of `xrandr --verbose`: an "EDID:" line followed by
// lines of hex digits indented deeper (32 digits each). The rest of
// xrandr's output may surround it; of several outputs, the first with a
// whole table is taken.
std::optional<QByteArray> parseXrandrVerbose(QByteArrayView text);

// What parseXrandrVerbose chose when the dump holds several outputs, for the
// user: "Took the EDID of HDMI-1; DP-1 and DP-2 have one too." (or "...; no
// other output has one."). Empty for a dump of one output, or when no output
// has a whole table. Outputs are xrandr's unindented "NAME connected ..." and
// "NAME disconnected ..." lines.
QString xrandrVerboseNote(QByteArrayView text);

} // namespace varnex::edid::forms
