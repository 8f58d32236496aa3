#pragma once

#include "BridgeLibrary.h"

#include <QByteArray>

#include <set>

class FuzzedDataProvider;

// A bridge library whose every answer the fuzz input chooses: which call
// fails, how many devices there are and what their strings say, how many
// bytes wait and which bytes a read returns. Reply bytes come from the front
// of the input, decisions from its back, so that an EDID table as input is
// read back as the table. Once the input is used up the bridge behaves like a
// faultless Varnex whose replies are all zero. It keeps to the contract
// (strings fit the buffer, a read writes at most toRead bytes) but may claim
// more bytes than it wrote, and it checks that the caller uses only handles
// it handed out.
class FuzzedBridge final : public varnex::device::BridgeLibrary
{
public:
    explicit FuzzedBridge(FuzzedDataProvider &input) : m_input(input) {}

    // Handles opened and not closed yet.
    int openHandles() const { return int(m_open.size()); }

    varnex::device::BridgeStatus getDeviceCount(quint32 *count) override;
    varnex::device::BridgeStatus getDeviceString(quint32 index, char *buffer,
                                                 quint32 option) override;
    varnex::device::BridgeStatus open(quint32 index, varnex::device::BridgeHandle *handle) override;
    varnex::device::BridgeStatus close(varnex::device::BridgeHandle handle) override;
    varnex::device::BridgeStatus read(varnex::device::BridgeHandle handle, quint8 *buffer,
                                      quint32 toRead, quint32 *returned) override;
    varnex::device::BridgeStatus write(varnex::device::BridgeHandle handle, const quint8 *buffer,
                                       quint32 toWrite, quint32 *written) override;
    varnex::device::BridgeStatus flushBuffers(varnex::device::BridgeHandle handle,
                                              quint8 flushTransmit, quint8 flushReceive) override;
    varnex::device::BridgeStatus checkRxQueue(varnex::device::BridgeHandle handle,
                                              quint32 *bytesWaiting, quint32 *queueStatus) override;

private:
    // True for about one call in sixteen, as the input decides.
    bool fails();
    void requireOpen(varnex::device::BridgeHandle handle) const;

    FuzzedDataProvider &m_input;
    std::set<varnex::device::BridgeHandle> m_open;
    varnex::device::BridgeHandle m_nextHandle = 1;
    quint32 m_queued = 0;
    quint32 m_deviceCount = 0;
};
