#include "SiUsbXpLibrary.h"

#include <QFileInfo>

#include <cstdint>

namespace varnex::device {

// The vendor's C signatures; the overlapped-I/O argument is always null here.
struct SiUsbXpLibrary::Functions
{
    int (*getNumDevices)(uint32_t *count) = nullptr;
    int (*getProductString)(uint32_t index, void *buffer, uint32_t option) = nullptr;
    int (*open)(uint32_t index, void **handle) = nullptr;
    int (*close)(void *handle) = nullptr;
    int (*read)(void *handle, void *buffer, uint32_t toRead, uint32_t *returned,
                void *overlapped) = nullptr;
    int (*write)(void *handle, void *buffer, uint32_t toWrite, uint32_t *written,
                 void *overlapped) = nullptr;
    int (*flushBuffers)(void *handle, uint8_t flushTransmit, uint8_t flushReceive) = nullptr;
    int (*checkRxQueue)(void *handle, uint32_t *waiting, uint32_t *status) = nullptr;
};

namespace {

void *toVendorHandle(BridgeHandle handle)
{
    return reinterpret_cast<void *>(handle);
}

template <typename Function>
bool resolve(QLibrary &library, const char *symbol, Function &function, QString *error)
{
    function = reinterpret_cast<Function>(library.resolve(symbol));
    if (function)
        return true;
    if (error) {
        *error = QStringLiteral("siusbxp: the library %1 does not export %2")
                     .arg(library.fileName(), QLatin1String(symbol));
    }
    return false;
}

} // namespace

SiUsbXpLibrary::SiUsbXpLibrary() : m_functions(std::make_unique<Functions>()) {}

SiUsbXpLibrary::~SiUsbXpLibrary()
{
    m_library.unload();
}

std::unique_ptr<SiUsbXpLibrary> SiUsbXpLibrary::load(const QString &path, QString *error)
{
    // QLibrary would try other names (lib prefix, .so suffix) for a missing
    // file and report on those; the user named exactly one file.
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("siusbxp: the library %1 does not exist").arg(path);
        return nullptr;
    }
    std::unique_ptr<SiUsbXpLibrary> bridge(new SiUsbXpLibrary);
    bridge->m_library.setFileName(QFileInfo(path).absoluteFilePath());
    if (!bridge->m_library.load()) {
        if (error) {
            *error = QStringLiteral("siusbxp: cannot load the library %1: %2")
                         .arg(path, bridge->m_library.errorString());
        }
        return nullptr;
    }
    QLibrary &library = bridge->m_library;
    Functions &f = *bridge->m_functions;
    if (!resolve(library, "SI_GetNumDevices", f.getNumDevices, error) ||
        !resolve(library, "SI_GetProductString", f.getProductString, error) ||
        !resolve(library, "SI_Open", f.open, error) ||
        !resolve(library, "SI_Close", f.close, error) ||
        !resolve(library, "SI_Read", f.read, error) ||
        !resolve(library, "SI_Write", f.write, error) ||
        !resolve(library, "SI_FlushBuffers", f.flushBuffers, error) ||
        !resolve(library, "SI_CheckRXQueue", f.checkRxQueue, error))
        return nullptr;
    return bridge;
}

BridgeStatus SiUsbXpLibrary::getDeviceCount(quint32 *count)
{
    return m_functions->getNumDevices(count);
}

BridgeStatus SiUsbXpLibrary::getDeviceString(quint32 index, char *buffer, quint32 option)
{
    return m_functions->getProductString(index, buffer, option);
}

BridgeStatus SiUsbXpLibrary::open(quint32 index, BridgeHandle *handle)
{
    void *vendorHandle = nullptr;
    const BridgeStatus status = m_functions->open(index, &vendorHandle);
    if (status == BridgeSuccess)
        *handle = reinterpret_cast<BridgeHandle>(vendorHandle);
    return status;
}

BridgeStatus SiUsbXpLibrary::close(BridgeHandle handle)
{
    return m_functions->close(toVendorHandle(handle));
}

BridgeStatus SiUsbXpLibrary::read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                                  quint32 *returned)
{
    return m_functions->read(toVendorHandle(handle), buffer, toRead, returned, nullptr);
}

BridgeStatus SiUsbXpLibrary::write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                                   quint32 *written)
{
    // The vendor API takes a non-const buffer but only reads from it.
    return m_functions->write(toVendorHandle(handle), const_cast<quint8 *>(buffer), toWrite,
                              written, nullptr);
}

BridgeStatus SiUsbXpLibrary::flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                                          quint8 flushReceive)
{
    return m_functions->flushBuffers(toVendorHandle(handle), flushTransmit, flushReceive);
}

BridgeStatus SiUsbXpLibrary::checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                                          quint32 *queueStatus)
{
    return m_functions->checkRxQueue(toVendorHandle(handle), bytesWaiting, queueStatus);
}

} // namespace varnex::device
