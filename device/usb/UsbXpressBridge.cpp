#include "UsbXpressBridge.h"

#include "UsbBridgeStatus.h"
#include "UsbLogging.h"
#include "UsbXpressProtocol.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

namespace varnex::device::usb {

namespace {

qint64 steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A stable name of the device's place on the bus, e.g. "usb:1-2.3".
QByteArray linkPathOf(const UsbDeviceInfo &info)
{
    QByteArray path = "usb:" + QByteArray::number(info.busNumber);
    for (size_t i = 0; i < info.portNumbers.size(); ++i) {
        path += i == 0 ? '-' : '.';
        path += QByteArray::number(info.portNumbers[i]);
    }
    return path;
}

// Copies text into the caller's DeviceStringBufferSize bytes, NUL-terminated.
void copyString(const QByteArray &text, char *buffer)
{
    const qsizetype length = std::min<qsizetype>(text.size(), DeviceStringBufferSize - 1);
    std::memcpy(buffer, text.constData(), size_t(length));
    buffer[length] = '\0';
}

int firstFailure(int current, int next)
{
    return current != UsbCode::Success ? current : next;
}

// What every call on a handle whose device has gone returns.
BridgeStatus goneStatus()
{
    return bridgeStatusFromUsb(UsbCode::NoDevice);
}

} // namespace

UsbXpressBridge::UsbXpressBridge(std::unique_ptr<UsbApi> api, QList<UsbId> acceptedIds, Clock clock)
    : m_api(std::move(api)), m_acceptedIds(std::move(acceptedIds)),
      m_clock(clock ? std::move(clock) : Clock(steadyMilliseconds))
{
}

UsbXpressBridge::~UsbXpressBridge()
{
    for (auto &[handle, device] : m_open) {
        int ignored = UsbCode::Success;
        shutDown(device, &ignored);
    }
    m_open.clear();
    giveKernelDriversBack();
}

void UsbXpressBridge::giveKernelDriversBack()
{
    if (m_detached.empty())
        return;
    std::vector<UsbDeviceInfo> all;
    if (m_api->enumerate(&all) != UsbCode::Success)
        return;
    for (size_t i = 0; i < all.size(); ++i) {
        const QByteArray path = linkPathOf(all[i]);
        if (!m_detached.contains(path) ||
            !m_acceptedIds.contains(UsbId{all[i].vendorId, all[i].productId}))
            continue;
        UsbHandleId usb = 0;
        int result = m_api->open(UsbDeviceId(i), &usb);
        if (result == UsbCode::Success) {
            result = m_api->attachKernelDriver(usb, UsbXpress::InterfaceNumber);
            m_api->close(usb);
        }
        // No driver wanting the interface is not a failure.
        if (result != UsbCode::Success && result != UsbCode::NotFound)
            noteUsbFailure("giving the interface back to its kernel driver", result);
    }
    m_detached.clear();
}

int UsbXpressBridge::refreshDevices()
{
    m_devices.clear();
    m_enumerated = true;
    std::vector<UsbDeviceInfo> all;
    const int result = m_api->enumerate(&all);
    if (result != UsbCode::Success)
        return result;
    for (size_t i = 0; i < all.size(); ++i) {
        const UsbId id{all[i].vendorId, all[i].productId};
        if (m_acceptedIds.contains(id))
            m_devices.push_back({UsbDeviceId(i), std::move(all[i])});
    }
    return UsbCode::Success;
}

const UsbXpressBridge::Candidate *UsbXpressBridge::candidate(quint32 index)
{
    if (!m_enumerated && m_api->initStatus() == UsbCode::Success)
        refreshDevices();
    return index < m_devices.size() ? &m_devices[index] : nullptr;
}

UsbXpressBridge::OpenDevice *UsbXpressBridge::openDevice(BridgeHandle handle)
{
    const auto found = m_open.find(handle);
    return found == m_open.end() ? nullptr : &found->second;
}

UsbXpressBridge::OpenDevice *UsbXpressBridge::openDeviceAt(const QByteArray &linkPath)
{
    for (auto &[handle, device] : m_open) {
        if (device.linkPath == linkPath)
            return &device;
    }
    return nullptr;
}

int UsbXpressBridge::track(OpenDevice &device, int usbCode)
{
    if (usbCode == UsbCode::NoDevice)
        device.gone = true;
    return usbCode;
}

void UsbXpressBridge::noteUsbFailure(const char *operation, int usbCode)
{
    qCWarning(lcUsbBridge, "USB bridge: %s failed: %s", operation,
              qPrintable(usbBridgeStatusText(bridgeStatusFromUsb(usbCode))));
    if (usbCode == UsbCode::Access && !m_accessHintGiven) {
        m_accessHintGiven = true;
        qCWarning(lcUsbBridge, "USB bridge: no permission to use the device; install the udev "
                               "rule 70-varnex-edid-utility.rules (over SSH or from a service, "
                               "enable its group line), reload the rules and re-plug");
    }
}

BridgeStatus UsbXpressBridge::getDeviceCount(quint32 *count)
{
    *count = 0;
    // Without a USB subsystem there is nothing to reach: that is no device, not a fault.
    if (const int init = m_api->initStatus(); init != UsbCode::Success) {
        if (!m_unavailableReported) {
            m_unavailableReported = true;
            qCWarning(lcUsbBridge, "USB bridge: USB is not available: %s",
                      qPrintable(usbBridgeStatusText(bridgeStatusFromUsb(init))));
        }
        return BridgeSuccess;
    }
    if (const int result = refreshDevices(); result != UsbCode::Success) {
        noteUsbFailure("listing devices", result);
        return bridgeStatusFromUsb(result);
    }
    *count = quint32(m_devices.size());
    return BridgeSuccess;
}

BridgeStatus UsbXpressBridge::readString(const Candidate &device, quint8 descriptorIndex,
                                         QByteArray *text)
{
    // Other gadgets with the factory ids may declare no such string: that is an
    // empty string, which never matches a serial number, not a failure.
    if (descriptorIndex == 0) {
        text->clear();
        return BridgeSuccess;
    }
    if (OpenDevice *open = openDeviceAt(linkPathOf(device.info))) {
        if (open->gone)
            return goneStatus();
        return bridgeStatusFromUsb(
            track(*open, m_api->stringDescriptor(open->usb, descriptorIndex, text)));
    }
    UsbHandleId usb = 0;
    if (const int result = m_api->open(device.id, &usb); result != UsbCode::Success) {
        noteUsbFailure("opening the device for its strings", result);
        return bridgeStatusFromUsb(result);
    }
    const int result = m_api->stringDescriptor(usb, descriptorIndex, text);
    m_api->close(usb);
    return bridgeStatusFromUsb(result);
}

BridgeStatus UsbXpressBridge::checkPresent(const Candidate &device)
{
    if (const OpenDevice *open = openDeviceAt(linkPathOf(device.info)))
        return open->gone ? goneStatus() : BridgeSuccess;
    // The device list is a snapshot; only opening the device tells whether it is still there.
    UsbHandleId usb = 0;
    const int result = m_api->open(device.id, &usb);
    if (result != UsbCode::Success)
        return bridgeStatusFromUsb(result);
    m_api->close(usb);
    return BridgeSuccess;
}

BridgeStatus UsbXpressBridge::getDeviceString(quint32 index, char *buffer, quint32 option)
{
    buffer[0] = '\0';
    const Candidate *device = candidate(index);
    if (!device)
        return DeviceNotFoundStatus;
    QByteArray text;
    BridgeStatus status = BridgeSuccess;
    switch (option) {
    case SerialNumberString:
        status = readString(*device, device->info.serialNumberIndex, &text);
        break;
    case DescriptionString:
        status = readString(*device, device->info.productIndex, &text);
        break;
    case LinkNameString:
        status = checkPresent(*device);
        text = linkPathOf(device->info);
        break;
    default:
        return InvalidParameterStatus;
    }
    if (status == BridgeSuccess)
        copyString(text, buffer);
    return status;
}

BridgeStatus UsbXpressBridge::open(quint32 index, BridgeHandle *handle)
{
    *handle = NoDeviceHandle;
    const Candidate *device = candidate(index);
    if (!device)
        return DeviceNotFoundStatus;
    const std::optional<BridgeEndpoints> endpoints = findBridgeEndpoints(device->info);
    if (!endpoints) {
        qCWarning(lcUsbBridge, "USB bridge: %04x:%04x at %s has no usable bridge interface",
                  device->info.vendorId, device->info.productId,
                  linkPathOf(device->info).constData());
        return DeviceNotUsableStatus;
    }

    UsbHandleId usb = 0;
    if (const int result = m_api->open(device->id, &usb); result != UsbCode::Success) {
        noteUsbFailure("opening the device", result);
        return bridgeStatusFromUsb(result);
    }
    int result = detachKernelDriver(usb, linkPathOf(device->info));
    if (result == UsbCode::Success)
        result = m_api->claimInterface(usb, UsbXpress::InterfaceNumber);
    if (result != UsbCode::Success) {
        noteUsbFailure("claiming the interface", result);
        m_api->close(usb);
        return bridgeStatusFromUsb(result);
    }
    result = m_api->clearHalt(usb, endpoints->in);
    if (result == UsbCode::Success)
        result = m_api->clearHalt(usb, endpoints->out);
    if (result == UsbCode::Success)
        result =
            m_api->controlOut(usb, UsbXpress::RequestType, UsbXpress::Request,
                              UsbXpress::EnableValue, UsbXpress::RequestIndex, ControlTimeoutMs);
    if (result != UsbCode::Success) {
        noteUsbFailure("starting the bridge", result);
        m_api->releaseInterface(usb, UsbXpress::InterfaceNumber);
        m_api->close(usb);
        return bridgeStatusFromUsb(result);
    }

    if (m_nextHandle == NoDeviceHandle)
        m_nextHandle = 1;
    const BridgeHandle key = m_nextHandle++;
    m_open.emplace(key, OpenDevice{usb, linkPathOf(device->info), *endpoints, {}});
    *handle = key;
    return BridgeSuccess;
}

int UsbXpressBridge::detachKernelDriver(UsbHandleId usb, const QByteArray &linkPath)
{
    const int active = m_api->kernelDriverActive(usb, UsbXpress::InterfaceNumber);
    // Platforms without kernel drivers to detach say NotSupported.
    if (active == 0 || active == UsbCode::NotSupported)
        return UsbCode::Success;
    if (active < 0)
        return active;
    const int result = m_api->detachKernelDriver(usb, UsbXpress::InterfaceNumber);
    if (result == UsbCode::Success)
        m_detached.insert(linkPath);
    // NotFound: the driver let go of the interface in the meantime.
    return result == UsbCode::NotFound ? UsbCode::Success : result;
}

void UsbXpressBridge::shutDown(OpenDevice &device, int *firstError)
{
    // Of a device that has gone, even while this shuts it down, there is
    // nothing to undo but the handle.
    if (!device.gone) {
        int result = track(device, m_api->controlOut(device.usb, UsbXpress::RequestType,
                                                     UsbXpress::Request, UsbXpress::DisableValue,
                                                     UsbXpress::RequestIndex, ControlTimeoutMs));
        if (!device.gone)
            result = firstFailure(
                result,
                track(device, m_api->releaseInterface(device.usb, UsbXpress::InterfaceNumber)));
        if (!device.gone)
            *firstError = firstFailure(*firstError, result);
    }
    m_api->close(device.usb);
}

BridgeStatus UsbXpressBridge::close(BridgeHandle handle)
{
    OpenDevice *device = openDevice(handle);
    if (!device)
        return InvalidHandleStatus;
    int result = UsbCode::Success;
    shutDown(*device, &result);
    m_open.erase(handle);
    if (result != UsbCode::Success)
        noteUsbFailure("closing the device", result);
    return bridgeStatusFromUsb(result);
}

bool UsbXpressBridge::hasRoomForPacket(const OpenDevice &device)
{
    return RxBufferCapacity - qint64(device.rx.size()) >= device.endpoints.inPacketSize;
}

int UsbXpressBridge::fillRxBuffer(OpenDevice &device, unsigned timeoutMs)
{
    const int packet = device.endpoints.inPacketSize;
    const size_t held = device.rx.size();
    // A transfer that is not a whole number of packets overflows when a full
    // packet comes, and libusb calls the data of an overflowed transfer unreliable.
    const int room = RxBufferCapacity - int(std::min<size_t>(held, RxBufferCapacity));
    const int length = std::min(BulkInChunk, room) / packet * packet;
    if (length == 0)
        return UsbCode::Success;
    device.rx.resize(held + size_t(length));
    int transferred = 0;
    const int result =
        track(device, m_api->bulkTransfer(device.usb, device.endpoints.in, device.rx.data() + held,
                                          length, &transferred, timeoutMs));
    // Whatever arrived counts, even when the transfer timed out or failed,
    // except what an overflowed transfer holds.
    const int kept = result == UsbCode::Overflow ? 0 : std::clamp(transferred, 0, length);
    device.rx.resize(held + size_t(kept));
    return result;
}

int UsbXpressBridge::drainDevice(OpenDevice &device)
{
    for (int i = 0; i < FlushDrainReadLimit; ++i) {
        device.rx.clear();
        const int result = fillRxBuffer(device, FlushDrainTimeoutMs);
        if (result != UsbCode::Success && result != UsbCode::Timeout)
            return result;
        if (device.rx.empty())
            return UsbCode::Success;
    }
    qCWarning(lcUsbBridge, "USB bridge: the device keeps sending data; it cannot be flushed");
    return UsbCode::Io;
}

BridgeStatus UsbXpressBridge::read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                                   quint32 *returned)
{
    *returned = 0;
    OpenDevice *device = openDevice(handle);
    if (!device)
        return InvalidHandleStatus;
    if (device->gone)
        return goneStatus();
    int result = UsbCode::Success;
    const qint64 deadline = m_clock() + ReadTimeoutMs;
    while (device->rx.size() < toRead && hasRoomForPacket(*device)) {
        const qint64 remaining = deadline - m_clock();
        if (remaining <= 0)
            break;
        result = fillRxBuffer(*device, unsigned(remaining));
        if (result == UsbCode::Timeout)
            result = UsbCode::Success;
        if (result != UsbCode::Success) {
            noteUsbFailure("reading", result);
            break;
        }
    }
    const size_t delivered = std::min<size_t>(toRead, device->rx.size());
    std::copy_n(device->rx.begin(), delivered, buffer);
    device->rx.erase(device->rx.begin(), device->rx.begin() + qsizetype(delivered));
    *returned = quint32(delivered);
    return bridgeStatusFromUsb(result);
}

BridgeStatus UsbXpressBridge::write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                                    quint32 *written)
{
    *written = 0;
    OpenDevice *device = openDevice(handle);
    if (!device)
        return InvalidHandleStatus;
    if (device->gone)
        return goneStatus();
    if (toWrite > quint32(INT_MAX))
        return InvalidParameterStatus;
    if (toWrite == 0)
        return BridgeSuccess;
    // libusb takes a mutable buffer even for OUT transfers.
    std::vector<quint8> frame(buffer, buffer + toWrite);
    int transferred = 0;
    int result =
        track(*device, m_api->bulkTransfer(device->usb, device->endpoints.out, frame.data(),
                                           int(toWrite), &transferred, WriteTimeoutMs));
    *written = quint32(std::clamp(transferred, 0, int(toWrite)));
    // The bridge takes a transfer that ends with a full packet as unfinished
    // until a zero-length packet closes it.
    if (result == UsbCode::Success && *written == toWrite &&
        toWrite % quint32(device->endpoints.outPacketSize) == 0) {
        int none = 0;
        result = track(*device, m_api->bulkTransfer(device->usb, device->endpoints.out,
                                                    frame.data(), 0, &none, WriteTimeoutMs));
    }
    if (result != UsbCode::Success) {
        noteUsbFailure("writing", result);
        return bridgeStatusFromUsb(result);
    }
    return *written == toWrite ? BridgeSuccess : IncompleteWriteStatus;
}

BridgeStatus UsbXpressBridge::flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                                           quint8 flushReceive)
{
    OpenDevice *device = openDevice(handle);
    if (!device)
        return InvalidHandleStatus;
    if (device->gone)
        return goneStatus();
    if (!flushTransmit && !flushReceive)
        return BridgeSuccess;
    int result = track(*device, m_api->controlOut(device->usb, UsbXpress::RequestType,
                                                  UsbXpress::Request, UsbXpress::FlushValue,
                                                  UsbXpress::RequestIndex, ControlTimeoutMs));
    // The flush request leaves what already waits in the device's IN FIFO (a
    // reply that came after its time-out); it is read and dropped here so that
    // it cannot pass for the reply to the next request.
    if (flushReceive) {
        if (result == UsbCode::Success)
            result = drainDevice(*device);
        device->rx.clear();
    }
    if (result != UsbCode::Success)
        noteUsbFailure("flushing", result);
    return bridgeStatusFromUsb(result);
}

BridgeStatus UsbXpressBridge::checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                                           quint32 *queueStatus)
{
    *bytesWaiting = 0;
    *queueStatus = RxQueueEmpty;
    OpenDevice *device = openDevice(handle);
    if (!device)
        return InvalidHandleStatus;
    if (device->gone)
        return goneStatus();
    int result = fillRxBuffer(*device, RxPollTimeoutMs);
    if (result == UsbCode::Timeout)
        result = UsbCode::Success;
    *bytesWaiting = quint32(device->rx.size());
    *queueStatus = device->rx.empty() ? RxQueueEmpty : RxQueueHasData;
    if (result != UsbCode::Success)
        noteUsbFailure("checking for received data", result);
    return bridgeStatusFromUsb(result);
}

} // namespace varnex::device::usb
