#include "UsbfsHandler.h"

#include "EmulatedBridge.h"

#include <QString>

#include <umockdev.h>

#include <sys/ioctl.h>

#include <linux/usbdevice_fs.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

// What the emulated usbfs offers, as a current kernel does for a USB 2.0 host.
constexpr quint32 Capabilities =
    USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
// A control URB's buffer starts with the 8-byte setup packet (USB 2.0, 9.3).
constexpr int SetupPacketSize = 8;
// Bit 7 of an endpoint address: IN.
constexpr quint8 DirectionIn = 0x80;

QString hex(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0'));
}

// Makes the client memory at the pointer `offset` bytes into `data` local; null on failure.
UMockdevIoctlData *resolve(UMockdevIoctlData *data, gsize offset, gsize length)
{
    GError *error = nullptr;
    UMockdevIoctlData *resolved = umockdev_ioctl_data_resolve(data, offset, length, &error);
    if (!resolved) {
        qWarning("usbfs emulation: %s", error->message);
        g_error_free(error);
    }
    return resolved;
}

// A client structure made local for one ioctl.
template <typename T> class Local
{
public:
    explicit Local(UMockdevIoctlData *argument) : m_data(resolve(argument, 0, sizeof(T))) {}
    ~Local()
    {
        if (m_data)
            g_object_unref(m_data);
    }
    Local(const Local &) = delete;
    Local &operator=(const Local &) = delete;
    explicit operator bool() const { return m_data; }
    T *operator->() const { return reinterpret_cast<T *>(m_data->data); }
    T &operator*() const { return *reinterpret_cast<T *>(m_data->data); }

private:
    UMockdevIoctlData *m_data;
};

usbdevfs_urb &urbOf(UMockdevIoctlData *data)
{
    return *reinterpret_cast<usbdevfs_urb *>(data->data);
}

QString requestName(gulong request)
{
    switch (request) {
    case USBDEVFS_SUBMITURB:
        return QStringLiteral("submit");
    case USBDEVFS_DISCARDURB:
        return QStringLiteral("discard");
    case USBDEVFS_CLAIMINTERFACE:
        return QStringLiteral("claim");
    case USBDEVFS_RELEASEINTERFACE:
        return QStringLiteral("release");
    case USBDEVFS_CLEAR_HALT:
        return QStringLiteral("clearHalt");
    case USBDEVFS_GETDRIVER:
        return QStringLiteral("getDriver");
    case USBDEVFS_IOCTL:
        return QStringLiteral("ioctl");
    default:
        return hex(int(request), 8);
    }
}

} // namespace

UsbfsHandler::UsbfsHandler(EmulatedBridge &bridge)
    : m_bridge(bridge), m_object(umockdev_ioctl_base_new())
{
    g_signal_connect(m_object, "handle-ioctl", G_CALLBACK(onIoctl), this);
    g_signal_connect(m_object, "client-vanished", G_CALLBACK(onClientVanished), this);
}

UsbfsHandler::~UsbfsHandler()
{
    g_signal_handlers_disconnect_by_data(m_object, this);
    for (Urb &urb : m_pending)
        drop(urb);
    for (Urb &urb : m_completed)
        drop(urb);
    g_object_unref(m_object);
}

gboolean UsbfsHandler::onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self)
{
    auto *handler = static_cast<UsbfsHandler *>(self);
    const long result = handler->handle(client);
    umockdev_ioctl_client_complete(client, result < 0 ? -1 : result, result < 0 ? int(-result) : 0);
    for (Urb &urb : handler->m_released)
        drop(urb);
    handler->m_released.clear();
    return TRUE;
}

void UsbfsHandler::onClientVanished(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self)
{
    auto *handler = static_cast<UsbfsHandler *>(self);
    const auto ownedByClient = [client](Urb &urb) {
        if (urb.client != client)
            return false;
        drop(urb);
        return true;
    };
    handler->m_pending.remove_if(ownedByClient);
    std::erase_if(handler->m_completed, ownedByClient);
    // Closing the device node gives up its claim, as usbfs does.
    if (handler->m_claimant == client) {
        handler->m_claimant = nullptr;
        handler->m_bridge.dropClaim();
    }
}

long UsbfsHandler::handle(UMockdevIoctlClient *client)
{
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData *argument = umockdev_ioctl_client_get_arg(client);
    const bool reaping = request == USBDEVFS_REAPURBNDELAY || request == USBDEVFS_REAPURB;
    if (m_bridge.isUnplugged()) {
        // libusb reaps without end while it waits; only the other requests count.
        if (!reaping)
            m_bridge.note(QStringLiteral("refused %1").arg(requestName(request)));
        return -ENODEV;
    }
    // libusb only reaps without waiting; a waiting reap gets the same answer.
    if (reaping)
        return reap(client, argument);

    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        Local<quint32> capabilities(argument);
        if (!capabilities)
            return -EFAULT;
        *capabilities = Capabilities;
        return 0;
    }
    case USBDEVFS_SUBMITURB:
        return submit(client, argument);
    case USBDEVFS_DISCARDURB:
        return discard(client, argument);
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE: {
        Local<unsigned int> interfaceNumber(argument);
        if (!interfaceNumber)
            return -EFAULT;
        if (request == USBDEVFS_RELEASEINTERFACE) {
            const int error = m_bridge.release(int(*interfaceNumber));
            if (error == 0)
                m_claimant = nullptr;
            return -error;
        }
        const int error = m_bridge.claim(int(*interfaceNumber));
        if (error == 0)
            m_claimant = client;
        return -error;
    }
    case USBDEVFS_CLEAR_HALT: {
        Local<unsigned int> endpoint(argument);
        if (!endpoint)
            return -EFAULT;
        m_bridge.note(QStringLiteral("clearHalt %1").arg(hex(int(*endpoint), 2)));
        return m_bridge.hasEndpoint(quint8(*endpoint)) ? 0 : -ENOENT;
    }
    case USBDEVFS_GETDRIVER: {
        Local<usbdevfs_getdriver> query(argument);
        if (!query)
            return -EFAULT;
        QString driver;
        if (const int error = m_bridge.driver(int(query->interface), &driver); error != 0)
            return -error;
        const QByteArray name = driver.toLatin1();
        std::memset(query->driver, 0, sizeof(query->driver));
        std::memcpy(query->driver, name.constData(),
                    std::min(size_t(name.size()), sizeof(query->driver) - 1));
        return 0;
    }
    case USBDEVFS_IOCTL:
        return usbfsIoctl(argument);
    default:
        m_bridge.note(QStringLiteral("unhandled ioctl %1").arg(requestName(request)));
        return -ENOTTY;
    }
}

long UsbfsHandler::usbfsIoctl(UMockdevIoctlData *argument)
{
    Local<usbdevfs_ioctl> command(argument);
    if (!command)
        return -EFAULT;
    switch (command->ioctl_code) {
    case int(USBDEVFS_DISCONNECT):
        return -m_bridge.disconnectDriver(command->ifno);
    case int(USBDEVFS_CONNECT): {
        const int result = m_bridge.connectDriver(command->ifno);
        return result > 0 ? result : -result;
    }
    default:
        m_bridge.note(QStringLiteral("unhandled interface ioctl %1").arg(command->ioctl_code));
        return -ENOTTY;
    }
}

long UsbfsHandler::submit(UMockdevIoctlClient *client, UMockdevIoctlData *argument)
{
    Urb urb{client, resolve(argument, 0, sizeof(usbdevfs_urb)), nullptr, {}};
    if (!urb.data)
        return -EFAULT;
    usbdevfs_urb &raw = urbOf(urb.data);
    if (raw.buffer_length < 0) {
        drop(urb);
        return -EINVAL;
    }
    if (raw.buffer_length > 0) {
        urb.buffer = resolve(urb.data, offsetof(usbdevfs_urb, buffer), gsize(raw.buffer_length));
        if (!urb.buffer) {
            drop(urb);
            return -EFAULT;
        }
    }
    raw.status = 0;
    raw.actual_length = 0;

    if (raw.type == USBDEVFS_URB_TYPE_CONTROL && raw.endpoint == 0 &&
        raw.buffer_length >= SetupPacketSize) {
        finishControl(urb);
        return 0;
    }
    if (raw.type != USBDEVFS_URB_TYPE_BULK) {
        m_bridge.note(QStringLiteral("unexpected URB type %1").arg(raw.type));
        drop(urb);
        return -EINVAL;
    }
    const bool in = raw.endpoint & DirectionIn;
    m_bridge.note(QStringLiteral("%1 %2 %3")
                      .arg(in ? QStringLiteral("in") : QStringLiteral("out"))
                      .arg(hex(raw.endpoint, 2))
                      .arg(raw.buffer_length));
    // usbfs refuses an endpoint the device does not have.
    if (!m_bridge.hasEndpoint(raw.endpoint)) {
        drop(urb);
        return -ENOENT;
    }
    m_pending.push_back(std::move(urb));
    service();
    return 0;
}

void UsbfsHandler::finishControl(Urb &urb)
{
    usbdevfs_urb &raw = urbOf(urb.data);
    auto *bytes = reinterpret_cast<quint8 *>(raw.buffer);
    quint8 setupPacket[SetupPacketSize];
    std::memcpy(setupPacket, bytes, SetupPacketSize);
    const bool in = setupPacket[0] & DirectionIn;
    const QByteArrayView dataOut =
        in ? QByteArrayView()
           : QByteArrayView(bytes + SetupPacketSize, raw.buffer_length - SetupPacketSize);
    const EmulatedBridge::ControlResult result = m_bridge.control(setupPacket, dataOut);
    if (result.stalled) {
        complete(std::move(urb), -EPIPE);
        return;
    }
    const int room = raw.buffer_length - SetupPacketSize;
    const int length = in ? std::min(room, int(result.data.size())) : int(dataOut.size());
    if (in)
        std::memcpy(bytes + SetupPacketSize, result.data.constData(), size_t(length));
    urb.received = QByteArray(length, '\0');
    complete(std::move(urb), 0);
}

void UsbfsHandler::service()
{
    bool progress = true;
    while (progress) {
        progress = false;
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            usbdevfs_urb &raw = urbOf(it->data);
            bool done = false;
            int status = 0;
            if (raw.endpoint & DirectionIn) {
                const int room = raw.buffer_length - int(it->received.size());
                const EmulatedBridge::InProgress state = room == 0
                                                             ? EmulatedBridge::InProgress::Complete
                                                             : m_bridge.giveIn(room, &it->received);
                done = state != EmulatedBridge::InProgress::Waiting;
                if (state == EmulatedBridge::InProgress::Overflow)
                    status = -EOVERFLOW;
            } else {
                const QByteArrayView data(reinterpret_cast<const char *>(raw.buffer),
                                          raw.buffer_length);
                done = m_bridge.takeOut(data, raw.flags & USBDEVFS_URB_ZERO_PACKET);
                if (done)
                    it->received = QByteArray(raw.buffer_length, '\0');
            }
            if (done) {
                complete(std::move(*it), status);
                it = m_pending.erase(it);
                progress = true;
            } else {
                ++it;
            }
        }
    }
}

void UsbfsHandler::complete(Urb urb, int status)
{
    usbdevfs_urb &raw = urbOf(urb.data);
    const bool in = raw.type == USBDEVFS_URB_TYPE_BULK && (raw.endpoint & DirectionIn);
    if (in && !urb.received.isEmpty())
        std::memcpy(raw.buffer, urb.received.constData(), size_t(urb.received.size()));
    raw.actual_length = int(urb.received.size());
    raw.status = status;
    m_completed.push_back(std::move(urb));
}

long UsbfsHandler::reap(UMockdevIoctlClient *client, UMockdevIoctlData *argument)
{
    const auto found = std::find_if(m_completed.begin(), m_completed.end(),
                                    [client](const Urb &urb) { return urb.client == client; });
    if (found == m_completed.end())
        return -EAGAIN;
    UMockdevIoctlData *slot = resolve(argument, 0, sizeof(void *));
    if (!slot)
        return -EFAULT;
    umockdev_ioctl_data_set_ptr(slot, 0, found->data);
    g_object_unref(slot);
    m_released.push_back(std::move(*found));
    m_completed.erase(found);
    return 0;
}

long UsbfsHandler::discard(UMockdevIoctlClient *client, UMockdevIoctlData *argument)
{
    // DISCARDURB takes the URB's own address as its argument.
    gulong address = 0;
    std::memcpy(&address, argument->data, std::min(sizeof(address), size_t(argument->data_len)));
    const auto found = std::find_if(m_pending.begin(), m_pending.end(), [&](const Urb &urb) {
        return urb.client == client && urb.data->client_addr == address;
    });
    // Already completed: it waits to be reaped, as usbfs says with EINVAL.
    if (found == m_pending.end())
        return -EINVAL;
    const usbdevfs_urb &raw = urbOf(found->data);
    m_bridge.note(QStringLiteral("discard %1").arg(hex(raw.endpoint, 2)));
    if (raw.endpoint & DirectionIn)
        m_bridge.abandonIn();
    // A URB killed by its owner ends with -ENOENT and keeps what it had received.
    complete(std::move(*found), -ENOENT);
    m_pending.erase(found);
    return 0;
}

void UsbfsHandler::drop(Urb &urb)
{
    if (urb.buffer)
        g_object_unref(urb.buffer);
    if (urb.data)
        g_object_unref(urb.data);
    urb.buffer = nullptr;
    urb.data = nullptr;
}
