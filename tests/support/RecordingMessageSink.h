#pragma once

#include "DeviceMessageSink.h"
#include "UsbBridgeLock.h"

#include <QStringList>

// Records the device-link messages instead of showing them, and whether the
// bridge lock was free when each arrived (it must never be held across one).
class RecordingMessageSink final : public varnex::device::DeviceMessageSink
{
public:
    QStringList messages;
    bool lockHeldDuringMessage = false;

    void showMessage(const QString &text) override
    {
        messages.append(text);
        QMutex &lock = varnex::device::UsbBridgeLock::mutex();
        if (lock.tryLock())
            lock.unlock();
        else
            lockHeldDuringMessage = true;
    }
};
