#pragma once

#include "LinkSettings.h"

namespace varnex::splitter {

// The process-wide settings of the program's dealings with the Varnex: the
// serial number the link looks for, the AUTOMIX flag and the address of the
// EDID memory. The start-up mode query puts the defaults in place;
// afterwards the AUTOMIX flag follows the radio buttons and the address
// changes only through MainWindow::SelectEdid.
struct DeviceSettings : device::LinkSettings
{
    quint8 automix = 1; // 1 = AUTOMIX, 0 = CUSTOM
    quint8 edidAddress = device::DefaultEdidAddress;
};

} // namespace varnex::splitter
