#include "FakeUsbApi.h"

#include <algorithm>
#include <cstring>

namespace varnex::device::usb {

namespace {

QString hex(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0'));
}

// Handles given out by the fake carry the device position plus this offset.
constexpr UsbHandleId HandleOffset = 100;

} // namespace

int FakeUsbApi::record(const QString &call)
{
    m_state->log.append(call);
    if (const auto found = m_state->failures.find(call); found != m_state->failures.end())
        return found->second;
    const QString operation = call.section(QLatin1Char(' '), 0, 0);
    if (const auto found = m_state->failures.find(operation); found != m_state->failures.end())
        return found->second;
    return UsbCode::Success;
}

int FakeUsbApi::enumerate(std::vector<UsbDeviceInfo> *devices)
{
    devices->clear();
    if (const int result = record(QStringLiteral("enumerate")); result != UsbCode::Success)
        return result;
    if (m_state->enumerateResult != UsbCode::Success)
        return m_state->enumerateResult;
    for (const FakeDevice &device : m_state->devices)
        devices->push_back(device.info);
    return UsbCode::Success;
}

int FakeUsbApi::open(UsbDeviceId device, UsbHandleId *handle)
{
    if (const int result = record(QStringLiteral("open %1").arg(device));
        result != UsbCode::Success)
        return result;
    if (device >= m_state->devices.size())
        return UsbCode::NoDevice;
    ++m_state->openHandles;
    *handle = HandleOffset + device;
    return UsbCode::Success;
}

void FakeUsbApi::close(UsbHandleId)
{
    record(QStringLiteral("close"));
    --m_state->openHandles;
}

int FakeUsbApi::stringDescriptor(UsbHandleId handle, quint8 index, QByteArray *text)
{
    if (const int result = record(QStringLiteral("string %1").arg(index));
        result != UsbCode::Success)
        return result;
    const FakeDevice &device = m_state->devices.at(handle - HandleOffset);
    const auto found = device.strings.find(index);
    if (found == device.strings.end())
        return UsbCode::Pipe;
    *text = found->second;
    return UsbCode::Success;
}

int FakeUsbApi::kernelDriverActive(UsbHandleId, int interfaceNumber)
{
    const int result = record(QStringLiteral("driverActive %1").arg(interfaceNumber));
    return result != UsbCode::Success ? result : int(m_state->kernelDriverBound);
}

int FakeUsbApi::detachKernelDriver(UsbHandleId, int interfaceNumber)
{
    const int result = record(QStringLiteral("detach %1").arg(interfaceNumber));
    if (result == UsbCode::Success && !m_state->kernelDriverBound)
        return UsbCode::NotFound;
    if (result == UsbCode::Success)
        m_state->kernelDriverBound = false;
    return result;
}

int FakeUsbApi::attachKernelDriver(UsbHandleId, int interfaceNumber)
{
    const int result = record(QStringLiteral("attach %1").arg(interfaceNumber));
    if (result == UsbCode::Success)
        m_state->kernelDriverBound = true;
    return result;
}

int FakeUsbApi::claimInterface(UsbHandleId, int interfaceNumber)
{
    int result = record(QStringLiteral("claim %1").arg(interfaceNumber));
    if (result == UsbCode::Success && m_state->kernelDriverBound)
        result = UsbCode::Busy;
    if (result == UsbCode::Success)
        ++m_state->claimedInterfaces;
    return result;
}

int FakeUsbApi::releaseInterface(UsbHandleId, int interfaceNumber)
{
    --m_state->claimedInterfaces;
    return record(QStringLiteral("release %1").arg(interfaceNumber));
}

int FakeUsbApi::clearHalt(UsbHandleId, quint8 endpoint)
{
    return record(QStringLiteral("clearHalt %1").arg(hex(endpoint, 2)));
}

int FakeUsbApi::controlOut(UsbHandleId, quint8 requestType, quint8 request, quint16 value,
                           quint16 index, unsigned)
{
    return record(QStringLiteral("control %1 %2 %3 %4")
                      .arg(hex(requestType, 2), hex(request, 2), hex(value, 4), hex(index, 4)));
}

int FakeUsbApi::bulkTransfer(UsbHandleId, quint8 endpoint, quint8 *data, int length,
                             int *transferred, unsigned timeoutMs)
{
    *transferred = 0;
    const bool in = endpoint & 0x80;
    const int failure = record(QStringLiteral("%1 %2").arg(
        in ? QStringLiteral("bulkIn") : QStringLiteral("bulkOut"), hex(endpoint, 2)));
    if (failure != UsbCode::Success)
        return failure;
    if (!in) {
        const int moved =
            m_state->bulkOutLimit < 0 ? length : std::min(length, m_state->bulkOutLimit);
        m_state->bulkOut.append(reinterpret_cast<const char *>(data), moved);
        m_state->bulkOutLengths.push_back(length);
        *transferred = moved;
        return moved == length ? UsbCode::Success : UsbCode::Timeout;
    }
    m_state->bulkInLengths.push_back(length);
    m_state->bulkInTimeouts.push_back(timeoutMs);
    if (m_state->bulkIn.empty()) {
        m_state->now += timeoutMs;
        return UsbCode::Timeout;
    }
    BulkInStep step = m_state->bulkIn.front();
    m_state->bulkIn.pop_front();
    const int moved = std::min<int>(length, int(step.data.size()));
    std::memcpy(data, step.data.constData(), size_t(moved));
    *transferred = moved;
    if (step.result == UsbCode::Timeout)
        m_state->now += timeoutMs;
    return step.result;
}

} // namespace varnex::device::usb
