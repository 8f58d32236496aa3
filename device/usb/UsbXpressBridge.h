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
#include <set>
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
// devices is a failing status. A device that declares no serial-number or
// product string reports an empty one successfully; the link name fails when
// the device has gone since it was counted.
// Received data goes through a host-side buffer: checkRxQueue() makes one short
// bulk IN read into it and reports what it holds, read() takes from it and, when
// it holds too little, reads on until the bytes are there or ReadTimeoutMs is
// over; a short count is not an error. Handles are keys of this object's own
// table of open devices and are never reused. Once the USB layer has said that
// a device is gone, every call on its handle fails at once without touching the
// device, and close() only lets go of the handle.
// A kernel driver bound to the bridge interface (the in-kernel serial driver
// takes the factory ids) is detached when the device is first opened and given
// back only when this object is destroyed, so that it does not come and go
// between device actions.
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
    // Longest bulk IN transfer; each one is cut down to whole packets of the
    // endpoint, so that a packet never overflows it.
    static constexpr int BulkInChunk = 16 * 64;
    // The host buffer stops reading from the device when it holds this much.
    static constexpr int RxBufferCapacity = 1024 * 64;
    // A flush reads the device's IN FIFO empty with reads of this timeout, at
    // most this many of them: a device that never stops sending fails the flush.
    static constexpr unsigned FlushDrainTimeoutMs = 5;
    static constexpr int FlushDrainReadLimit = 64;
    // queueStatus values of checkRxQueue(), as the vendor's own library reports
    // them (its bit 0, overrun, never arises here).
    static constexpr quint32 RxQueueEmpty = 0x00;
    static constexpr quint32 RxQueueHasData = 0x02;

    // clock defaults to std::chrono::steady_clock.
    UsbXpressBridge(std::unique_ptr<UsbApi> api, QList<UsbId> acceptedIds, Clock clock = {});
    // Closes every device still open and gives detached kernel drivers back.
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
        bool gone = false; // the USB layer reported the device disconnected
    };

    int refreshDevices();
    const Candidate *candidate(quint32 index);
    OpenDevice *openDevice(BridgeHandle handle);
    OpenDevice *openDeviceAt(const QByteArray &linkPath);
    BridgeStatus readString(const Candidate &device, quint8 descriptorIndex, QByteArray *text);
    // Success when the counted device can still be reached.
    BridgeStatus checkPresent(const Candidate &device);
    // Detaches a kernel driver bound to the bridge interface; returns a UsbCode.
    int detachKernelDriver(UsbHandleId usb, const QByteArray &linkPath);
    // Passes `usbCode` through, marking the device gone when it says so.
    static int track(OpenDevice &device, int usbCode);
    // True when the host buffer has room for at least one IN packet.
    static bool hasRoomForPacket(const OpenDevice &device);
    // One bulk IN transfer appended to the host buffer; returns its UsbCode.
    // Makes no transfer when not even one packet fits.
    int fillRxBuffer(OpenDevice &device, unsigned timeoutMs);
    // Reads and drops what the device still holds; returns a UsbCode.
    int drainDevice(OpenDevice &device);
    void shutDown(OpenDevice &device, int *firstError);
    void giveKernelDriversBack();
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
    // Link paths of the devices whose kernel driver this object detached.
    std::set<QByteArray> m_detached;
};

} // namespace usb
} // namespace varnex::device
