#pragma once

#include "BridgeLibrary.h"

#include <QLibrary>
#include <QString>

#include <memory>

namespace varnex::device {

// The bridge contract on a shared library that exports the bridge vendor's C
// API (SI_GetNumDevices, SI_GetProductString, SI_Open, SI_Close, SI_Read,
// SI_Write, SI_FlushBuffers, SI_CheckRXQueue). The library stays loaded for
// the lifetime of this object.
class SiUsbXpLibrary final : public BridgeLibrary
{
public:
    // Loads `path` and resolves all eight functions. On failure returns null
    // and sets `error` to a text that names the path, and the missing symbol
    // if that is the reason.
    static std::unique_ptr<SiUsbXpLibrary> load(const QString &path, QString *error);
    ~SiUsbXpLibrary() override;

    BridgeStatus getDeviceCount(quint32 *count) override;
    BridgeStatus getDeviceString(quint32 index, char *buffer, quint32 option) override;
    BridgeStatus open(quint32 index, BridgeHandle *handle) override;
    BridgeStatus close(BridgeHandle handle) override;
    BridgeStatus read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                      quint32 *returned) override;
    BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                       quint32 *written) override;
    BridgeStatus flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                              quint8 flushReceive) override;
    BridgeStatus checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                              quint32 *queueStatus) override;

private:
    struct Functions;
    SiUsbXpLibrary();

    QLibrary m_library;
    std::unique_ptr<Functions> m_functions;
};

} // namespace varnex::device
