#include "UsbBridgeLock.h"

namespace varnex::device {

QMutex &UsbBridgeLock::mutex()
{
    // A function-local static lives from its first use to the end of the
    // process, so it spans every bridge call the program can make.
    static QMutex lock;
    return lock;
}

} // namespace varnex::device
