#pragma once

#include <QMutex>

namespace varnex::device {

// The one process-wide lock around every bridge-library call. UsbBridge takes
// it immediately before a call and releases it immediately after, so it is
// never held across a message box and never taken twice by one caller. No
// other code takes it; tests may probe it with tryLock().
class UsbBridgeLock
{
public:
    static QMutex &mutex();
};

} // namespace varnex::device
