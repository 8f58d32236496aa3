#pragma once

#include "UsbApi.h"

#include <map>
#include <set>

class FuzzedDataProvider;

// What the fuzzed USB layer holds for its user; outlives the layer, which the
// backend owns.
struct FuzzedUsbState
{
    qint64 now = 0; // milliseconds
    int openHandles = 0;
    int claimedInterfaces = 0;
};

// The USB layer as a device of the fuzz input's choosing presents it: the
// device list with its descriptors, string descriptors of any length, the
// result of every call and the data of every bulk IN transfer. Transfer data
// comes from the front of the input, decisions from its back; once the input
// is used up it is one well-formed bridge that answers with zeros. It keeps to
// libusb's contract (a transfer fills at most `length` bytes) but may report
// more than it moved. Time moves only by its transfers: each takes a
// millisecond, or its whole time-out when it times out.
class FuzzedUsbApi final : public varnex::device::usb::UsbApi
{
public:
    FuzzedUsbApi(FuzzedDataProvider &input, FuzzedUsbState &state);

    int initStatus() const override { return m_initStatus; }
    int enumerate(std::vector<varnex::device::usb::UsbDeviceInfo> *devices) override;
    int open(varnex::device::usb::UsbDeviceId device,
             varnex::device::usb::UsbHandleId *handle) override;
    void close(varnex::device::usb::UsbHandleId handle) override;
    int stringDescriptor(varnex::device::usb::UsbHandleId handle, quint8 index,
                         QByteArray *text) override;
    int kernelDriverActive(varnex::device::usb::UsbHandleId handle, int interfaceNumber) override;
    int detachKernelDriver(varnex::device::usb::UsbHandleId handle, int interfaceNumber) override;
    int attachKernelDriver(varnex::device::usb::UsbHandleId handle, int interfaceNumber) override;
    int claimInterface(varnex::device::usb::UsbHandleId handle, int interfaceNumber) override;
    int releaseInterface(varnex::device::usb::UsbHandleId handle, int interfaceNumber) override;
    int clearHalt(varnex::device::usb::UsbHandleId handle, quint8 endpoint) override;
    int controlOut(varnex::device::usb::UsbHandleId handle, quint8 requestType, quint8 request,
                   quint16 value, quint16 index, unsigned timeoutMs) override;
    int bulkTransfer(varnex::device::usb::UsbHandleId handle, quint8 endpoint, quint8 *data,
                     int length, int *transferred, unsigned timeoutMs) override;

private:
    // Success, or now and then one of libusb's error codes.
    int result();
    void requireOpen(varnex::device::usb::UsbHandleId handle) const;
    varnex::device::usb::UsbDeviceInfo device();

    FuzzedDataProvider &m_input;
    FuzzedUsbState &m_state;
    int m_initStatus = 0;
    std::size_t m_listed = 0;
    std::set<varnex::device::usb::UsbHandleId> m_open;
    std::map<varnex::device::usb::UsbHandleId, int> m_claimed; // interfaces by handle
    varnex::device::usb::UsbHandleId m_nextHandle = 1;
};
