#pragma once

#include "BridgeEndpoints.h"
#include "BridgeLibrary.h"
#include "UsbApi.h"
#include "UsbIds.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace varnex::device {

// The direct USB backend for the bridge, accepting the ids listed in
// `acceptedIds` as VARNEX_USB_IDS gives them (empty: 10c4:ea61). Never fails:
// without a usable USB subsystem it simply counts no devices.
std::unique_ptr<BridgeLibrary> createUsbXpressBridge(const QString &acceptedIds);

namespace usb {

// The bridge contract over a USBXpress firmware device reached through UsbApi.
//
// Devices are the USB devices with an accepted id, in the USB layer's order;
// getDeviceCount() takes a fresh snapshot that the index-based calls then use.
// When the USB layer could not start (no USB subsystem), it counts no device and
// succeeds: to the user that is the same as nothing plugged in. A failure to list
// devices is a failing status.
// Received data goes through a host-side buffer: checkRxQueue() makes one short
// bulk IN read into it and reports what it holds, read() takes from it and, when
// it holds too little, reads on until the bytes are there or ReadTimeoutMs is
// over; a short count is not an error. Handles are keys of this object's own
// table of open devices and are never reused.
class UsbXpressBridge final : public BridgeLibrary
{
public:
    // Monotonic milliseconds; bounds the wait of read().
    using Clock = std::function<qint64()>;

    // Timeout of the bulk IN read made by each checkRxQueue(): short, so that the
    // caller's wait loop sleeps in the kernel yet sees a reply within milliseconds.
    static constexpr unsigned RxPollTimeoutMs = 5;
    // Longest time read() waits for missing bytes.
    static constexpr unsigned ReadTimeoutMs = 1000;
    // Timeout of a bulk OUT write and of a control request.
    static constexpr unsigned WriteTimeoutMs = 1000;
    static constexpr unsigned ControlTimeoutMs = 1000;
    // Length of one bulk IN transfer; a multiple of the packet size, so that a
    // packet never overflows the transfer.
    static constexpr int BulkInChunk = 16 * 64;
    // The host buffer stops reading from the device when it holds this much.
    static constexpr int RxBufferCapacity = 1024 * 64;
    // queueStatus values of checkRxQueue().
    static constexpr quint32 RxQueueEmpty = 0;
    static constexpr quint32 RxQueueHasData = 1;

    // clock defaults to std::chrono::steady_clock.
    UsbXpressBridge(std::unique_ptr<UsbApi> api, QList<UsbId> acceptedIds, Clock clock = {});
    // Closes every device still open.
    ~UsbXpressBridge() override;
    UsbXpressBridge(const UsbXpressBridge &) = delete;
    UsbXpressBridge &operator=(const UsbXpressBridge &) = delete;

    BridgeStatus getDeviceCount(quint32 *count) override;
    BridgeStatus getDeviceString(quint32 index, char *buffer, quint32 option) override;
    BridgeStatus open(quint32 index, BridgeHandle *handle) override;
    BridgeStatus close(BridgeHandle handle) override;
    BridgeStatus read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                      quint32 *returned) override;
    BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                       quint32 *written) override;
    BridgeStatus flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                              quint8 flushReceive) override;
    BridgeStatus checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                              quint32 *queueStatus) override;

private:
    struct Candidate
    {
        UsbDeviceId id = 0;
        UsbDeviceInfo info;
    };
    struct OpenDevice
    {
        UsbHandleId usb = 0;
        QByteArray linkPath;
        BridgeEndpoints endpoints;
        std::vector<quint8> rx;
    };

    int refreshDevices();
    const Candidate *candidate(quint32 index);
    OpenDevice *openDevice(BridgeHandle handle);
    BridgeStatus readString(const Candidate &device, quint8 descriptorIndex, QByteArray *text);
    // One bulk IN transfer appended to the host buffer; returns its UsbCode.
    int fillRxBuffer(OpenDevice &device, unsigned timeoutMs);
    void shutDown(OpenDevice &device, int *firstError);
    void noteUsbFailure(const char *operation, int usbCode);

    std::unique_ptr<UsbApi> m_api;
    QList<UsbId> m_acceptedIds;
    Clock m_clock;
    std::vector<Candidate> m_devices;
    bool m_enumerated = false;
    bool m_unavailableReported = false;
    bool m_accessHintGiven = false;
    std::map<BridgeHandle, OpenDevice> m_open;
    BridgeHandle m_nextHandle = 1;
};

} // namespace usb
} // namespace varnex::device
