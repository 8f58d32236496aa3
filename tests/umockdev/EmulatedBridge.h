#pragma once

#include "sim/SimulatedSplitter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

// What an emulated bridge looks like from the bus.
struct EmulatedBridgeSetup
{
    quint16 vendorId = 0x10C4; // the chip maker's factory ids
    quint16 productId = 0xEA61;
    QByteArray serial = "2020"; // empty: the device declares no serial-number string
    QByteArray product = "USBXpress Device";
    QByteArray manufacturer = "Silicon Labs";
    quint8 inEndpoint = 0x81;
    quint8 outEndpoint = 0x01;
    quint16 packetSize = 64; // full-speed bulk
    // The in-kernel serial driver holds interface 0 when the device is plugged in.
    bool serialDriverBound = false;
};

// A USBXpress bridge with a Varnex behind it, as its USB interface shows it:
// descriptors, the vendor control requests, the kernel-driver binding of its
// interface and two bulk endpoints carrying command frames to the simulated
// splitter and its replies back, packet by packet. It models the device, not
// usbfs: UsbfsHandler turns ioctls into these calls. Thread-safe: the ioctl
// handler calls it from umockdev's thread while a test inspects it.
class EmulatedBridge
{
public:
    // What became of a control request.
    struct ControlResult
    {
        bool stalled = false;
        QByteArray data; // the data stage of an IN request
    };
    // How far an IN transfer has got.
    enum class InProgress
    {
        Waiting,  // more packets may come
        Complete, // a short packet came or the transfer is full
        Overflow  // a packet was longer than the room left
    };

    explicit EmulatedBridge(EmulatedBridgeSetup setup = {});

    const EmulatedBridgeSetup &setup() const { return m_setup; }
    // The descriptors as sysfs shows them: the device's, then its configuration.
    QByteArray descriptors() const;

    // Test switches. A silent bridge takes frames and never answers; an
    // unplugged one refuses everything as a disconnected device does.
    void setSilent(bool silent);
    // Each later reply waits until the host has given up on `transfers` IN
    // transfers after its frame; releaseDelayedReplies() lets the waiting
    // ones come at once.
    void delayReplies(int transfers);
    void releaseDelayedReplies();
    // The reply to the `frame`th frame passed on (counted from 1 since the
    // bridge was plugged in) comes once more, as soon as the host gives up on
    // an IN transfer after taking it: a late repeat that the host's check
    // behind the reply cannot see.
    void repeatReplyLate(int frame);
    void unplug();
    bool isUnplugged() const;
    // Runs `change` on the splitter behind the bridge.
    void
    changeSplitter(const std::function<void(varnex::device::sim::SimulatedSplitter &)> &change);
    varnex::device::sim::EdidMemory memory(quint8 address) const;

    // What the device went through, one line per request, e.g.
    // "control 40 02 0002 0000", "claim 0", "out 01 12", "in 81 1024".
    QStringList log() const;
    void clearLog();
    // Frames as the bridge passed them on, in order.
    QList<QByteArray> frames() const;
    // The driver holding interface 0: "cp210x", "usbfs" or empty.
    QString interfaceDriver() const;
    // Bytes the IN endpoint has sent to the host.
    qsizetype bytesSent() const;
    bool isEnabled() const;

    // The device side, for UsbfsHandler. Interface and endpoint errors are
    // errno values as usbfs gives them (0: success).
    void note(const QString &line);
    ControlResult control(const quint8 (&setupPacket)[8], QByteArrayView dataOut);
    int claim(int interfaceNumber);
    int release(int interfaceNumber);
    // The claim ends because its holder closed the device node.
    void dropClaim();
    // Fills `driver` for GETDRIVER; ENODATA when no driver holds the interface.
    int driver(int interfaceNumber, QString *driver);
    int disconnectDriver(int interfaceNumber);
    // Binds the serial driver again; returns 1 (bound) or an errno.
    int connectDriver(int interfaceNumber);
    bool hasEndpoint(quint8 address) const;
    // Takes one bulk OUT transfer; false while the bridge is not enabled (the
    // device NAKs it). A transfer that ends with a full packet is held until
    // a zero-length one completes it, as the firmware waits for the end.
    bool takeOut(QByteArrayView data, bool zeroPacketFlag);
    // The host gave up on (discarded) an IN transfer.
    void abandonIn();
    // Moves queued IN packets into a transfer with `room` bytes left.
    InProgress giveIn(int room, QByteArray *received);

private:
    // A reply held back by delayReplies, its packets in order.
    struct DelayedReply
    {
        int transfersLeft = 0;
        std::deque<QByteArray> packets;
    };

    void passOn(const QByteArray &frame);
    void send(const std::deque<QByteArray> &packets);

    const EmulatedBridgeSetup m_setup;
    mutable QMutex m_mutex;
    varnex::device::sim::SimulatedSplitter m_splitter;
    bool m_enabled = false;
    bool m_silent = false;
    bool m_unplugged = false;
    QString m_driver;
    QByteArray m_pendingOut;
    // The IN endpoint's FIFO, one entry per packet. Neither the flush request
    // nor closing the device empties it, as on the real bridge.
    std::deque<QByteArray> m_inPackets;
    int m_replyDelay = 0;
    std::deque<DelayedReply> m_delayed;
    int m_repeatFrame = 0;
    int m_framesPassed = 0;
    std::deque<QByteArray> m_repeat; // the packets to send once more
    QStringList m_log;
    QList<QByteArray> m_frames;
    qsizetype m_bytesSent = 0;
};
