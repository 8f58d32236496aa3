#pragma once

#include "BridgeLibrary.h"
#include "SimulatedSplitter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace varnex::device::sim {

// The eight calls of the bridge contract, for fault injection and the call log.
enum class BridgeOperation
{
    GetDeviceCount,
    GetDeviceString,
    Open,
    Close,
    Read,
    Write,
    FlushBuffers,
    CheckRxQueue,
};
QString operationName(BridgeOperation operation);

// One bridge device as the simulator presents it.
struct SimulatedBridgeDevice
{
    QByteArray serial = "2020";
    bool serialUnavailable = false;   // its serial-number string cannot be fetched
    bool linkNameUnavailable = false; // its option-2 string cannot be fetched
};

// One call the simulator received, with what it answered.
struct BridgeCall
{
    BridgeOperation operation = BridgeOperation::GetDeviceCount;
    quint32 index = 0;                    // GetDeviceString, Open
    quint32 option = 0;                   // GetDeviceString
    BridgeHandle handle = NoDeviceHandle; // calls on a handle; the new one for Open
    quint32 length = 0;                   // bytes asked to read or write
    quint8 flushTransmit = 0;             // FlushBuffers
    quint8 flushReceive = 0;
    QByteArray bytes; // Write: the frame; Read: what was returned
    BridgeStatus status = BridgeSuccess;
};

// Varnexes on USB bridges, without hardware: any number of bridge devices
// (by default one with the serial "2020"), each leading to a simulated
// splitter of its own. A written frame's reply waits in the device's receive
// queue until it is read or flushed. For tests it injects faults and logs every call; for
// the program it can keep the splitter in a state file and trace to a file.
class SimulatedVarnex final : public BridgeLibrary
{
public:
    // The status of every failing call.
    static constexpr BridgeStatus FailureStatus = 0xFF;

    SimulatedVarnex();
    explicit SimulatedVarnex(QList<SimulatedBridgeDevice> devices);
    ~SimulatedVarnex() override;

    // The splitter behind device `index`. A simulator without devices still
    // has splitter 0, which no call reaches.
    SimulatedSplitter &splitter(quint32 index = 0) { return m_splitters.at(index); }
    int splitterCount() const { return int(m_splitters.size()); }

    // Loads the splitters from `path`, or writes the defaults there when the
    // file is missing, short or corrupt; every later change of a memory or
    // mode is saved there. A file of one splitter (as a single device saves
    // it) fills splitter 0; splitters the file does not hold start from the
    // defaults. False, with a reason, if the file cannot be written.
    bool useStateFile(const QString &path, QString *error);
    // Appends one line per bridge call to `path`. False, with a reason, if the
    // file cannot be opened for appending.
    bool useTraceFile(const QString &path, QString *error);

    // The `nth` call (counted from 1, across all devices) of `operation` fails
    // with FailureStatus and has no effect.
    void failCall(BridgeOperation operation, int nth);
    // Frames after the first `frames` written ones are ignored: no reply waits.
    void stopAnsweringAfter(int frames);
    // Replies are cut to at most `bytes` bytes.
    void limitReplies(int bytes);
    // Every reply comes `bytes` bytes longer, its own bytes repeated after it
    // as a repeated reply would leave them; the cut of limitReplies comes after.
    void lengthenReplies(int bytes);
    // The bridge is unplugged once `frames` frames have been written (counted
    // across all devices, like stopAnsweringAfter): every later call fails
    // with FailureStatus and has no effect, the reply to the last frame is
    // never read, and the device is neither counted nor opened again. Only
    // close still succeeds and releases its handle, as a library does for a
    // device that has gone.
    void unplugAfter(int frames);
    // A reply can be read only `milliseconds` after its frame was written
    // (real time); until then the receive queue does not show it.
    void delayReplies(int milliseconds);
    // The reply to the `frame`th frame written (counted from 1 across all
    // devices, like stopAnsweringAfter) comes once more, right after the
    // first queue check that follows its reading: a late repeated reply that
    // the check behind the reply could not see.
    void repeatReplyLate(int frame) { m_lateDuplicateFrame = frame; }
    // The strings and the open of every device fail with BridgeAccessDenied,
    // as for a user whom the system does not let use the bridge.
    void denyAccess() { m_accessDenied = true; }
    // The byte at `offset` of the EDID memories of every splitter ignores writes.
    void ignoreWritesAt(quint8 offset);

    // The log of every call since the last clearCalls(), for tests. A
    // simulator that the program talks to for hours keeps none: a wait for
    // a late reply checks the queue thousands of times.
    void keepCallLog(bool keep) { m_keepCallLog = keep; }
    const QList<BridgeCall> &calls() const { return m_calls; }
    QList<QByteArray> writtenFrames() const;
    void clearCalls() { m_calls.clear(); }
    bool isOpen(quint32 index) const;

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
    // A reply on its way, readable from `readyAtMs` on m_clock.
    struct DelayedReply
    {
        qint64 readyAtMs = 0;
        QByteArray bytes;
    };
    struct DeviceState
    {
        SimulatedBridgeDevice device;
        bool open = false;
        QByteArray receiveQueue;
        QList<DelayedReply> delayed;
        // The reply to come once more (repeatReplyLate), and whether it has
        // been read, so that the next queue check lets it come.
        QByteArray duplicate;
        bool duplicateDue = false;
    };

    // Counts the call and tells whether it is one chosen to fail.
    bool injectFailure(BridgeOperation operation);
    // The open device behind `handle`, or null.
    DeviceState *openDevice(BridgeHandle handle);
    BridgeStatus finish(BridgeCall call);
    // Moves the delayed replies whose time has come into the receive queue.
    void deliverDueReplies(DeviceState &device) const;
    void saveState();

    std::vector<SimulatedSplitter> m_splitters; // one per device, at least one
    std::vector<DeviceState> m_devices;
    std::map<BridgeOperation, int> m_callCounts;
    std::multimap<BridgeOperation, int> m_failures;
    int m_answerLimit = -1;
    int m_replyLimit = -1;
    int m_replyExtension = 0;
    int m_unplugAfter = -1;
    int m_framesWritten = 0;
    int m_latencyMs = 0;
    int m_lateDuplicateFrame = -1;
    bool m_accessDenied = false;
    QElapsedTimer m_clock;
    QList<BridgeCall> m_calls;
    bool m_keepCallLog = true;
    QString m_statePath;
    std::unique_ptr<QFile> m_trace;
};

} // namespace varnex::device::sim
