#pragma once

#include "UsbApi.h"

#include <optional>

namespace varnex::device::usb {

// The bulk endpoint pair of the bridge interface, with the packet size of each.
struct BridgeEndpoints
{
    quint8 in = 0;
    quint8 out = 0;
    int inPacketSize = 0; // bytes, never 0
    int outPacketSize = 0;
    friend bool operator==(const BridgeEndpoints &, const BridgeEndpoints &) = default;
};

// Finds the bulk IN and OUT endpoints of the bridge's vendor-class interface 0
// (alternate setting 0). Their addresses differ between firmware generations,
// so they are always read from the descriptors, and so are the packet sizes.
// Empty when the device has no such interface or lacks either endpoint; an
// endpoint that declares a packet size of 0 does not count.
std::optional<BridgeEndpoints> findBridgeEndpoints(const UsbDeviceInfo &device);

} // namespace varnex::device::usb
