#pragma once

#include "capability/Capabilities.h"

#include <QJsonObject>

namespace varnex::edid {

// The `capabilities` object of the decode JSON. Keys: modes (width, height,
// interlaced, refreshHz, pixelClockKHz, preferred, sources, ycbcr420,
// ycbcr420Only), audio, speakers, colorFormats, deepColor, hdr, maxTmdsMHz,
// hdmiForum, hdmi. A fact the table does not hold is null. Add keys, never rename them.
QJsonObject capabilitiesJson(const Capabilities &caps);

// One entry of `modes`, also used for the modes a composed table offers.
QJsonObject capabilityModeJson(const CapabilityMode &mode);

// The sample rates (kHz) and LPCM sample sizes (bits) of SAD masks.
QList<double> sampleRatesKHz(quint8 mask);
QList<int> sampleSizesBits(quint8 mask);

} // namespace varnex::edid
