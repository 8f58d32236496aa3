#include "BridgeEndpoints.h"

#include "UsbXpressProtocol.h"

namespace varnex::device::usb {

namespace {

// bmAttributes bits 0-1 give the transfer type; 2 is bulk (USB 2.0, 9.6.6).
constexpr quint8 TransferTypeMask = 0x03;
constexpr quint8 BulkTransferType = 0x02;
// Bit 7 of bEndpointAddress is the direction; set means IN.
constexpr quint8 DirectionInBit = 0x80;

} // namespace

std::optional<BridgeEndpoints> findBridgeEndpoints(const UsbDeviceInfo &device)
{
    for (const UsbInterfaceInfo &interface : device.interfaces) {
        if (interface.number != UsbXpress::InterfaceNumber || interface.alternateSetting != 0 ||
            interface.interfaceClass != UsbXpress::InterfaceClass)
            continue;
        std::optional<quint8> in;
        std::optional<quint8> out;
        for (const UsbEndpointInfo &endpoint : interface.endpoints) {
            if ((endpoint.attributes & TransferTypeMask) != BulkTransferType)
                continue;
            std::optional<quint8> &slot = (endpoint.address & DirectionInBit) ? in : out;
            if (!slot)
                slot = endpoint.address;
        }
        if (in && out)
            return BridgeEndpoints{*in, *out};
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace varnex::device::usb
