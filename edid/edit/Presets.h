#pragma once

#include "EdidImage.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::edid {

// Machine names of the ready-made tables ("1080p60-stereo", ...), in menu order.
QStringList presetNames();

// The human title of a preset ("1080p60, stereo"); empty for an unknown name.
QString presetTitle(const QString &name);

// The complete 256-byte table of a preset, built through the edit functions;
// nothing for an unknown name.
std::optional<EdidImage> buildPreset(const QString &name);

} // namespace varnex::edid
