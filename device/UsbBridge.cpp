#include "UsbBridge.h"

#include "DeviceMessageSink.h"
#include "DeviceMessages.h"
#include "UsbBridgeLock.h"

#include <QMutexLocker>

namespace varnex::device {

UsbBridge::UsbBridge(BridgeLibrary &library, DeviceMessageSink &sink)
    : m_library(library), m_sink(sink)
{
}

BridgeStatus UsbBridge::bridgeGetDeviceCount(quint32 *count)
{
    const QMutexLocker locker(&UsbBridgeLock::mutex());
    return noted(m_library.getDeviceCount(count));
}

BridgeStatus UsbBridge::bridgeGetDeviceString(quint32 index, char *buffer, quint32 option)
{
    const QMutexLocker locker(&UsbBridgeLock::mutex());
    return noted(m_library.getDeviceString(index, buffer, option));
}

BridgeStatus UsbBridge::bridgeOpen(quint32 index, BridgeHandle *handle)
{
    const QMutexLocker locker(&UsbBridgeLock::mutex());
    return noted(m_library.open(index, handle));
}

BridgeStatus UsbBridge::bridgeClose(BridgeHandle handle)
{
    const QMutexLocker locker(&UsbBridgeLock::mutex());
    return noted(m_library.close(handle));
}

BridgeStatus UsbBridge::bridgeRead(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                                   quint32 *returned)
{
    const QMutexLocker locker(&UsbBridgeLock::mutex());
    return noted(m_library.read(handle, buffer, toRead, returned));
}

BridgeStatus UsbBridge::bridgeWrite(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                                    quint32 *written)
{
    const QMutexLocker locker(&UsbBridgeLock::mutex());
    return noted(m_library.write(handle, buffer, toWrite, written));
}

BridgeStatus UsbBridge::bridgeFlushBuffers(BridgeHandle handle, quint8 flushTransmit,
                                           quint8 flushReceive)
{
    const QMutexLocker locker(&UsbBridgeLock::mutex());
    return noted(m_library.flushBuffers(handle, flushTransmit, flushReceive));
}

BridgeStatus UsbBridge::bridgeCheckRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                                           quint32 *queueStatus)
{
    const QMutexLocker locker(&UsbBridgeLock::mutex());
    return noted(m_library.checkRxQueue(handle, bytesWaiting, queueStatus));
}

BridgeStatus UsbBridge::noted(BridgeStatus status)
{
    if (status == BridgeAccessDenied)
        m_deniedAccess = true;
    return status;
}

bool UsbBridge::fetchSerialString(quint32 index, char *buffer)
{
    // bridgeGetDeviceString has released the lock when it returns.
    if (bridgeGetDeviceString(index, buffer, SerialNumberString) == BridgeSuccess)
        return true;
    m_sink.showMessage(QString::fromLatin1(messages::SerialStringError));
    return false;
}

} // namespace varnex::device
