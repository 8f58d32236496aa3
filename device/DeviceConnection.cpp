#include "DeviceConnection.h"

#include "DeviceMessageSink.h"
#include "DeviceMessages.h"
#include "LinkSettings.h"
#include "UsbBridge.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace varnex::device {

namespace {

// The serial numbers openDevice accepts: entry 0 is the configured one, the
// other ten are room for more and stay empty.
constexpr std::size_t AcceptedSerialCount = 11;
// Ten bytes hold the decimal text of any 16-bit serial and its terminator.
constexpr std::size_t AcceptedSerialSize = 10;
using AcceptedSerials = std::array<std::array<char, AcceptedSerialSize>, AcceptedSerialCount>;

AcceptedSerials acceptedSerials(quint16 serialNumber)
{
    AcceptedSerials serials{};
    std::snprintf(serials[0].data(), AcceptedSerialSize, "%d", int(serialNumber));
    return serials;
}

bool isAccepted(const AcceptedSerials &serials, const char *serial)
{
    for (const auto &entry : serials) {
        // An empty entry is an unused slot, not a serial: a device that
        // reports no serial at all must never pass for the Varnex.
        if (entry[0] != '\0' && std::strcmp(entry.data(), serial) == 0)
            return true;
    }
    return false;
}

DeviceConnection::Clock realClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return quint32(timer->elapsed()); };
}

void realPause(quint32 milliseconds)
{
    QThread::msleep(milliseconds);
}

void realNap(quint32 microseconds)
{
    QThread::usleep(microseconds);
}

} // namespace

DeviceConnection::DeviceConnection(UsbBridge &bridge, const LinkSettings &settings, Clock clock,
                                   Pause pause, Nap nap)
    : m_bridge(bridge), m_settings(settings), m_clock(clock ? std::move(clock) : realClock()),
      m_pause(pause ? std::move(pause) : Pause(realPause)),
      m_nap(nap ? std::move(nap) : Nap(realNap))
{
}

void DeviceConnection::show(const char *text) const
{
    m_bridge.messageSink().showMessage(QString::fromLatin1(text));
}

bool DeviceConnection::openDevice()
{
    m_bridge.forgetDeniedAccess();
    const bool opened = findAndOpen();
    m_openDeniedAccess = !opened && m_bridge.deniedAccess();
    return opened;
}

bool DeviceConnection::findAndOpen()
{
    const AcceptedSerials serials = acceptedSerials(m_settings.serialNumber);
    // A handle left open would keep the interface claimed, and the bridge
    // refuses a second open of the same device.
    closeHandle();

    quint32 count = 0;
    if (m_bridge.bridgeGetDeviceCount(&count) != BridgeSuccess) {
        closeHandle();
        return false;
    }

    std::optional<quint32> match;
    for (quint32 index = 0; index < count && !match; ++index) {
        std::array<char, DeviceStringBufferSize> serial{};
        if (!m_bridge.fetchSerialString(index, serial.data()))
            continue;
        // Never trust the library to terminate what it wrote.
        serial.back() = '\0';
        if (isAccepted(serials, serial.data()) && linkNameMatches(index))
            match = index;
    }
    if (!match) {
        closeHandle();
        return false;
    }

    // The link-name string is fetched only because a present device must have
    // one; its text is of no use here.
    std::array<char, DeviceStringBufferSize> linkName{};
    if (m_bridge.bridgeGetDeviceString(*match, linkName.data(), LinkNameString) != BridgeSuccess) {
        show(messages::ProductStringError);
        return false;
    }
    // A failed open may leave anything in the handle: only a handle that the
    // library handed out with success is kept, and so ever closed.
    BridgeHandle opened = NoDeviceHandle;
    if (m_bridge.bridgeOpen(*match, &opened) != BridgeSuccess) {
        show(messages::OpenError);
        return false;
    }
    m_handle = opened;
    if (m_bridge.bridgeFlushBuffers(m_handle, 1, 1) != BridgeSuccess) {
        show(messages::FlushError);
        closeHandle();
        return false;
    }
    return true;
}

bool DeviceConnection::linkNameMatches(quint32 index)
{
    if (m_linkNameFilter.isEmpty())
        return true;
    std::array<char, DeviceStringBufferSize> linkName{};
    if (m_bridge.bridgeGetDeviceString(index, linkName.data(), LinkNameString) != BridgeSuccess)
        return false;
    linkName.back() = '\0';
    return m_linkNameFilter == linkName.data();
}

void DeviceConnection::closeDevice()
{
    closeHandle();
}

void DeviceConnection::closeHandle()
{
    if (m_handle != NoDeviceHandle && m_bridge.bridgeClose(m_handle) != BridgeSuccess)
        show(messages::CloseError);
    m_handle = NoDeviceHandle;
}

bool DeviceConnection::transact(quint8 *reply, const quint8 *frame, quint32 replyLength,
                                quint32 frameLength)
{
    return exchange(reply, frame, replyLength, frameLength).outcome != TransactResult::Failed;
}

bool DeviceConnection::transact(quint8 *reply, const CommandFrame &frame, quint32 replyLength)
{
    return transact(reply, frame.data(), replyLength, quint32(frame.size()));
}

bool DeviceConnection::awaitReply(quint32 &waiting)
{
    // Spin while a reply is likely, then nap between checks so that a slow
    // or silent device does not keep a core busy.
    waiting = 0;
    quint32 queueStatus = 0;
    const quint32 start = m_clock();
    for (quint32 elapsed = 0; (elapsed = m_clock() - start) < ReplyTimeoutMs;) {
        if (m_bridge.bridgeCheckRxQueue(m_handle, &waiting, &queueStatus) != BridgeSuccess) {
            show(messages::QueueError);
            return false;
        }
        if (waiting != 0)
            return true;
        if (elapsed >= SpinMs)
            m_nap(NapMicroseconds);
    }
    return true;
}

TransactResult DeviceConnection::exchange(quint8 *reply, const quint8 *frame, quint32 replyLength,
                                          quint32 frameLength)
{
    if (m_handle == NoDeviceHandle) {
        show(messages::InvalidHandle);
        return {TransactResult::Failed};
    }
    // Bytes waiting before the frame goes out answer no request of this
    // exchange: a reply that came late or twice after the check behind the
    // previous one. Taken as this frame's reply they would shift every later
    // one, so the link is out of step and the frame is not sent.
    quint32 stale = 0;
    quint32 queueStatus = 0;
    if (m_bridge.bridgeCheckRxQueue(m_handle, &stale, &queueStatus) != BridgeSuccess) {
        show(messages::QueueError);
        return {TransactResult::Failed};
    }
    if (stale != 0)
        return {TransactResult::OutOfStep};

    quint32 written = 0;
    if (m_bridge.bridgeWrite(m_handle, frame, frameLength, &written) != BridgeSuccess) {
        show(messages::SendError);
        // A write that failed part-way has put some bytes on the wire: the
        // Varnex may act on them, so the frame counts as sent.
        return {TransactResult::Failed, 0, written != 0};
    }

    quint32 waiting = 0;
    if (!awaitReply(waiting))
        return {TransactResult::Failed, 0, true};
    if (waiting == 0)
        return {TransactResult::TimedOut, 0, true};

    quint32 returned = 0;
    if (m_bridge.bridgeRead(m_handle, reply, replyLength, &returned) != BridgeSuccess) {
        show(messages::ReadError);
        return {TransactResult::Failed, 0, true};
    }
    returned = std::min(returned, replyLength);

    // Bytes behind the reply belong to no request; taken as the start of the
    // next reply they would shift every later one while all seem to arrive.
    quint32 surplus = 0;
    if (m_bridge.bridgeCheckRxQueue(m_handle, &surplus, &queueStatus) != BridgeSuccess) {
        show(messages::QueueError);
        return {TransactResult::Failed, returned, true};
    }
    return {surplus == 0 ? TransactResult::Replied : TransactResult::OutOfStep, returned, true};
}

TransactResult DeviceConnection::exchange(quint8 *reply, const CommandFrame &frame,
                                          quint32 replyLength)
{
    return exchange(reply, frame.data(), replyLength, quint32(frame.size()));
}

bool isVarnexSerial(const char *serial, quint16 serialNumber)
{
    return isAccepted(acceptedSerials(serialNumber), serial);
}

} // namespace varnex::device
