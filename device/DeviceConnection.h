#pragma once

#include "BridgeLibrary.h"
#include "CommandFrame.h"

#include <QByteArray>

#include <functional>

namespace varnex::device {

struct LinkSettings;
class UsbBridge;

// Finds the Varnex among the bridge devices by its serial number, opens it,
// exchanges command frames with it and closes it again. Every device action
// follows one pattern: openDevice, then its requests through transact only
// if that succeeded, then closeDevice; no handle outlives one action.
// Failures are shown through the bridge's message sink.
// What became of one request: a failure (a message has been shown), no reply
// within the time limit, a reply of `received` bytes, or the replies out of
// step with the requests: bytes were already waiting before the frame was to
// be written (it is then not sent, and `received` is 0), or more bytes are
// queued behind a reply of `received` bytes (a longer, repeated or late
// reply). Out of step, neither this reply nor any later one can be trusted.
struct TransactResult
{
    enum Outcome
    {
        Failed,
        TimedOut,
        Replied,
        OutOfStep
    };
    Outcome outcome = Failed;
    quint32 received = 0;
    // At least one byte of the frame was written; false when the exchange
    // ended before the write or the write moved nothing, so the Varnex never
    // saw the frame.
    bool frameSent = false;
};

class DeviceConnection
{
public:
    // Milliseconds on a free-running 32-bit counter; only differences count,
    // computed modulo 2^32, so the wrap of the counter does no harm.
    using Clock = std::function<quint32()>;
    using Pause = std::function<void(quint32 milliseconds)>;
    // The short sleep between queue checks while a reply is awaited.
    using Nap = std::function<void(quint32 microseconds)>;

    // The longest wait for a reply, counted from after the frame was written:
    // the Varnex answers within a few milliseconds, so 3 s means it is gone.
    static constexpr quint32 ReplyTimeoutMs = 3000;
    // How long the wait checks the queue back to back before it starts to
    // nap: the Varnex answers within a few milliseconds, and a reply caught
    // while spinning costs no latency at all. Of a silent device's 3 s the
    // spin takes a sixth of a percent.
    static constexpr quint32 SpinMs = 5;
    // The nap between later queue checks: 0.4 ms adds at most that (a fifth
    // of a millisecond on average) to a late reply's latency, and is long
    // enough that the wake-ups of a silent device's 3 s cost under 5 % of a
    // core; at 0.2 ms they cost 6 to 8 % (bench_waitcpu).
    static constexpr quint32 NapMicroseconds = 400;

    // `bridge` and `settings` are not owned and must outlive the connection;
    // the serial number is read from `settings` at every openDevice. Empty
    // clock, pause or nap functions mean the real ones (a monotonic timer, a
    // sleep in milliseconds, a sleep in microseconds).
    DeviceConnection(UsbBridge &bridge, const LinkSettings &settings, Clock clock = {},
                     Pause pause = {}, Nap nap = {});

    // True: the Varnex was found, opened and flushed, and handle() is open.
    // False: handle() is NoDeviceHandle; messages have been shown for the
    // failures on the way, but none when no device matches. A handle still
    // open from before is closed first, so the device is never claimed twice.
    bool openDevice();
    // After an openDevice that returned false: true when the system denied
    // this user access to a bridge device on the way (its serial could not
    // be fetched or it could not be opened), so the Varnex may be there after
    // all. The front ends then add messages::AccessDenied to their "Hardware
    // not found". False after a successful openDevice.
    bool openDeniedAccess() const { return m_openDeniedAccess; }
    // Closes handle() if a device is open and forgets it in every case.
    void closeDevice();
    // Checks that no byte is waiting, writes `frameLength` bytes of `frame`,
    // waits up to ReplyTimeoutMs for a reply, reads up to `replyLength` bytes
    // into `reply` and checks that no byte is left queued behind them. False
    // exactly when a message was shown; a time-out, or bytes waiting before
    // the write (nothing is sent then), return true with `reply` untouched.
    // Bytes out of step stay queued: the caller ends its sequence and the
    // next openDevice flushes them.
    bool transact(quint8 *reply, const quint8 *frame, quint32 replyLength, quint32 frameLength);
    bool transact(quint8 *reply, const CommandFrame &frame, quint32 replyLength);
    // transact, telling a reply that never came or came out of step apart
    // from one that did.
    TransactResult exchange(quint8 *reply, const quint8 *frame, quint32 replyLength,
                            quint32 frameLength);
    TransactResult exchange(quint8 *reply, const CommandFrame &frame, quint32 replyLength);

    BridgeHandle handle() const { return m_handle; }
    // The bridge the connection was built on, for a session over both.
    UsbBridge &bridge() const { return m_bridge; }
    bool isOpen() const { return m_handle != NoDeviceHandle; }
    // Drops the handle without closing it (the window does this after start-up).
    void forgetHandle() { m_handle = NoDeviceHandle; }

    // The pause between the frames of a transfer, through the injected function.
    void pause(quint32 milliseconds) const { m_pause(milliseconds); }

    // Makes openDevice accept only the Varnex whose link-name string (option 2)
    // is `linkName`, to choose among several; empty, the default, accepts the
    // first Varnex.
    void setLinkNameFilter(const QByteArray &linkName) { m_linkNameFilter = linkName; }

private:
    // openDevice without the note of a denied access.
    bool findAndOpen();
    // Shows the close message on failure; forgets the handle in every case.
    void closeHandle();
    // Waits for the first byte of a reply; false when a queue check failed
    // (its message has been shown). `waiting` stays 0 on a time-out.
    bool awaitReply(quint32 &waiting);
    void show(const char *text) const;
    // True without a link-name filter, or when device `index` has that link name.
    bool linkNameMatches(quint32 index);

    UsbBridge &m_bridge;
    const LinkSettings &m_settings;
    Clock m_clock;
    Pause m_pause;
    Nap m_nap;
    BridgeHandle m_handle = NoDeviceHandle;
    QByteArray m_linkNameFilter;
    bool m_openDeniedAccess = false;
};

// True when `serial`, a serial-number string, is that of the Varnex whose
// number is `serialNumber`, by the rule openDevice applies.
bool isVarnexSerial(const char *serial, quint16 serialNumber);

} // namespace varnex::device
