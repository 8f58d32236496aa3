#pragma once

#include "UsbApi.h"

#include <QByteArray>
#include <QStringList>

#include <deque>
#include <map>
#include <vector>

namespace varnex::device::usb {

// A scripted USB device as the fake lists it.
struct FakeDevice
{
    UsbDeviceInfo info;
    std::map<quint8, QByteArray> strings; // string descriptors by index
};

// What one bulk IN transfer yields: data and the result code it ends with.
struct BulkInStep
{
    QByteArray data;
    int result = UsbCode::Success;
};

// The state behind FakeUsbApi, owned by the test so that it outlives the
// backend that owns the fake.
struct FakeUsbState
{
    int initStatus = UsbCode::Success;
    int enumerateResult = UsbCode::Success;
    std::vector<FakeDevice> devices;
    // Every call, e.g. "claim 0", "clearHalt 81", "control 40 02 0002 0000".
    QStringList log;
    // A call fails with the code given for its whole log line or its first word.
    std::map<QString, int> failures;
    // Bulk IN transfers in arrival order; when none is left a transfer times out empty.
    std::deque<BulkInStep> bulkIn;
    std::vector<int> bulkInLengths;
    std::vector<unsigned> bulkInTimeouts;
    QByteArray bulkOut;
    std::vector<int> bulkOutLengths;
    // When set, a bulk OUT moves only this many bytes.
    int bulkOutLimit = -1;
    // Milliseconds; advanced by every transfer that times out.
    qint64 now = 0;
    int openHandles = 0;
    int claimedInterfaces = 0;
    // Whether a kernel driver holds the interface (of every device).
    bool kernelDriverBound = false;
};

class FakeUsbApi final : public UsbApi
{
public:
    explicit FakeUsbApi(FakeUsbState *state) : m_state(state) {}

    int initStatus() const override { return m_state->initStatus; }
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
    // Logs the call and returns the failure scripted for it, if any.
    int record(const QString &call);

    FakeUsbState *m_state;
};

} // namespace varnex::device::usb
