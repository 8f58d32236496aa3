#include "SimulatedVarnex.h"

#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace varnex::device::sim {

namespace {

// Handles are this base plus the device index: far from 0 and from
// NoDeviceHandle, so a caller that mixes them up is caught.
constexpr BridgeHandle HandleBase = 0x5A00;
// Informational queue status: nothing waiting / a reply waiting.
constexpr quint32 QueueEmpty = 0;
constexpr quint32 QueueReady = 2;
// Identifies a state file of several splitters: the magic, then per splitter
// its state (SimulatedSplitter::saveState) behind its length in 4 bytes, most
// significant first. A single splitter is saved as its state alone.
constexpr char SplittersMagic[] = "VNXSIMS1";
constexpr qsizetype SplittersMagicSize = sizeof(SplittersMagic) - 1;
constexpr qsizetype RecordLengthSize = 4;

QByteArray saveSplitters(const std::vector<SimulatedSplitter> &splitters)
{
    if (splitters.size() == 1)
        return splitters.front().saveState();
    QByteArray state(SplittersMagic, SplittersMagicSize);
    for (const SimulatedSplitter &splitter : splitters) {
        const QByteArray record = splitter.saveState();
        const auto length = quint32(record.size());
        for (int shift = 24; shift >= 0; shift -= 8)
            state.append(char((length >> shift) & 0xFF));
        state.append(record);
    }
    return state;
}

// Fills `splitters` from `state`, either format; those the state does not
// hold get the defaults. Leaves them unchanged and returns false when the
// state is malformed.
bool restoreSplitters(const QByteArray &state, std::vector<SimulatedSplitter> &splitters)
{
    std::vector<SimulatedSplitter> restored(splitters.size());
    if (!state.startsWith(QByteArray(SplittersMagic, SplittersMagicSize))) {
        if (!restored.front().restoreState(state))
            return false;
    } else {
        std::size_t index = 0;
        for (qsizetype at = SplittersMagicSize; at < state.size(); ++index) {
            if (state.size() - at < RecordLengthSize)
                return false;
            quint32 length = 0;
            for (qsizetype i = 0; i < RecordLengthSize; ++i)
                length = (length << 8) | quint8(state[at + i]);
            at += RecordLengthSize;
            if (length > quint32(state.size() - at))
                return false;
            SimulatedSplitter splitter;
            if (!splitter.restoreState(state.mid(at, qsizetype(length))))
                return false;
            if (index < restored.size())
                restored[index] = std::move(splitter);
            at += qsizetype(length);
        }
        if (index == 0)
            return false;
    }
    // Stuck bytes are no part of the state: those set before stay.
    for (std::size_t i = 0; i < splitters.size(); ++i)
        splitters[i].restoreState(restored[i].saveState());
    return true;
}

BridgeCall startCall(BridgeOperation operation)
{
    BridgeCall call;
    call.operation = operation;
    return call;
}

// `reply` followed by `extra` more bytes taken from its start, cyclically.
QByteArray lengthened(const QByteArray &reply, int extra)
{
    if (extra <= 0 || reply.isEmpty())
        return reply;
    return reply + reply.repeated(extra / int(reply.size()) + 1).left(extra);
}

QByteArray hexBytes(const QByteArray &bytes)
{
    return bytes.toHex(' ').toUpper();
}

QString describe(const BridgeCall &call)
{
    QString line = operationName(call.operation);
    switch (call.operation) {
    case BridgeOperation::GetDeviceCount:
        break;
    case BridgeOperation::GetDeviceString:
        line += QStringLiteral(" index=%1 option=%2").arg(call.index).arg(call.option);
        break;
    case BridgeOperation::Open:
        line += QStringLiteral(" index=%1 handle=0x%2").arg(call.index).arg(call.handle, 0, 16);
        break;
    case BridgeOperation::FlushBuffers:
        line += QStringLiteral(" handle=0x%1 transmit=%2 receive=%3")
                    .arg(call.handle, 0, 16)
                    .arg(call.flushTransmit)
                    .arg(call.flushReceive);
        break;
    case BridgeOperation::Read:
    case BridgeOperation::Write:
        line += QStringLiteral(" handle=0x%1 length=%2 bytes=%3")
                    .arg(call.handle, 0, 16)
                    .arg(call.length)
                    .arg(QString::fromLatin1(hexBytes(call.bytes)));
        break;
    case BridgeOperation::Close:
    case BridgeOperation::CheckRxQueue:
        line += QStringLiteral(" handle=0x%1").arg(call.handle, 0, 16);
        break;
    }
    return line + QStringLiteral(" status=%1").arg(call.status);
}

} // namespace

QString operationName(BridgeOperation operation)
{
    switch (operation) {
    case BridgeOperation::GetDeviceCount:
        return QStringLiteral("getDeviceCount");
    case BridgeOperation::GetDeviceString:
        return QStringLiteral("getDeviceString");
    case BridgeOperation::Open:
        return QStringLiteral("open");
    case BridgeOperation::Close:
        return QStringLiteral("close");
    case BridgeOperation::Read:
        return QStringLiteral("read");
    case BridgeOperation::Write:
        return QStringLiteral("write");
    case BridgeOperation::FlushBuffers:
        return QStringLiteral("flushBuffers");
    case BridgeOperation::CheckRxQueue:
        return QStringLiteral("checkRxQueue");
    }
    return {};
}

SimulatedVarnex::SimulatedVarnex() : SimulatedVarnex({SimulatedBridgeDevice{}}) {}

SimulatedVarnex::SimulatedVarnex(QList<SimulatedBridgeDevice> devices)
{
    m_clock.start();
    m_splitters.resize(std::max<std::size_t>(1, std::size_t(devices.size())));
    for (SimulatedBridgeDevice &device : devices)
        m_devices.push_back({std::move(device), false, {}, {}, {}, false});
}

SimulatedVarnex::~SimulatedVarnex() = default;

bool SimulatedVarnex::useStateFile(const QString &path, QString *error)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && restoreSplitters(file.readAll(), m_splitters)) {
        m_statePath = path;
        return true;
    }
    // Missing, short or corrupt: start from the default memories and modes and
    // write them. Only the state is reset: stuck bytes set before stay stuck.
    for (SimulatedSplitter &splitter : m_splitters)
        splitter.restoreState(SimulatedSplitter().saveState());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(saveSplitters(m_splitters)) < 0 ||
        !out.commit()) {
        if (error)
            *error = QStringLiteral("cannot write the simulator state file %1: %2")
                         .arg(path, out.errorString());
        return false;
    }
    m_statePath = path;
    return true;
}

bool SimulatedVarnex::useTraceFile(const QString &path, QString *error)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot open the simulator trace file %1: %2")
                         .arg(path, file->errorString());
        return false;
    }
    m_trace = std::move(file);
    return true;
}

void SimulatedVarnex::saveState()
{
    if (m_statePath.isEmpty())
        return;
    // A state that cannot be saved costs only persistence; the simulated
    // device keeps working as if nothing happened.
    QSaveFile out(m_statePath);
    if (out.open(QIODevice::WriteOnly) && out.write(saveSplitters(m_splitters)) >= 0)
        out.commit();
}

void SimulatedVarnex::ignoreWritesAt(quint8 offset)
{
    for (SimulatedSplitter &splitter : m_splitters)
        splitter.ignoreWritesAt(offset);
}

void SimulatedVarnex::failCall(BridgeOperation operation, int nth)
{
    m_failures.emplace(operation, nth);
}

void SimulatedVarnex::stopAnsweringAfter(int frames)
{
    m_answerLimit = frames;
}

void SimulatedVarnex::limitReplies(int bytes)
{
    m_replyLimit = bytes;
}

void SimulatedVarnex::lengthenReplies(int bytes)
{
    m_replyExtension = bytes;
}

void SimulatedVarnex::unplugAfter(int frames)
{
    m_unplugAfter = frames;
}

void SimulatedVarnex::delayReplies(int milliseconds)
{
    m_latencyMs = milliseconds;
}

void SimulatedVarnex::deliverDueReplies(DeviceState &device) const
{
    const qint64 now = m_clock.elapsed();
    while (!device.delayed.isEmpty() && device.delayed.first().readyAtMs <= now)
        device.receiveQueue.append(device.delayed.takeFirst().bytes);
}

QList<QByteArray> SimulatedVarnex::writtenFrames() const
{
    QList<QByteArray> frames;
    for (const BridgeCall &call : m_calls) {
        if (call.operation == BridgeOperation::Write && call.status == BridgeSuccess)
            frames.append(call.bytes);
    }
    return frames;
}

bool SimulatedVarnex::isOpen(quint32 index) const
{
    return index < m_devices.size() && m_devices[index].open;
}

bool SimulatedVarnex::injectFailure(BridgeOperation operation)
{
    const int number = ++m_callCounts[operation];
    if (m_unplugAfter >= 0 && m_framesWritten >= m_unplugAfter &&
        operation != BridgeOperation::Close)
        return true;
    const auto [first, last] = m_failures.equal_range(operation);
    return std::any_of(first, last, [number](const auto &entry) { return entry.second == number; });
}

SimulatedVarnex::DeviceState *SimulatedVarnex::openDevice(BridgeHandle handle)
{
    if (handle < HandleBase || handle - HandleBase >= m_devices.size())
        return nullptr;
    DeviceState &state = m_devices[handle - HandleBase];
    return state.open ? &state : nullptr;
}

BridgeStatus SimulatedVarnex::finish(BridgeCall call)
{
    if (m_trace) {
        m_trace->write(describe(call).toUtf8() + '\n');
        m_trace->flush();
    }
    if (m_keepCallLog)
        m_calls.append(call);
    return call.status;
}

BridgeStatus SimulatedVarnex::getDeviceCount(quint32 *count)
{
    BridgeCall call = startCall(BridgeOperation::GetDeviceCount);
    if (injectFailure(call.operation))
        call.status = FailureStatus;
    else
        *count = quint32(m_devices.size());
    return finish(call);
}

BridgeStatus SimulatedVarnex::getDeviceString(quint32 index, char *buffer, quint32 option)
{
    BridgeCall call = startCall(BridgeOperation::GetDeviceString);
    call.index = index;
    call.option = option;
    if (injectFailure(call.operation) || index >= m_devices.size() || m_accessDenied) {
        call.status = m_accessDenied ? BridgeAccessDenied : FailureStatus;
        return finish(call);
    }
    const SimulatedBridgeDevice &device = m_devices[index].device;
    QByteArray text;
    switch (option) {
    case SerialNumberString:
        call.status = device.serialUnavailable ? FailureStatus : BridgeSuccess;
        text = device.serial;
        break;
    case DescriptionString:
        text = "Varnex (simulated)";
        break;
    case LinkNameString:
        call.status = device.linkNameUnavailable ? FailureStatus : BridgeSuccess;
        text = "sim:" + QByteArray::number(index);
        break;
    default:
        call.status = FailureStatus;
    }
    if (call.status == BridgeSuccess) {
        const auto size =
            std::min<std::size_t>(std::size_t(text.size()), DeviceStringBufferSize - 1);
        std::memcpy(buffer, text.constData(), size);
        buffer[size] = '\0';
    }
    return finish(call);
}

BridgeStatus SimulatedVarnex::open(quint32 index, BridgeHandle *handle)
{
    BridgeCall call = startCall(BridgeOperation::Open);
    call.index = index;
    // Like the real bridge, a device is opened by one handle at a time.
    if (injectFailure(call.operation) || index >= m_devices.size() || m_devices[index].open ||
        m_accessDenied) {
        call.status = m_accessDenied ? BridgeAccessDenied : FailureStatus;
        return finish(call);
    }
    DeviceState &device = m_devices[index];
    device.open = true;
    device.receiveQueue.clear();
    device.delayed.clear();
    device.duplicate.clear();
    device.duplicateDue = false;
    call.handle = HandleBase + index;
    *handle = call.handle;
    return finish(call);
}

BridgeStatus SimulatedVarnex::close(BridgeHandle handle)
{
    BridgeCall call = startCall(BridgeOperation::Close);
    call.handle = handle;
    DeviceState *device = openDevice(handle);
    if (injectFailure(call.operation) || !device)
        call.status = FailureStatus;
    else
        device->open = false;
    return finish(call);
}

BridgeStatus SimulatedVarnex::read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                                   quint32 *returned)
{
    BridgeCall call = startCall(BridgeOperation::Read);
    call.handle = handle;
    call.length = toRead;
    DeviceState *device = openDevice(handle);
    if (injectFailure(call.operation) || !device) {
        call.status = FailureStatus;
        return finish(call);
    }
    // Hands over what has arrived, without waiting for more.
    deliverDueReplies(*device);
    call.bytes = device->receiveQueue.left(qsizetype(toRead));
    device->receiveQueue.remove(0, call.bytes.size());
    std::memcpy(buffer, call.bytes.constData(), std::size_t(call.bytes.size()));
    if (!device->duplicate.isEmpty() && device->receiveQueue.isEmpty() && device->delayed.isEmpty())
        device->duplicateDue = true;
    *returned = quint32(call.bytes.size());
    return finish(call);
}

BridgeStatus SimulatedVarnex::write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                                    quint32 *written)
{
    BridgeCall call = startCall(BridgeOperation::Write);
    call.handle = handle;
    call.length = toWrite;
    call.bytes = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(toWrite));
    DeviceState *device = openDevice(handle);
    if (injectFailure(call.operation) || !device) {
        call.status = FailureStatus;
        return finish(call);
    }
    *written = toWrite;
    ++m_framesWritten;
    if (m_answerLimit < 0 || m_framesWritten <= m_answerLimit) {
        SimulatedSplitter &splitter = m_splitters[std::size_t(handle - HandleBase)];
        const SimulatedSplitter::Answer answer = splitter.answer({buffer, toWrite});
        if (answer.reply) {
            const QByteArray lengthenedReply = lengthened(*answer.reply, m_replyExtension);
            const QByteArray reply =
                m_replyLimit < 0 ? lengthenedReply : lengthenedReply.left(m_replyLimit);
            if (m_latencyMs > 0)
                device->delayed.append({m_clock.elapsed() + m_latencyMs, reply});
            else
                device->receiveQueue.append(reply);
            if (m_framesWritten == m_lateDuplicateFrame)
                device->duplicate = reply;
        }
        if (answer.stateChanged)
            saveState();
    }
    return finish(call);
}

BridgeStatus SimulatedVarnex::flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                                           quint8 flushReceive)
{
    BridgeCall call = startCall(BridgeOperation::FlushBuffers);
    call.handle = handle;
    call.flushTransmit = flushTransmit;
    call.flushReceive = flushReceive;
    DeviceState *device = openDevice(handle);
    if (injectFailure(call.operation) || !device)
        call.status = FailureStatus;
    else if (flushReceive) {
        device->receiveQueue.clear();
        device->delayed.clear();
        device->duplicate.clear();
        device->duplicateDue = false;
    }
    return finish(call);
}

BridgeStatus SimulatedVarnex::checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                                           quint32 *queueStatus)
{
    BridgeCall call = startCall(BridgeOperation::CheckRxQueue);
    call.handle = handle;
    DeviceState *device = openDevice(handle);
    if (injectFailure(call.operation) || !device) {
        call.status = FailureStatus;
        return finish(call);
    }
    deliverDueReplies(*device);
    *bytesWaiting = quint32(device->receiveQueue.size());
    *queueStatus = *bytesWaiting ? QueueReady : QueueEmpty;
    if (device->duplicateDue) {
        device->receiveQueue.append(device->duplicate);
        device->duplicate.clear();
        device->duplicateDue = false;
    }
    return finish(call);
}

} // namespace varnex::device::sim
