#include "FuzzedUsbApi.h"

#include "FuzzCheck.h"
#include "UsbIds.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

using namespace varnex::device::usb;

namespace {

// Decision bytes at or above this make a call fail: one in sixteen.
constexpr quint8 FailureThreshold = 0xF0;
// The bridge firmware's bulk endpoints: IN 0x81 and OUT 0x01, 64-byte packets.
constexpr UsbEndpointInfo BridgeIn{0x81, 0x02, 64};
constexpr UsbEndpointInfo BridgeOut{0x01, 0x02, 64};
// A string descriptor holds at most 126 UTF-16 characters; a broken
// converter could hand back more, so the fuzzed ones go beyond the buffer.
constexpr std::size_t LongestString = 600;

constexpr int Failures[] = {UsbCode::Io,          UsbCode::InvalidParam, UsbCode::Access,
                            UsbCode::NoDevice,    UsbCode::NotFound,     UsbCode::Busy,
                            UsbCode::Timeout,     UsbCode::Overflow,     UsbCode::Pipe,
                            UsbCode::Interrupted, UsbCode::NoMem,        UsbCode::NotSupported,
                            UsbCode::Other};

} // namespace

FuzzedUsbApi::FuzzedUsbApi(FuzzedDataProvider &input, FuzzedUsbState &state)
    : m_input(input), m_state(state)
{
    m_initStatus = m_input.ConsumeIntegral<quint8>() == 0xFF ? UsbCode::Other : UsbCode::Success;
}

int FuzzedUsbApi::result()
{
    if (m_input.ConsumeIntegral<quint8>() < FailureThreshold)
        return UsbCode::Success;
    return m_input.PickValueInArray(Failures);
}

void FuzzedUsbApi::requireOpen(UsbHandleId handle) const
{
    FUZZ_CHECK(m_open.count(handle) == 1);
}

UsbDeviceInfo FuzzedUsbApi::device()
{
    UsbDeviceInfo info;
    // 0 (the used-up input) is the bridge as it leaves the factory.
    const quint8 shape = m_input.ConsumeIntegral<quint8>();
    const bool accepted = (shape & 0x01) == 0;
    info.vendorId = accepted ? DefaultBridgeUsbId.vendorId : m_input.ConsumeIntegral<quint16>();
    info.productId = accepted ? DefaultBridgeUsbId.productId : m_input.ConsumeIntegral<quint16>();
    info.serialNumberIndex = (shape & 0x02) ? m_input.ConsumeIntegral<quint8>() : 3;
    info.productIndex = (shape & 0x04) ? m_input.ConsumeIntegral<quint8>() : 2;
    info.busNumber = m_input.ConsumeIntegral<quint8>();
    const int ports = m_input.ConsumeIntegralInRange(0, 7);
    for (int i = 0; i < ports; ++i)
        info.portNumbers.push_back(m_input.ConsumeIntegral<quint8>());
    if ((shape & 0x08) == 0) {
        info.interfaces.push_back({0, 0, 0xFF, {BridgeIn, BridgeOut}});
        return info;
    }
    const int interfaces = m_input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < interfaces; ++i) {
        UsbInterfaceInfo interface;
        interface.number = m_input.ConsumeIntegralInRange<quint8>(0, 2);
        interface.alternateSetting = m_input.ConsumeIntegralInRange<quint8>(0, 1);
        interface.interfaceClass = m_input.ConsumeBool() ? 0xFF : m_input.ConsumeIntegral<quint8>();
        const int endpoints = m_input.ConsumeIntegralInRange(0, 4);
        for (int e = 0; e < endpoints; ++e)
            interface.endpoints.push_back({m_input.ConsumeIntegral<quint8>(),
                                           m_input.ConsumeIntegral<quint8>(),
                                           m_input.ConsumeIntegral<quint16>()});
        info.interfaces.push_back(std::move(interface));
    }
    return info;
}

int FuzzedUsbApi::enumerate(std::vector<UsbDeviceInfo> *devices)
{
    devices->clear();
    m_listed = 0;
    if (const int code = result(); code != UsbCode::Success)
        return code;
    const quint8 choice = m_input.ConsumeIntegral<quint8>();
    const int count = choice >= FailureThreshold ? 0 : 1 + choice % 4;
    for (int i = 0; i < count; ++i)
        devices->push_back(device());
    m_listed = devices->size();
    return UsbCode::Success;
}

int FuzzedUsbApi::open(UsbDeviceId device, UsbHandleId *handle)
{
    FUZZ_CHECK(device < m_listed);
    if (const int code = result(); code != UsbCode::Success)
        return code;
    *handle = m_nextHandle++;
    m_open.insert(*handle);
    ++m_state.openHandles;
    return UsbCode::Success;
}

void FuzzedUsbApi::close(UsbHandleId handle)
{
    requireOpen(handle);
    m_open.erase(handle);
    --m_state.openHandles;
    // Closing lets go of what the handle claimed, as libusb_close does.
    m_state.claimedInterfaces -= m_claimed[handle];
    m_claimed.erase(handle);
}

int FuzzedUsbApi::stringDescriptor(UsbHandleId handle, quint8 index, QByteArray *text)
{
    requireOpen(handle);
    FUZZ_CHECK(index != 0);
    if (const int code = result(); code != UsbCode::Success)
        return code;
    if (m_input.ConsumeIntegral<quint8>() == 0) {
        *text = "2020";
    } else {
        const std::string bytes = m_input.ConsumeRandomLengthString(LongestString);
        *text = QByteArray(bytes.data(), qsizetype(bytes.size()));
    }
    return UsbCode::Success;
}

int FuzzedUsbApi::kernelDriverActive(UsbHandleId handle, int)
{
    requireOpen(handle);
    // 0 (the used-up input): no driver holds the interface.
    const quint8 choice = m_input.ConsumeIntegral<quint8>();
    if (choice >= FailureThreshold)
        return m_input.PickValueInArray(Failures);
    return choice & 0x01;
}

int FuzzedUsbApi::detachKernelDriver(UsbHandleId handle, int)
{
    requireOpen(handle);
    return result();
}

int FuzzedUsbApi::attachKernelDriver(UsbHandleId handle, int)
{
    requireOpen(handle);
    return result();
}

int FuzzedUsbApi::claimInterface(UsbHandleId handle, int)
{
    requireOpen(handle);
    const int code = result();
    if (code == UsbCode::Success) {
        ++m_claimed[handle];
        ++m_state.claimedInterfaces;
    }
    return code;
}

int FuzzedUsbApi::releaseInterface(UsbHandleId handle, int)
{
    requireOpen(handle);
    FUZZ_CHECK(m_claimed[handle] > 0);
    --m_claimed[handle];
    --m_state.claimedInterfaces;
    return result();
}

int FuzzedUsbApi::clearHalt(UsbHandleId handle, quint8)
{
    requireOpen(handle);
    return result();
}

int FuzzedUsbApi::controlOut(UsbHandleId handle, quint8, quint8, quint16, quint16, unsigned)
{
    requireOpen(handle);
    return result();
}

int FuzzedUsbApi::bulkTransfer(UsbHandleId handle, quint8 endpoint, quint8 *data, int length,
                               int *transferred, unsigned timeoutMs)
{
    requireOpen(handle);
    FUZZ_CHECK(length >= 0 && data != nullptr);
    const int code = result();
    int moved = 0;
    if (endpoint & 0x80) {
        // 0: nothing came in time; otherwise up to a few packets' worth.
        const int wanted = std::min(length, int(m_input.ConsumeIntegral<quint8>()));
        const std::vector<quint8> bytes = m_input.ConsumeBytes<quint8>(std::size_t(wanted));
        std::copy(bytes.begin(), bytes.end(), data);
        moved = int(bytes.size());
    } else {
        moved = m_input.ConsumeIntegral<quint8>() >= FailureThreshold
                    ? m_input.ConsumeIntegralInRange(0, length)
                    : length;
    }
    // Now and then the count is not what moved, as a faulty layer might say.
    *transferred = m_input.ConsumeIntegral<quint8>() >= FailureThreshold
                       ? m_input.ConsumeIntegral<int>()
                       : moved;
    const bool timedOut = code == UsbCode::Timeout || (moved == 0 && (endpoint & 0x80));
    m_state.now += 1 + (timedOut ? qint64(timeoutMs) : 0);
    if (moved == 0 && (endpoint & 0x80) && code == UsbCode::Success)
        return UsbCode::Timeout;
    return code;
}
