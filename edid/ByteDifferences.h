#pragma once

#include "EdidImage.h"

#include <QList>
#include <QString>

namespace varnex::edid {

// The offsets, rising, at which the two tables hold different bytes.
QList<int> differingOffsets(const EdidImage &a, const EdidImage &b);

// How many bytes differ and where, for a sentence: "3 bytes differ, at 0x12,
// 0x13 and 0x7F". The first NamedOffsetLimit offsets are named, the rest
// counted ("... and 4 more"). Empty for no offsets.
QString describeDifferingOffsets(const QList<int> &offsets);

// A message names at most this many offsets; a faulty memory can make all
// 256 differ, and a list that long helps nobody.
inline constexpr int NamedOffsetLimit = 8;

} // namespace varnex::edid
