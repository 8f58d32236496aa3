#pragma once

#include <QtGlobal>

// What the USBXpress bridge firmware expects on the wire.
namespace varnex::device::usb::UsbXpress {

// The firmware offers a single vendor-class interface.
inline constexpr int InterfaceNumber = 0;
inline constexpr quint8 InterfaceClass = 0xFF;

// Control requests: vendor type, host to device, to the device, no data stage.
inline constexpr quint8 RequestType = 0x40;
inline constexpr quint8 Request = 0x02;
inline constexpr quint16 RequestIndex = 0;

// wValue of the control request. The firmware moves no data before Enable.
inline constexpr quint16 FlushValue = 0x0001;
inline constexpr quint16 EnableValue = 0x0002;
inline constexpr quint16 DisableValue = 0x0004;

} // namespace varnex::device::usb::UsbXpress
