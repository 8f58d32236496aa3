#pragma once

#include "decode/EdidModel.h"

#include <QJsonObject>

namespace varnex::edid {

// The decoded table as JSON, the one machine-readable form. Top-level keys:
// size, blocks, base, cta (the first CTA-861 block), extensions, findings,
// summary. A fact the table does not hold is null, never a made-up value.
// Key names are a contract with the command-line tool and its readers:
// add keys, never rename them.
QJsonObject toJson(const DecodedEdid &edid);

} // namespace varnex::edid
