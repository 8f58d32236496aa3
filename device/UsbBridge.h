#pragma once

#include "BridgeLibrary.h"

namespace varnex::device {

class DeviceMessageSink;

// The only caller of the bridge library. Each bridge* operation holds
// UsbBridgeLock for exactly its one library call and returns the library's
// status unchanged; none of them shows anything, retries or waits.
// The library and the sink are not owned and must outlive the bridge.
class UsbBridge
{
public:
    UsbBridge(BridgeLibrary &library, DeviceMessageSink &sink);

    BridgeStatus bridgeGetDeviceCount(quint32 *count);
    BridgeStatus bridgeGetDeviceString(quint32 index, char *buffer, quint32 option);
    BridgeStatus bridgeOpen(quint32 index, BridgeHandle *handle);
    BridgeStatus bridgeClose(BridgeHandle handle);
    BridgeStatus bridgeRead(BridgeHandle handle, quint8 *buffer, quint32 toRead, quint32 *returned);
    BridgeStatus bridgeWrite(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                             quint32 *written);
    BridgeStatus bridgeFlushBuffers(BridgeHandle handle, quint8 flushTransmit, quint8 flushReceive);
    BridgeStatus bridgeCheckRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                                    quint32 *queueStatus);

    // Fetches the serial-number string of device `index` into `buffer`
    // (DeviceStringBufferSize bytes). On failure shows the serial-string
    // message, after the lock is released, and returns false.
    bool fetchSerialString(quint32 index, char *buffer);

    // Where every device-link message goes.
    DeviceMessageSink &messageSink() const { return m_sink; }

    // True when a call since the last forgetDeniedAccess() (or since the
    // bridge was made) returned BridgeAccessDenied.
    bool deniedAccess() const { return m_deniedAccess; }
    void forgetDeniedAccess() { m_deniedAccess = false; }

private:
    // Passes `status` through, noting a denied access.
    BridgeStatus noted(BridgeStatus status);

    BridgeLibrary &m_library;
    DeviceMessageSink &m_sink;
    bool m_deniedAccess = false;
};

} // namespace varnex::device
