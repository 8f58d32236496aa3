#pragma once

#include <QtGlobal>

namespace varnex::device {

// Result of a bridge call: 0 is success, every other value a failure. Callers
// tell failures apart only from success.
using BridgeStatus = qint32;
inline constexpr BridgeStatus BridgeSuccess = 0;
// The one failure that callers tell apart: the system denied this user access
// to the device (the permissions of its device node). A backend returns it
// only for that cause; the value lies above the vendor library's one-byte
// codes and the USB backend's own.
inline constexpr BridgeStatus BridgeAccessDenied = 0x1000;

// Opaque handle of an open bridge device, as the library hands it out.
using BridgeHandle = quintptr;
// The value that stands for "no device open".
inline constexpr BridgeHandle NoDeviceHandle = BridgeHandle(-1);

// The caller's buffer for a device string, NUL terminator included.
inline constexpr quint32 DeviceStringBufferSize = 256;

// Options of getDeviceString.
enum DeviceStringOption : quint32
{
    SerialNumberString = 0, // identifies the Varnex
    DescriptionString = 1,  // the product description
    LinkNameString = 2,     // a system path of the device; must exist for a present device
};

// The contract of the USB bridge host library: the eight calls the utility
// needs of it. Every backend (the simulated Varnex, a loaded vendor library,
// direct USB access) implements exactly this; UsbBridge serialises the calls.
// Pointers passed in are never null and point to storage of the stated size.
class BridgeLibrary
{
public:
    virtual ~BridgeLibrary() = default;

    // Number of attached bridge devices.
    virtual BridgeStatus getDeviceCount(quint32 *count) = 0;
    // Writes a NUL-terminated string of at most DeviceStringBufferSize bytes.
    virtual BridgeStatus getDeviceString(quint32 index, char *buffer, quint32 option) = 0;
    virtual BridgeStatus open(quint32 index, BridgeHandle *handle) = 0;
    virtual BridgeStatus close(BridgeHandle handle) = 0;
    // Reads up to toRead bytes; *returned receives the count actually read.
    virtual BridgeStatus read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                              quint32 *returned) = 0;
    virtual BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                               quint32 *written) = 0;
    // Each flag, when 1, drops the pending data of that direction.
    virtual BridgeStatus flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                                      quint8 flushReceive) = 0;
    // Bytes received and waiting to be read; queueStatus is informational.
    virtual BridgeStatus checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                                      quint32 *queueStatus) = 0;
};

} // namespace varnex::device
