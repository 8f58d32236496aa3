#include "FuzzedBridge.h"

#include "CommandFrame.h"
#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace varnex::device;

namespace {

// Any status but success will do: callers tell failures only from success.
constexpr BridgeStatus Failure = 1;
// Decision bytes at or above this make a call fail: one in sixteen.
constexpr quint8 FailureThreshold = 0xF0;

// The length of the Varnex's reply to `frame`, which the faultless bridge queues.
quint32 replyLengthFor(const quint8 *frame, quint32 length)
{
    if (length == ModeFrameLength && frame[0] == 0x11)
        return ModeReplyLength;
    if (length == ReadFrameLength)
        return ReadReplyLength;
    if (length == StatusFrameLength)
        return StatusReplyLength;
    if (length == WriteFrameLength)
        return WriteReplyLength;
    return 0;
}

} // namespace

bool FuzzedBridge::fails()
{
    return m_input.ConsumeIntegral<quint8>() >= FailureThreshold;
}

void FuzzedBridge::requireOpen(BridgeHandle handle) const
{
    FUZZ_CHECK(m_open.count(handle) == 1);
}

BridgeStatus FuzzedBridge::getDeviceCount(quint32 *count)
{
    if (fails())
        return Failure;
    // 0 (the used-up input) is one device; a few more or none now and then.
    const quint8 choice = m_input.ConsumeIntegral<quint8>();
    m_deviceCount = choice >= FailureThreshold ? 0 : 1 + choice % 3;
    *count = m_deviceCount;
    return BridgeSuccess;
}

BridgeStatus FuzzedBridge::getDeviceString(quint32 index, char *buffer, quint32 option)
{
    FUZZ_CHECK(index < m_deviceCount);
    FUZZ_CHECK(option <= LinkNameString);
    if (fails())
        return Failure;
    switch (m_input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        std::strcpy(buffer, option == SerialNumberString ? "2020" : "usb:1-1");
        break;
    case 1:
        std::strcpy(buffer, "2021");
        break;
    case 2: {
        // A library that fills the whole buffer and forgets the terminator.
        const std::vector<quint8> text = m_input.ConsumeBytes<quint8>(DeviceStringBufferSize);
        std::memset(buffer, 'X', DeviceStringBufferSize);
        std::copy(text.begin(), text.end(), buffer);
        break;
    }
    default:
        std::strcpy(buffer, "");
        break;
    }
    return BridgeSuccess;
}

BridgeStatus FuzzedBridge::open(quint32 index, BridgeHandle *handle)
{
    FUZZ_CHECK(index < m_deviceCount);
    if (fails()) {
        // Some libraries leave junk in the handle when they fail.
        if (m_input.ConsumeBool())
            *handle = m_input.ConsumeIntegral<BridgeHandle>();
        return Failure;
    }
    *handle = m_nextHandle++;
    m_open.insert(*handle);
    m_queued = 0;
    return BridgeSuccess;
}

BridgeStatus FuzzedBridge::close(BridgeHandle handle)
{
    requireOpen(handle);
    // Closed even when it reports a failure, as a library does with a gone device.
    m_open.erase(handle);
    return fails() ? Failure : BridgeSuccess;
}

BridgeStatus FuzzedBridge::read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                                quint32 *returned)
{
    requireOpen(handle);
    if (fails())
        return Failure;
    const quint32 delivered = std::min(toRead, m_queued);
    const std::vector<quint8> bytes = m_input.ConsumeBytes<quint8>(delivered);
    std::fill_n(buffer, delivered, 0);
    std::copy(bytes.begin(), bytes.end(), buffer);
    m_queued -= delivered;
    // Now and then the count claims more than was written.
    *returned = m_input.ConsumeIntegral<quint8>() >= FailureThreshold
                    ? m_input.ConsumeIntegral<quint32>()
                    : delivered;
    return BridgeSuccess;
}

BridgeStatus FuzzedBridge::write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                                 quint32 *written)
{
    requireOpen(handle);
    if (fails())
        return Failure;
    *written = toWrite;
    // 0: the whole reply; otherwise none, a part, or more than one reply.
    const quint8 choice = m_input.ConsumeIntegral<quint8>();
    const quint32 reply = replyLengthFor(buffer, toWrite);
    m_queued += choice == 0 ? reply : choice % (2 * reply + 2);
    return BridgeSuccess;
}

BridgeStatus FuzzedBridge::flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                                        quint8 flushReceive)
{
    requireOpen(handle);
    FUZZ_CHECK(flushTransmit <= 1 && flushReceive <= 1);
    if (fails())
        return Failure;
    if (flushReceive)
        m_queued = 0;
    return BridgeSuccess;
}

BridgeStatus FuzzedBridge::checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                                        quint32 *queueStatus)
{
    requireOpen(handle);
    if (fails())
        return Failure;
    *bytesWaiting = m_queued;
    *queueStatus = m_queued != 0 ? 1 : 0;
    return BridgeSuccess;
}
