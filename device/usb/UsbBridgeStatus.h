#pragma once

#include "BridgeLibrary.h"

#include <QString>

namespace varnex::device::usb {

// Failure statuses of the USB bridge backend. Callers only tell them from
// BridgeSuccess; the values keep log lines precise.
enum UsbBridgeStatus : BridgeStatus
{
    InvalidHandleStatus = 0x01,     // handle not open in this backend
    DeviceNotFoundStatus = 0x02,    // index beyond the device count
    InvalidParameterStatus = 0x03,  // unknown string option
    DeviceNotUsableStatus = 0x04,   // no vendor interface 0 with bulk IN and OUT endpoints
    StringUnavailableStatus = 0x05, // the device declares no such string
    IncompleteWriteStatus = 0x06,   // bulk OUT moved fewer bytes than asked
    // A libusb error code e becomes UsbErrorStatusBase + (-e).
    UsbErrorStatusBase = 0x100,
};

// The one mapping from a UsbCode to a bridge status: 0 stays success, every
// error becomes a distinct non-zero status, and Access becomes
// BridgeAccessDenied.
BridgeStatus bridgeStatusFromUsb(int usbCode);

// Short English description of a status, for log lines.
QString usbBridgeStatusText(BridgeStatus status);

} // namespace varnex::device::usb
