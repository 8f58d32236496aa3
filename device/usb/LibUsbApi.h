#pragma once

#include "UsbApi.h"

struct libusb_context;
struct libusb_device;

namespace varnex::device::usb {

// UsbApi over libusb-1.0. Owns the libusb context, created at construction;
// when that fails (no USB subsystem), initStatus() says so and every other call
// fails with the same code instead of touching libusb.
class LibUsbApi final : public UsbApi
{
public:
    LibUsbApi();
    ~LibUsbApi() override;
    LibUsbApi(const LibUsbApi &) = delete;
    LibUsbApi &operator=(const LibUsbApi &) = delete;

    int initStatus() const override { return m_initStatus; }
    int enumerate(std::vector<UsbDeviceInfo> *devices) override;
    int open(UsbDeviceId device, UsbHandleId *handle) override;
    void close(UsbHandleId handle) override;
    int stringDescriptor(UsbHandleId handle, quint8 index, QByteArray *text) override;
    int kernelDriverActive(UsbHandleId handle, int interfaceNumber) override;
    int detachKernelDriver(UsbHandleId handle, int interfaceNumber) override;
    int attachKernelDriver(UsbHandleId handle, int interfaceNumber) override;
    int claimInterface(UsbHandleId handle, int interfaceNumber) override;
    int releaseInterface(UsbHandleId handle, int interfaceNumber) override;
    int clearHalt(UsbHandleId handle, quint8 endpoint) override;
    int controlOut(UsbHandleId handle, quint8 requestType, quint8 request, quint16 value,
                   quint16 index, unsigned timeoutMs) override;
    int bulkTransfer(UsbHandleId handle, quint8 endpoint, quint8 *data, int length,
                     int *transferred, unsigned timeoutMs) override;

private:
    void releaseSnapshot();

    libusb_context *m_context = nullptr;
    int m_initStatus = UsbCode::Success;
    // The latest device list; each entry holds a reference until the next enumeration.
    std::vector<libusb_device *> m_snapshot;
};

} // namespace varnex::device::usb
