#include "BridgeEndpoints.h"

#include "UsbXpressProtocol.h"

namespace varnex::device::usb {

namespace {

// bmAttributes bits 0-1 give the transfer type; 2 is bulk (USB 2.0, 9.6.6).
constexpr quint8 TransferTypeMask = 0x03;
constexpr quint8 BulkTransferType = 0x02;
// Bit 7 of bEndpointAddress is the direction; set means IN.
constexpr quint8 DirectionInBit = 0x80;
// Bits 0-10 of wMaxPacketSize give the packet size; bits 11-12 only matter to
// high-bandwidth periodic endpoints (USB 2.0, 9.6.6).
constexpr quint16 PacketSizeMask = 0x07FF;

struct Endpoint
{
    quint8 address = 0;
    int packetSize = 0;
};

} // namespace

std::optional<BridgeEndpoints> findBridgeEndpoints(const UsbDeviceInfo &device)
{
    for (const UsbInterfaceInfo &interface : device.interfaces) {
        if (interface.number != UsbXpress::InterfaceNumber || interface.alternateSetting != 0 ||
            interface.interfaceClass != UsbXpress::InterfaceClass)
            continue;
        std::optional<Endpoint> in;
        std::optional<Endpoint> out;
        for (const UsbEndpointInfo &endpoint : interface.endpoints) {
            const int packetSize = endpoint.maxPacketSize & PacketSizeMask;
            if ((endpoint.attributes & TransferTypeMask) != BulkTransferType || packetSize == 0)
                continue;
            std::optional<Endpoint> &slot = (endpoint.address & DirectionInBit) ? in : out;
            if (!slot)
                slot = Endpoint{endpoint.address, packetSize};
        }
        if (in && out)
            return BridgeEndpoints{in->address, out->address, in->packetSize, out->packetSize};
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace varnex::device::usb
