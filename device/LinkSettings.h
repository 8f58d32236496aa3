#pragma once

#include <QtGlobal>

namespace varnex::device {

// The serial number that identifies the Varnex among the bridge devices.
inline constexpr quint16 DefaultSerialNumber = 2020;
// I2C address of the EDID memory the Varnex presents to its source.
inline constexpr quint8 DefaultEdidAddress = 0xA0;

// What the device link itself needs to know: which bridge device is the
// Varnex. The program's full record of settings extends this one
// (splitter/DeviceSettings.h); the link reads it at every open.
struct LinkSettings
{
    quint16 serialNumber = DefaultSerialNumber;
};

} // namespace varnex::device
