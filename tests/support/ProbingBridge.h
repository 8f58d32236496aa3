#pragma once

#include "BridgeLibrary.h"

#include <functional>

// Passes every call on to another bridge, letting a test look at each frame
// as it is written and change replies as they are read.
class ProbingBridge final : public varnex::device::BridgeLibrary
{
public:
    using BridgeHandle = varnex::device::BridgeHandle;
    using BridgeStatus = varnex::device::BridgeStatus;

    explicit ProbingBridge(varnex::device::BridgeLibrary &inner) : m_inner(inner) {}

    std::function<void(const quint8 *frame, quint32 length)> onWrite;
    std::function<void(quint8 *reply, quint32 returned)> onRead;
    std::function<void(quint32 *bytesWaiting)> onCheckRxQueue;

    BridgeStatus getDeviceCount(quint32 *count) override { return m_inner.getDeviceCount(count); }
    BridgeStatus getDeviceString(quint32 index, char *buffer, quint32 option) override
    {
        return m_inner.getDeviceString(index, buffer, option);
    }
    BridgeStatus open(quint32 index, BridgeHandle *handle) override
    {
        return m_inner.open(index, handle);
    }
    BridgeStatus close(BridgeHandle handle) override { return m_inner.close(handle); }
    BridgeStatus read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                      quint32 *returned) override
    {
        const BridgeStatus status = m_inner.read(handle, buffer, toRead, returned);
        if (onRead)
            onRead(buffer, *returned);
        return status;
    }
    BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                       quint32 *written) override
    {
        if (onWrite)
            onWrite(buffer, toWrite);
        return m_inner.write(handle, buffer, toWrite, written);
    }
    BridgeStatus flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                              quint8 flushReceive) override
    {
        return m_inner.flushBuffers(handle, flushTransmit, flushReceive);
    }
    BridgeStatus checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                              quint32 *queueStatus) override
    {
        const BridgeStatus status = m_inner.checkRxQueue(handle, bytesWaiting, queueStatus);
        if (onCheckRxQueue)
            onCheckRxQueue(bytesWaiting);
        return status;
    }

private:
    varnex::device::BridgeLibrary &m_inner;
};
