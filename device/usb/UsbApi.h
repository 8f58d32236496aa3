#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

namespace varnex::device::usb {

// Result codes of the USB layer: 0 or one of libusb's negative error codes.
// The values are libusb's own (checked at compile time in LibUsbApi.cpp), named
// here so that code outside the libusb adapter never needs libusb.h.
namespace UsbCode {
inline constexpr int Success = 0;
inline constexpr int Io = -1;
inline constexpr int InvalidParam = -2;
inline constexpr int Access = -3;
inline constexpr int NoDevice = -4;
inline constexpr int NotFound = -5;
inline constexpr int Busy = -6;
inline constexpr int Timeout = -7;
inline constexpr int Overflow = -8;
inline constexpr int Pipe = -9;
inline constexpr int Interrupted = -10;
inline constexpr int NoMem = -11;
inline constexpr int NotSupported = -12;
inline constexpr int Other = -99;
} // namespace UsbCode

// One endpoint of an interface, as its descriptor states it.
struct UsbEndpointInfo
{
    quint8 address = 0;    // bit 7 set: IN
    quint8 attributes = 0; // bits 0-1: transfer type
    quint16 maxPacketSize = 0;
};

// One alternate setting of an interface of the active configuration.
struct UsbInterfaceInfo
{
    quint8 number = 0;
    quint8 alternateSetting = 0;
    quint8 interfaceClass = 0;
    std::vector<UsbEndpointInfo> endpoints;
};

// What the device list tells of a device without opening it.
struct UsbDeviceInfo
{
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint8 serialNumberIndex = 0; // string descriptor index; 0 = none
    quint8 productIndex = 0;      // string descriptor index; 0 = none
    quint8 busNumber = 0;
    std::vector<quint8> portNumbers; // root hub port first
    std::vector<UsbInterfaceInfo> interfaces;
};

// Position of a device in the latest enumeration; valid until the next one.
using UsbDeviceId = quint32;
// An open device of the USB layer; opaque.
using UsbHandleId = quintptr;

// The few USB operations the bridge backend needs, shaped after libusb's
// synchronous API. The real implementation wraps libusb; tests script a device
// behind the same calls. Every call returns a UsbCode.
class UsbApi
{
public:
    virtual ~UsbApi() = default;

    // Result of setting up the USB layer itself (e.g. no USB subsystem).
    virtual int initStatus() const = 0;
    // Replaces the device snapshot; devices are listed in the USB layer's order.
    virtual int enumerate(std::vector<UsbDeviceInfo> *devices) = 0;
    virtual int open(UsbDeviceId device, UsbHandleId *handle) = 0;
    virtual void close(UsbHandleId handle) = 0;
    // The string descriptor at index, converted to ASCII.
    virtual int stringDescriptor(UsbHandleId handle, quint8 index, QByteArray *text) = 0;
    // 1 when a kernel driver other than the USB layer's own holds the
    // interface, 0 when none does, or a failing UsbCode.
    virtual int kernelDriverActive(UsbHandleId handle, int interfaceNumber) = 0;
    virtual int detachKernelDriver(UsbHandleId handle, int interfaceNumber) = 0;
    virtual int attachKernelDriver(UsbHandleId handle, int interfaceNumber) = 0;
    virtual int claimInterface(UsbHandleId handle, int interfaceNumber) = 0;
    virtual int releaseInterface(UsbHandleId handle, int interfaceNumber) = 0;
    virtual int clearHalt(UsbHandleId handle, quint8 endpoint) = 0;
    // A control request without a data stage.
    virtual int controlOut(UsbHandleId handle, quint8 requestType, quint8 request, quint16 value,
                           quint16 index, unsigned timeoutMs) = 0;
    // *transferred is set even when the result is an error (a timeout may carry data).
    // A length of 0 on an OUT endpoint sends a zero-length packet.
    virtual int bulkTransfer(UsbHandleId handle, quint8 endpoint, quint8 *data, int length,
                             int *transferred, unsigned timeoutMs) = 0;
};

} // namespace varnex::device::usb
