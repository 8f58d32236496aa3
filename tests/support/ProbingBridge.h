#pragma once

#include "ForwardingBridge.h"

#include <functional>

// Passes every call on to another bridge, letting a test look at each frame
// as it is written and change replies as they are read.
class ProbingBridge final : public varnex::device::ForwardingBridge
{
public:
    using BridgeHandle = varnex::device::BridgeHandle;
    using BridgeStatus = varnex::device::BridgeStatus;

    using ForwardingBridge::ForwardingBridge;

    std::function<void(const quint8 *frame, quint32 length)> onWrite;
    std::function<void(quint8 *reply, quint32 returned)> onRead;
    std::function<void(quint32 *bytesWaiting)> onCheckRxQueue;

    BridgeStatus read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                      quint32 *returned) override
    {
        const BridgeStatus status = ForwardingBridge::read(handle, buffer, toRead, returned);
        if (onRead)
            onRead(buffer, *returned);
        return status;
    }
    BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                       quint32 *written) override
    {
        if (onWrite)
            onWrite(buffer, toWrite);
        return ForwardingBridge::write(handle, buffer, toWrite, written);
    }
    BridgeStatus checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                              quint32 *queueStatus) override
    {
        const BridgeStatus status =
            ForwardingBridge::checkRxQueue(handle, bytesWaiting, queueStatus);
        if (onCheckRxQueue)
            onCheckRxQueue(bytesWaiting);
        return status;
    }
};
