#pragma once

#include "BridgeLibrary.h"

namespace varnex::device {

// Passes every call on to another bridge. A base for the test, fuzz and
// benchmark bridges that watch or change one or two calls of a real one.
class ForwardingBridge : public BridgeLibrary
{
public:
    explicit ForwardingBridge(BridgeLibrary &inner) : m_inner(inner) {}

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
        return m_inner.read(handle, buffer, toRead, returned);
    }
    BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                       quint32 *written) override
    {
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
        return m_inner.checkRxQueue(handle, bytesWaiting, queueStatus);
    }

private:
    BridgeLibrary &m_inner;
};

} // namespace varnex::device
