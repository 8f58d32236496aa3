#pragma once

#include "decode/DisplayIdModel.h"

#include <QJsonArray>
#include <QJsonObject>

namespace varnex::edid {

// The DisplayID section of one extension block as JSON: version,
// productType, timings (Type I and VII detailed timings), codeTimings,
// shortTimings, formulaTimings, tiledTopology, displayParameters, product,
// containerId, adaptiveSync, checksum and dataBlocks (each with tag, name,
// offset, length, payload and decoded). The embedded CTA-861 data blocks
// are added by the caller, which knows the CTA-861 form.
QJsonObject displayIdJson(const DisplayIdSection &section);

// The named parts of a VTB, DI-EXT or block map block.
QJsonArray extensionFieldsJson(const QList<ExtensionField> &fields);

} // namespace varnex::edid
