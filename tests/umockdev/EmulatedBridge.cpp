#include "EmulatedBridge.h"

#include <QMutexLocker>

#include <cerrno>

using varnex::device::sim::EdidMemory;
using varnex::device::sim::SimulatedSplitter;

namespace {

// String descriptor indices the device descriptor declares.
constexpr quint8 ManufacturerIndex = 1;
constexpr quint8 ProductIndex = 2;
constexpr quint8 SerialIndex = 3;
// US English, the only language of the bridge's strings.
constexpr quint16 LanguageId = 0x0409;

// Standard requests and descriptor types (USB 2.0, 9.4 and 9.4.3).
constexpr quint8 StandardDeviceIn = 0x80;
constexpr quint8 GetDescriptor = 0x06;
constexpr quint8 StringDescriptorType = 0x03;

// The vendor request of the USBXpress firmware and its wValues.
constexpr quint8 VendorDeviceOut = 0x40;
constexpr quint8 BridgeRequest = 0x02;
constexpr quint16 FlushValue = 0x0001;
constexpr quint16 EnableValue = 0x0002;
constexpr quint16 DisableValue = 0x0004;

// The one interface and the serial driver that takes the factory ids.
constexpr int BridgeInterface = 0;
const QString SerialDriver = QStringLiteral("cp210x");
const QString UsbfsDriver = QStringLiteral("usbfs");

QString hex(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0'));
}

void appendWord(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char(value >> 8));
}

QByteArray stringDescriptor(const QByteArray &ascii)
{
    QByteArray descriptor;
    descriptor.append(char(2 + 2 * ascii.size()));
    descriptor.append(char(StringDescriptorType));
    for (char c : ascii)
        appendWord(descriptor, quint8(c));
    return descriptor;
}

} // namespace

EmulatedBridge::EmulatedBridge(EmulatedBridgeSetup setup)
    : m_setup(std::move(setup)), m_driver(m_setup.serialDriverBound ? SerialDriver : QString())
{
}

QByteArray EmulatedBridge::descriptors() const
{
    QByteArray bytes;
    // Device descriptor (USB 2.0, 9.6.1): USB 2.00, class per interface, 64-byte EP0.
    bytes.append("\x12\x01\x00\x02\x00\x00\x00\x40", 8);
    appendWord(bytes, m_setup.vendorId);
    appendWord(bytes, m_setup.productId);
    appendWord(bytes, 0x0100);
    bytes.append(char(ManufacturerIndex));
    bytes.append(char(ProductIndex));
    bytes.append(char(m_setup.serial.isEmpty() ? 0 : SerialIndex));
    bytes.append(char(1));
    // Configuration 1, 32 bytes in all, one interface, bus powered, 100 mA.
    bytes.append("\x09\x02\x20\x00\x01\x01\x00\x80\x32", 9);
    // Interface 0: vendor class, two endpoints.
    bytes.append("\x09\x04\x00\x00\x02\xFF\x00\x00\x00", 9);
    for (quint8 address : {m_setup.inEndpoint, m_setup.outEndpoint}) {
        bytes.append("\x07\x05", 2);
        bytes.append(char(address));
        bytes.append(char(0x02)); // bulk
        appendWord(bytes, m_setup.packetSize);
        bytes.append(char(0));
    }
    return bytes;
}

void EmulatedBridge::setSilent(bool silent)
{
    QMutexLocker lock(&m_mutex);
    m_silent = silent;
}

void EmulatedBridge::delayReplies(int transfers)
{
    QMutexLocker lock(&m_mutex);
    m_replyDelay = transfers;
}

void EmulatedBridge::releaseDelayedReplies()
{
    QMutexLocker lock(&m_mutex);
    for (const DelayedReply &reply : m_delayed)
        send(reply.packets);
    m_delayed.clear();
}

void EmulatedBridge::repeatReplyLate(int frame)
{
    QMutexLocker lock(&m_mutex);
    m_repeatFrame = frame;
}

void EmulatedBridge::unplug()
{
    QMutexLocker lock(&m_mutex);
    m_unplugged = true;
}

bool EmulatedBridge::isUnplugged() const
{
    QMutexLocker lock(&m_mutex);
    return m_unplugged;
}

void EmulatedBridge::changeSplitter(const std::function<void(SimulatedSplitter &)> &change)
{
    QMutexLocker lock(&m_mutex);
    change(m_splitter);
}

EdidMemory EmulatedBridge::memory(quint8 address) const
{
    QMutexLocker lock(&m_mutex);
    return m_splitter.memory(address);
}

QStringList EmulatedBridge::log() const
{
    QMutexLocker lock(&m_mutex);
    return m_log;
}

void EmulatedBridge::clearLog()
{
    QMutexLocker lock(&m_mutex);
    m_log.clear();
    m_frames.clear();
}

QList<QByteArray> EmulatedBridge::frames() const
{
    QMutexLocker lock(&m_mutex);
    return m_frames;
}

QString EmulatedBridge::interfaceDriver() const
{
    QMutexLocker lock(&m_mutex);
    return m_driver;
}

qsizetype EmulatedBridge::bytesSent() const
{
    QMutexLocker lock(&m_mutex);
    return m_bytesSent;
}

bool EmulatedBridge::isEnabled() const
{
    QMutexLocker lock(&m_mutex);
    return m_enabled;
}

void EmulatedBridge::note(const QString &line)
{
    QMutexLocker lock(&m_mutex);
    m_log.append(line);
}

EmulatedBridge::ControlResult EmulatedBridge::control(const quint8 (&setupPacket)[8],
                                                      QByteArrayView dataOut)
{
    const quint8 requestType = setupPacket[0];
    const quint8 request = setupPacket[1];
    const quint16 value = quint16(setupPacket[2] | setupPacket[3] << 8);
    const quint16 index = quint16(setupPacket[4] | setupPacket[5] << 8);
    const quint16 length = quint16(setupPacket[6] | setupPacket[7] << 8);
    QMutexLocker lock(&m_mutex);
    m_log.append(QStringLiteral("control %1 %2 %3 %4")
                     .arg(hex(requestType, 2), hex(request, 2), hex(value, 4), hex(index, 4)));

    if (requestType == StandardDeviceIn && request == GetDescriptor &&
        value >> 8 == StringDescriptorType) {
        QByteArray descriptor;
        const quint8 stringIndex = value & 0xFF;
        if (stringIndex == 0) {
            descriptor = QByteArray("\x04\x03", 2);
            appendWord(descriptor, LanguageId);
        } else if (index != LanguageId) {
            return {true, {}};
        } else if (stringIndex == ManufacturerIndex) {
            descriptor = stringDescriptor(m_setup.manufacturer);
        } else if (stringIndex == ProductIndex) {
            descriptor = stringDescriptor(m_setup.product);
        } else if (stringIndex == SerialIndex && !m_setup.serial.isEmpty()) {
            descriptor = stringDescriptor(m_setup.serial);
        } else {
            return {true, {}};
        }
        return {false, descriptor.left(length)};
    }

    // The firmware knows its one vendor request, without a data stage, and stalls the rest.
    if (requestType != VendorDeviceOut || request != BridgeRequest || index != 0 || length != 0 ||
        !dataOut.isEmpty())
        return {true, {}};
    switch (value) {
    case EnableValue:
        m_enabled = true;
        return {};
    case DisableValue:
        m_enabled = false;
        return {};
    case FlushValue:
        m_pendingOut.clear();
        return {};
    default:
        return {true, {}};
    }
}

int EmulatedBridge::claim(int interfaceNumber)
{
    QMutexLocker lock(&m_mutex);
    m_log.append(QStringLiteral("claim %1").arg(interfaceNumber));
    if (interfaceNumber != BridgeInterface)
        return ENOENT;
    if (!m_driver.isEmpty() && m_driver != UsbfsDriver)
        return EBUSY;
    m_driver = UsbfsDriver;
    return 0;
}

int EmulatedBridge::release(int interfaceNumber)
{
    QMutexLocker lock(&m_mutex);
    m_log.append(QStringLiteral("release %1").arg(interfaceNumber));
    if (interfaceNumber != BridgeInterface || m_driver != UsbfsDriver)
        return EINVAL;
    // usbfs gives the interface up; no driver takes it by itself.
    m_driver.clear();
    return 0;
}

void EmulatedBridge::dropClaim()
{
    QMutexLocker lock(&m_mutex);
    if (m_driver == UsbfsDriver)
        m_driver.clear();
}

int EmulatedBridge::driver(int interfaceNumber, QString *driver)
{
    QMutexLocker lock(&m_mutex);
    m_log.append(QStringLiteral("getDriver %1").arg(interfaceNumber));
    if (interfaceNumber != BridgeInterface || m_driver.isEmpty())
        return ENODATA;
    *driver = m_driver;
    return 0;
}

int EmulatedBridge::disconnectDriver(int interfaceNumber)
{
    QMutexLocker lock(&m_mutex);
    m_log.append(QStringLiteral("disconnect %1").arg(interfaceNumber));
    if (interfaceNumber != BridgeInterface || m_driver.isEmpty())
        return ENODATA;
    if (m_driver == UsbfsDriver)
        return EINVAL;
    m_driver.clear();
    return 0;
}

int EmulatedBridge::connectDriver(int interfaceNumber)
{
    QMutexLocker lock(&m_mutex);
    m_log.append(QStringLiteral("connect %1").arg(interfaceNumber));
    if (interfaceNumber != BridgeInterface)
        return ENODATA;
    if (m_driver == UsbfsDriver)
        return EBUSY;
    m_driver = SerialDriver;
    return 1;
}

bool EmulatedBridge::hasEndpoint(quint8 address) const
{
    return address == m_setup.inEndpoint || address == m_setup.outEndpoint;
}

bool EmulatedBridge::takeOut(QByteArrayView data, bool zeroPacketFlag)
{
    QMutexLocker lock(&m_mutex);
    if (!m_enabled)
        return false;
    m_pendingOut.append(data);
    const bool endsWithFullPacket = !data.isEmpty() && data.size() % m_setup.packetSize == 0;
    if (endsWithFullPacket && !zeroPacketFlag)
        return true;
    const QByteArray frame = m_pendingOut;
    m_pendingOut.clear();
    if (!frame.isEmpty())
        passOn(frame);
    return true;
}

void EmulatedBridge::passOn(const QByteArray &frame)
{
    m_frames.append(frame);
    ++m_framesPassed;
    const SimulatedSplitter::Answer answer = m_splitter.answer(
        {reinterpret_cast<const quint8 *>(frame.constData()), size_t(frame.size())});
    if (!answer.reply || m_silent)
        return;
    const QByteArray &reply = *answer.reply;
    std::deque<QByteArray> packets;
    for (qsizetype at = 0; at < reply.size(); at += m_setup.packetSize)
        packets.push_back(reply.mid(at, m_setup.packetSize));
    // A reply that fills its last packet is ended by a zero-length one.
    if (reply.size() % m_setup.packetSize == 0)
        packets.push_back({});
    if (m_framesPassed == m_repeatFrame)
        m_repeat = packets;
    if (m_replyDelay > 0)
        m_delayed.push_back({m_replyDelay, std::move(packets)});
    else
        send(packets);
}

void EmulatedBridge::send(const std::deque<QByteArray> &packets)
{
    m_inPackets.insert(m_inPackets.end(), packets.begin(), packets.end());
}

void EmulatedBridge::abandonIn()
{
    QMutexLocker lock(&m_mutex);
    for (DelayedReply &reply : m_delayed)
        --reply.transfersLeft;
    while (!m_delayed.empty() && m_delayed.front().transfersLeft <= 0) {
        send(m_delayed.front().packets);
        m_delayed.pop_front();
    }
    // The repeat comes once the reply itself has gone to the host.
    if (!m_repeat.empty() && m_inPackets.empty() && m_delayed.empty()) {
        send(m_repeat);
        m_repeat.clear();
    }
}

EmulatedBridge::InProgress EmulatedBridge::giveIn(int room, QByteArray *received)
{
    QMutexLocker lock(&m_mutex);
    if (!m_enabled)
        return InProgress::Waiting;
    while (!m_inPackets.empty()) {
        const QByteArray packet = m_inPackets.front();
        m_inPackets.pop_front();
        if (packet.size() > room) {
            received->append(packet.left(room));
            m_bytesSent += room;
            return InProgress::Overflow;
        }
        received->append(packet);
        m_bytesSent += packet.size();
        room -= int(packet.size());
        if (packet.size() < m_setup.packetSize || room == 0)
            return InProgress::Complete;
    }
    return InProgress::Waiting;
}
