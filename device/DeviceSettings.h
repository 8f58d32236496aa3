#pragma once

#include <QtGlobal>

namespace varnex::device {

// The serial number that identifies the Varnex among the bridge devices.
inline constexpr quint16 DefaultSerialNumber = 2020;
// I2C address of the EDID memory the Varnex presents to its source.
inline constexpr quint8 DefaultEdidAddress = 0xA0;

// The process-wide settings of the device link. The start-up mode query puts
// the defaults in place; afterwards the AUTOMIX flag follows the radio buttons
// and the address changes only through MainWindow::SelectEdid.
struct DeviceSettings
{
    quint16 serialNumber = DefaultSerialNumber;
    quint8 automix = 1; // 1 = AUTOMIX, 0 = CUSTOM
    quint8 edidAddress = DefaultEdidAddress;
};

} // namespace varnex::device
