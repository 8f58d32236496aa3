#include "DeviceConnection.h"
#include "ForwardingBridge.h"
#include "LinkSettings.h"
#include "ProbingBridge.h"
#include "RecordingMessageSink.h"
#include "StepClock.h"
#include "UsbBridge.h"
#include "UsbBridgeLock.h"
#include "sim/SimulatedVarnex.h"

#include <QTest>

using namespace varnex::device;
using namespace varnex::device::sim;

namespace {

// What a reply buffer holds before a transaction, to see what it changed.
constexpr quint8 Untouched = 0xEE;

// One connection on a simulated bridge behind a probe, with recorded
// messages and naps and a clock that steps 1 ms a reading unless told otherwise.
struct Rig
{
    explicit Rig(QList<SimulatedBridgeDevice> devices = {SimulatedBridgeDevice{}},
                 StepClock stepClock = StepClock())
        : sim(std::move(devices)), probe(sim), clock(stepClock),
          connection(
              bridge, settings, clock.function(), [](quint32) {},
              [this](quint32 microseconds) { naps.append(microseconds); })
    {
    }

    int count(BridgeOperation operation) const
    {
        int n = 0;
        for (const BridgeCall &call : sim.calls())
            n += call.operation == operation ? 1 : 0;
        return n;
    }
    const BridgeCall *first(BridgeOperation operation) const
    {
        for (const BridgeCall &call : sim.calls()) {
            if (call.operation == operation)
                return &call;
        }
        return nullptr;
    }
    bool lockIsFree() const
    {
        if (!UsbBridgeLock::mutex().tryLock())
            return false;
        UsbBridgeLock::mutex().unlock();
        return true;
    }

    QList<BridgeOperation> operations() const
    {
        QList<BridgeOperation> result;
        for (const BridgeCall &call : sim.calls())
            result << call.operation;
        return result;
    }

    SimulatedVarnex sim;
    ProbingBridge probe;
    RecordingMessageSink sink;
    LinkSettings settings;
    StepClock clock;
    UsbBridge bridge{probe, sink};
    QList<quint32> naps;
    DeviceConnection connection;
};

QList<SimulatedBridgeDevice> devicesWithSerials(const QList<QByteArray> &serials,
                                                const QList<int> &unfetchable = {})
{
    QList<SimulatedBridgeDevice> devices;
    for (const QByteArray &serial : serials)
        devices.append({serial, unfetchable.contains(int(devices.size())), false});
    return devices;
}

QByteArray replyBytes(const std::array<quint8, 16> &reply)
{
    return QByteArray(reinterpret_cast<const char *>(reply.data()), qsizetype(reply.size()));
}

QByteArray memoryBytes(const EdidMemory &memory, int offset, int length)
{
    return QByteArray(reinterpret_cast<const char *>(memory.data()) + offset, length);
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void openDeviceChoosesBySerial_data();
    void openDeviceChoosesBySerial();
    void openDeviceFailures_data();
    void openDeviceFailures();
    void closeDevice_data();
    void closeDevice();
    void openDeviceTwiceClosesTheFirstHandle_data();
    void openDeviceTwiceClosesTheFirstHandle();
    void transactWithoutHandleSendsNothing();
    void transactReadsTheReply();
    void transactFailures_data();
    void transactFailures();
    void silentDeviceTimesOut_data();
    void silentDeviceTimesOut();
    void shortReplyGoesUnnoticed();
    void exchangeOutcomes_data();
    void exchangeOutcomes();
    void surplusIsFlushedByTheNextOpen();
    void bytesWaitingBeforeTheFrameKeepItUnsent();
    void partWrittenFrameCountsAsSent_data();
    void partWrittenFrameCountsAsSent();
    void openTellsOfDeniedAccess_data();
    void openTellsOfDeniedAccess();
    void waitNapsAfterSpinning_data();
    void waitNapsAfterSpinning();
};

void TestConnection::openDeviceChoosesBySerial_data()
{
    QTest::addColumn<int>("serialNumber");
    QTest::addColumn<QList<QByteArray>>("serials");
    QTest::addColumn<QList<int>>("unfetchable");
    QTest::addColumn<int>("opened"); // index, or -1 for none
    QTest::addColumn<int>("serialFetches");
    QTest::addColumn<int>("messages");

    const QList<int> none;
    QTest::newRow("no device") << 2020 << QList<QByteArray>{} << none << -1 << 0 << 0;
    QTest::newRow("the Varnex alone") << 2020 << QList<QByteArray>{"2020"} << none << 0 << 1 << 0;
    QTest::newRow("wrong serial first")
        << 2020 << QList<QByteArray>{"1999", "2020"} << none << 1 << 2 << 0;
    QTest::newRow("two matching: lower index")
        << 2020 << QList<QByteArray>{"2020", "2020"} << none << 0 << 1 << 0;
    QTest::newRow("leading zero") << 2020 << QList<QByteArray>{"02020"} << none << -1 << 1 << 0;
    QTest::newRow("trailing blank") << 2020 << QList<QByteArray>{"2020 "} << none << -1 << 1 << 0;
    QTest::newRow("prefix only") << 2020 << QList<QByteArray>{"202"} << none << -1 << 1 << 0;
    QTest::newRow("empty serial") << 2020 << QList<QByteArray>{""} << none << -1 << 1 << 0;
    QTest::newRow("empty serial, then the Varnex")
        << 2020 << QList<QByteArray>{"", "2020"} << none << 1 << 2 << 0;
    QTest::newRow("unfetchable string, then the Varnex")
        << 2020 << QList<QByteArray>{"2020", "2020"} << QList<int>{0} << 1 << 2 << 1;
    QTest::newRow("unfetchable string only")
        << 2020 << QList<QByteArray>{"2020"} << QList<int>{0} << -1 << 1 << 1;
    QTest::newRow("other configured serial")
        << 7 << QList<QByteArray>{"2020", "7"} << none << 1 << 2 << 0;
    QTest::newRow("largest serial") << 65535 << QList<QByteArray>{"65535"} << none << 0 << 1 << 0;
}

void TestConnection::openDeviceChoosesBySerial()
{
    QFETCH(int, serialNumber);
    QFETCH(QList<QByteArray>, serials);
    QFETCH(QList<int>, unfetchable);
    QFETCH(int, opened);
    QFETCH(int, serialFetches);
    QFETCH(int, messages);

    Rig rig(devicesWithSerials(serials, unfetchable));
    rig.settings.serialNumber = quint16(serialNumber);

    QCOMPARE(rig.connection.openDevice(), opened >= 0);
    QCOMPARE(rig.connection.isOpen(), opened >= 0);
    int serialCalls = 0;
    for (const BridgeCall &call : rig.sim.calls())
        serialCalls += call.operation == BridgeOperation::GetDeviceString && call.option == 0;
    QCOMPARE(serialCalls, serialFetches);
    QCOMPARE(rig.sink.messages,
             QStringList(messages, QStringLiteral("Error retrieving serial string!")));
    QVERIFY(!rig.sink.lockHeldDuringMessage);

    if (opened < 0) {
        QCOMPARE(rig.connection.handle(), NoDeviceHandle);
        QCOMPARE(rig.count(BridgeOperation::Open), 0);
        return;
    }
    for (int i = 0; i < serials.size(); ++i)
        QCOMPARE(rig.sim.isOpen(quint32(i)), i == opened);
    const QList<BridgeCall> &calls = rig.sim.calls();
    QCOMPARE(rig.count(BridgeOperation::Open), 1);
    const qsizetype openAt = std::find_if(calls.begin(), calls.end(),
                                          [](const BridgeCall &call) {
                                              return call.operation == BridgeOperation::Open;
                                          }) -
                             calls.begin();
    const BridgeCall &open = calls.at(openAt);
    QCOMPARE(open.index, quint32(opened));
    QCOMPARE(rig.connection.handle(), open.handle);
    // The option-2 string of the chosen device comes right before the open.
    const BridgeCall &linkName = calls.at(openAt - 1);
    QCOMPARE(linkName.operation, BridgeOperation::GetDeviceString);
    QCOMPARE(linkName.option, quint32(LinkNameString));
    QCOMPARE(linkName.index, quint32(opened));
    const BridgeCall &flush = rig.sim.calls().last();
    QCOMPARE(flush.operation, BridgeOperation::FlushBuffers);
    QCOMPARE(flush.handle, open.handle);
    QCOMPARE(flush.flushTransmit, quint8(1));
    QCOMPARE(flush.flushReceive, quint8(1));
}

void TestConnection::openDeviceFailures_data()
{
    QTest::addColumn<QList<int>>("failing"); // BridgeOperation values whose first call fails
    QTest::addColumn<bool>("linkNameUnavailable");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("closes");

    using Op = BridgeOperation;
    QTest::newRow("device count") << QList<int>{int(Op::GetDeviceCount)} << false << QStringList()
                                  << 0;
    QTest::newRow("option-2 string")
        << QList<int>{} << true << QStringList{"Unable to retrive product string!"} << 0;
    QTest::newRow("open") << QList<int>{int(Op::Open)} << false
                          << QStringList{"Unable to open handle to device!"} << 0;
    QTest::newRow("flush") << QList<int>{int(Op::FlushBuffers)} << false
                           << QStringList{"Unable to flush device bufers!"} << 1;
    QTest::newRow("flush, then close")
        << QList<int>{int(Op::FlushBuffers), int(Op::Close)} << false
        << QStringList{"Unable to flush device bufers!", "Unable to close device handle!"} << 1;
}

void TestConnection::openDeviceFailures()
{
    QFETCH(QList<int>, failing);
    QFETCH(bool, linkNameUnavailable);
    QFETCH(QStringList, messages);
    QFETCH(int, closes);

    Rig rig({{"2020", false, linkNameUnavailable}});
    for (const int operation : failing)
        rig.sim.failCall(BridgeOperation(operation), 1);

    QVERIFY(!rig.connection.openDevice());
    QCOMPARE(rig.connection.handle(), NoDeviceHandle);
    QCOMPARE(rig.sink.messages, messages);
    QCOMPARE(rig.count(BridgeOperation::Close), closes);
    if (closes > 0)
        QCOMPARE(rig.first(BridgeOperation::Close)->handle,
                 rig.first(BridgeOperation::Open)->handle);
    QVERIFY(!rig.sink.lockHeldDuringMessage);
    QVERIFY(rig.lockIsFree());
}

void TestConnection::closeDevice_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("closeFails");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("closes");

    QTest::newRow("nothing open") << false << false << QStringList() << 0;
    QTest::newRow("open device") << true << false << QStringList() << 1;
    QTest::newRow("close fails") << true << true << QStringList{"Unable to close device handle!"}
                                 << 1;
}

void TestConnection::closeDevice()
{
    QFETCH(bool, open);
    QFETCH(bool, closeFails);
    QFETCH(QStringList, messages);
    QFETCH(int, closes);

    Rig rig;
    if (closeFails)
        rig.sim.failCall(BridgeOperation::Close, 1);
    if (open)
        QVERIFY(rig.connection.openDevice());

    rig.connection.closeDevice();
    QCOMPARE(rig.connection.handle(), NoDeviceHandle);
    QCOMPARE(rig.sink.messages, messages);
    QCOMPARE(rig.count(BridgeOperation::Close), closes);
    QCOMPARE(rig.sim.isOpen(0), closeFails);
}

void TestConnection::openDeviceTwiceClosesTheFirstHandle_data()
{
    QTest::addColumn<bool>("closeFails");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("close succeeds") << false << QStringList();
    // The bridge still holds the device, so the second open is refused.
    QTest::newRow("close fails") << true
                                 << QStringList{"Unable to close device handle!",
                                                "Unable to open handle to device!"};
}

void TestConnection::openDeviceTwiceClosesTheFirstHandle()
{
    QFETCH(bool, closeFails);
    QFETCH(QStringList, messages);

    Rig rig;
    if (closeFails)
        rig.sim.failCall(BridgeOperation::Close, 1);
    QVERIFY(rig.connection.openDevice());
    const BridgeHandle first = rig.connection.handle();

    QCOMPARE(rig.connection.openDevice(), !closeFails);
    QCOMPARE(rig.sink.messages, messages);
    QCOMPARE(rig.first(BridgeOperation::Close)->handle, first);
    // The close comes before anything else of the second open.
    QCOMPARE(rig.operations().indexOf(BridgeOperation::Close),
             rig.operations().indexOf(BridgeOperation::Open) + 2);
    QCOMPARE(rig.count(BridgeOperation::Open), 2);
    QCOMPARE(rig.connection.isOpen(), !closeFails);
}

void TestConnection::transactWithoutHandleSendsNothing()
{
    Rig rig;
    std::array<quint8, 16> reply;
    reply.fill(Untouched);

    QVERIFY(!rig.connection.transact(reply.data(), edidReadFrame(0xA0, 0), 16));
    QCOMPARE(rig.sink.messages, QStringList{"Invalid Device Handle"});
    QVERIFY(rig.sim.calls().isEmpty());
    QCOMPARE(replyBytes(reply), QByteArray(16, char(Untouched)));
}

void TestConnection::transactReadsTheReply()
{
    Rig rig;
    QVERIFY(rig.connection.openDevice());
    rig.sim.clearCalls();
    std::array<quint8, 16> reply;
    reply.fill(Untouched);

    QVERIFY(rig.connection.transact(reply.data(), edidReadFrame(0xA0, 0x70), ReadReplyLength));
    QCOMPARE(replyBytes(reply), memoryBytes(rig.sim.splitter().memory(0xA0), 0x70, 16));
    QVERIFY(rig.sink.messages.isEmpty());
    QCOMPARE(rig.sim.writtenFrames(), QList<QByteArray>{QByteArray::fromHex("1110A070")});
    // A check that nothing waits before the frame; the reply is there at
    // once: one queue check, the read, then one check that nothing is left
    // behind it.
    using Op = BridgeOperation;
    QCOMPARE(rig.operations(), (QList<Op>{Op::CheckRxQueue, Op::Write, Op::CheckRxQueue, Op::Read,
                                          Op::CheckRxQueue}));
    QCOMPARE(rig.first(BridgeOperation::Read)->length, 16u);
    QVERIFY(rig.naps.isEmpty());
}

void TestConnection::transactFailures_data()
{
    QTest::addColumn<int>("failing");
    QTest::addColumn<int>("failingCall");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("queueChecks");
    QTest::addColumn<int>("writes");
    QTest::addColumn<int>("reads");

    const int queue = int(BridgeOperation::CheckRxQueue);
    QTest::newRow("write") << int(BridgeOperation::Write) << 1 << "Error Sending Code" << 1 << 1
                           << 0;
    QTest::newRow("queue check before the frame")
        << queue << 1 << "Error Checking Queue" << 1 << 0 << 0;
    QTest::newRow("queue check for the reply")
        << queue << 2 << "Error Checking Queue" << 2 << 1 << 0;
    QTest::newRow("read") << int(BridgeOperation::Read) << 1 << "Error Reading Data" << 2 << 1 << 1;
}

void TestConnection::transactFailures()
{
    QFETCH(int, failing);
    QFETCH(int, failingCall);
    QFETCH(QString, message);
    QFETCH(int, queueChecks);
    QFETCH(int, writes);
    QFETCH(int, reads);

    Rig rig;
    QVERIFY(rig.connection.openDevice());
    rig.sim.failCall(BridgeOperation(failing), failingCall);
    rig.sim.clearCalls();
    std::array<quint8, 16> reply;
    reply.fill(Untouched);

    QVERIFY(!rig.connection.transact(reply.data(), edidReadFrame(0xA0, 0), ReadReplyLength));
    QCOMPARE(rig.sink.messages, QStringList{message});
    QCOMPARE(rig.count(BridgeOperation::CheckRxQueue), queueChecks);
    QCOMPARE(rig.count(BridgeOperation::Write), writes);
    QCOMPARE(rig.count(BridgeOperation::Read), reads);
    QCOMPARE(replyBytes(reply), QByteArray(16, char(Untouched)));
    QVERIFY(!rig.sink.lockHeldDuringMessage);
    QVERIFY(rig.lockIsFree());
    // The handle stays open for the next request.
    QVERIFY(rig.connection.isOpen());
}

void TestConnection::silentDeviceTimesOut_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("step");
    QTest::addColumn<int>("queueChecks");

    // The time is read once at the start and once before every check; the
    // wait ends at the first reading 3000 ms or more after the start. One
    // more check comes before the frame.
    QTest::newRow("100 ms steps") << 0u << 100u << 30;
    QTest::newRow("2999 ms: one check more") << 0u << 2999u << 2;
    QTest::newRow("3000 ms: no check") << 0u << 3000u << 1;
    QTest::newRow("counter wraps during the wait") << 0xFFFFFF00u << 100u << 30;
    QTest::newRow("counter wraps at once") << 0xFFFFFFFFu << 1000u << 3;
    QTest::newRow("past the sign bit") << 0x7FFFFFF0u << 100u << 30;
}

void TestConnection::silentDeviceTimesOut()
{
    QFETCH(quint32, start);
    QFETCH(quint32, step);
    QFETCH(int, queueChecks);

    Rig rig({SimulatedBridgeDevice{}}, StepClock(start, step));
    rig.sim.stopAnsweringAfter(0);
    QVERIFY(rig.connection.openDevice());
    std::array<quint8, 16> reply;
    reply.fill(Untouched);

    QVERIFY(rig.connection.transact(reply.data(), edidReadFrame(0xA0, 0), ReadReplyLength));
    QCOMPARE(rig.count(BridgeOperation::CheckRxQueue), queueChecks);
    QCOMPARE(rig.count(BridgeOperation::Read), 0);
    QVERIFY(rig.sink.messages.isEmpty());
    QCOMPARE(replyBytes(reply), QByteArray(16, char(Untouched)));
}

void TestConnection::shortReplyGoesUnnoticed()
{
    Rig rig;
    rig.sim.limitReplies(5);
    QVERIFY(rig.connection.openDevice());
    std::array<quint8, 16> reply;
    reply.fill(Untouched);

    QVERIFY(rig.connection.transact(reply.data(), edidReadFrame(0xA0, 0x10), ReadReplyLength));
    QCOMPARE(rig.first(BridgeOperation::Read)->length, 16u);
    QCOMPARE(replyBytes(reply).left(5), memoryBytes(rig.sim.splitter().memory(0xA0), 0x10, 5));
    QCOMPARE(replyBytes(reply).mid(5), QByteArray(11, char(Untouched)));
    QVERIFY(rig.sink.messages.isEmpty());
}

void TestConnection::exchangeOutcomes_data()
{
    QTest::addColumn<int>("longerBy");
    QTest::addColumn<int>("replyLimit");
    QTest::addColumn<int>("failing"); // a BridgeOperation, or -1
    QTest::addColumn<int>("failingCall");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<quint32>("received");
    QTest::addColumn<bool>("frameSent");
    QTest::addColumn<QStringList>("messages");

    const int none = -1;
    const int queue = int(BridgeOperation::CheckRxQueue);
    QTest::newRow("exact reply") << 0 << none << none << 0 << int(TransactResult::Replied) << 16u
                                 << true << QStringList();
    QTest::newRow("one byte behind the reply")
        << 1 << none << none << 0 << int(TransactResult::OutOfStep) << 16u << true << QStringList();
    QTest::newRow("reply repeated") << 16 << none << none << 0 << int(TransactResult::OutOfStep)
                                    << 16u << true << QStringList();
    QTest::newRow("short reply: the caller judges its length")
        << 0 << 5 << none << 0 << int(TransactResult::Replied) << 5u << true << QStringList();
    QTest::newRow("write fails") << 0 << none << int(BridgeOperation::Write) << 1
                                 << int(TransactResult::Failed) << 0u << false
                                 << QStringList{"Error Sending Code"};
    QTest::newRow("check before the frame fails")
        << 0 << none << queue << 1 << int(TransactResult::Failed) << 0u << false
        << QStringList{"Error Checking Queue"};
    QTest::newRow("check behind the reply fails")
        << 0 << none << queue << 3 << int(TransactResult::Failed) << 16u << true
        << QStringList{"Error Checking Queue"};
    QTest::newRow("silent") << 0 << 0 << none << 0 << int(TransactResult::TimedOut) << 0u << true
                            << QStringList();
}

void TestConnection::exchangeOutcomes()
{
    QFETCH(int, longerBy);
    QFETCH(int, replyLimit);
    QFETCH(int, failing);
    QFETCH(int, failingCall);
    QFETCH(int, outcome);
    QFETCH(quint32, received);
    QFETCH(bool, frameSent);
    QFETCH(QStringList, messages);

    Rig rig;
    rig.sim.lengthenReplies(longerBy);
    if (replyLimit >= 0)
        rig.sim.limitReplies(replyLimit);
    if (failing >= 0)
        rig.sim.failCall(BridgeOperation(failing), failingCall);
    QVERIFY(rig.connection.openDevice());
    std::array<quint8, 16> reply;
    reply.fill(Untouched);

    const TransactResult result =
        rig.connection.exchange(reply.data(), edidReadFrame(0xA0, 0x30), ReadReplyLength);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.received, received);
    QCOMPARE(result.frameSent, frameSent);
    QCOMPARE(rig.sink.messages, messages);
    // Whatever came is the requested chunk, never bytes of another.
    QCOMPARE(replyBytes(reply).left(int(received)),
             memoryBytes(rig.sim.splitter().memory(0xA0), 0x30, int(received)));
}

// The surplus stays queued until the sequence ends; the next open drops it.
void TestConnection::surplusIsFlushedByTheNextOpen()
{
    Rig rig;
    rig.sim.lengthenReplies(3);
    QVERIFY(rig.connection.openDevice());
    std::array<quint8, 16> reply{};
    QCOMPARE(rig.connection.exchange(reply.data(), edidReadFrame(0xA0, 0), 16).outcome,
             TransactResult::OutOfStep);

    rig.sim.lengthenReplies(0);
    rig.connection.closeDevice();
    QVERIFY(rig.connection.openDevice());
    QCOMPARE(rig.connection.exchange(reply.data(), edidReadFrame(0xA0, 0x10), 16).outcome,
             TransactResult::Replied);
    QCOMPARE(replyBytes(reply), memoryBytes(rig.sim.splitter().memory(0xA0), 0x10, 16));
}

// A reply repeated after the check behind it is caught before the next frame.
void TestConnection::bytesWaitingBeforeTheFrameKeepItUnsent()
{
    Rig rig;
    rig.sim.repeatReplyLate(1);
    QVERIFY(rig.connection.openDevice());
    std::array<quint8, 16> reply{};
    QCOMPARE(rig.connection.exchange(reply.data(), edidReadFrame(0xA0, 0), 16).outcome,
             TransactResult::Replied);
    reply.fill(Untouched);

    const TransactResult next =
        rig.connection.exchange(reply.data(), edidReadFrame(0xA0, 0x10), ReadReplyLength);
    QCOMPARE(next.outcome, TransactResult::OutOfStep);
    QCOMPARE(next.received, 0u);
    QVERIFY(!next.frameSent);
    QCOMPARE(rig.sim.writtenFrames().size(), 1);
    QCOMPARE(replyBytes(reply), QByteArray(16, char(Untouched)));
    QVERIFY(rig.sink.messages.isEmpty());
}

void TestConnection::partWrittenFrameCountsAsSent_data()
{
    QTest::addColumn<quint32>("moved");
    QTest::addColumn<bool>("frameSent");

    // As the USB backend reports a bulk transfer that timed out part-way.
    QTest::newRow("nothing moved") << 0u << false;
    QTest::newRow("part of the frame") << 5u << true;
    QTest::newRow("all of it, then a failure") << WriteFrameLength << true;
}

void TestConnection::partWrittenFrameCountsAsSent()
{
    QFETCH(quint32, moved);
    QFETCH(bool, frameSent);

    // Fails every write after moving `moved` bytes.
    struct CutWrite final : ForwardingBridge
    {
        CutWrite(BridgeLibrary &inner, quint32 moved) : ForwardingBridge(inner), moved(moved) {}
        BridgeStatus write(BridgeHandle, const quint8 *, quint32, quint32 *written) override
        {
            *written = moved;
            return SimulatedVarnex::FailureStatus;
        }
        quint32 moved;
    };
    SimulatedVarnex sim;
    CutWrite cut(sim, moved);
    RecordingMessageSink sink;
    UsbBridge bridge(cut, sink);
    LinkSettings settings;
    DeviceConnection connection(
        bridge, settings, StepClock().function(), [](quint32) {}, [](quint32) {});
    QVERIFY(connection.openDevice());
    const quint8 data[WriteDataLength] = {};
    std::array<quint8, 16> reply{};

    const TransactResult result =
        connection.exchange(reply.data(), writeFrame(0xA0, 0x08, data), WriteReplyLength);
    QCOMPARE(result.outcome, TransactResult::Failed);
    QCOMPARE(result.frameSent, frameSent);
    QCOMPARE(sink.messages, QStringList{"Error Sending Code"});
}

void TestConnection::openTellsOfDeniedAccess_data()
{
    QTest::addColumn<QList<QByteArray>>("serials");
    QTest::addColumn<bool>("denied");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("deniedAccess");

    QTest::newRow("access denied") << QList<QByteArray>{"2020"} << true << false << true;
    QTest::newRow("no device") << QList<QByteArray>{} << false << false << false;
    QTest::newRow("other devices only") << QList<QByteArray>{"1999"} << false << false << false;
    QTest::newRow("opened") << QList<QByteArray>{"2020"} << false << true << false;
}

void TestConnection::openTellsOfDeniedAccess()
{
    QFETCH(QList<QByteArray>, serials);
    QFETCH(bool, denied);
    QFETCH(bool, opened);
    QFETCH(bool, deniedAccess);

    Rig rig(devicesWithSerials(serials));
    if (denied)
        rig.sim.denyAccess();
    QCOMPARE(rig.connection.openDevice(), opened);
    QCOMPARE(rig.connection.openDeniedAccess(), deniedAccess);
    // The device link says only what it always says; the advice is the front ends'.
    QCOMPARE(rig.sink.messages.size(), denied ? 1 : 0);
    rig.connection.closeDevice();

    // Each open judges afresh.
    rig.sim.failCall(BridgeOperation::GetDeviceCount, 2);
    QVERIFY(!rig.connection.openDevice());
    QVERIFY(!rig.connection.openDeniedAccess());
}

void TestConnection::waitNapsAfterSpinning_data()
{
    QTest::addColumn<int>("hiddenChecks"); // checks that find the queued reply not yet there
    QTest::addColumn<int>("naps");
    QTest::addColumn<int>("outcome");

    // The rig's clock moves 1 ms a reading, so check k happens k ms into the
    // wait and every check from SpinMs on is followed by a nap.
    const int spin = int(DeviceConnection::SpinMs);
    QTest::newRow("reply at once") << 0 << 0 << int(TransactResult::Replied);
    QTest::newRow("reply at the end of the spin") << spin - 1 << 0 << int(TransactResult::Replied);
    QTest::newRow("reply after the spin") << spin + 49 << 50 << int(TransactResult::Replied);
    // The wait gives up after 2999 checks.
    QTest::newRow("silent device") << 100000 << 2999 - spin + 1 << int(TransactResult::TimedOut);
}

void TestConnection::waitNapsAfterSpinning()
{
    QFETCH(int, hiddenChecks);
    QFETCH(int, naps);
    QFETCH(int, outcome);

    Rig rig;
    QVERIFY(rig.connection.openDevice());
    int checks = 0;
    int napsAtReply = -1;
    bool written = false;
    rig.probe.onWrite = [&](const quint8 *, quint32) { written = true; };
    rig.probe.onCheckRxQueue = [&](quint32 *waiting) {
        if (!written)
            return;
        if (++checks <= hiddenChecks)
            *waiting = 0;
        else if (napsAtReply < 0)
            napsAtReply = int(rig.naps.size());
    };
    std::array<quint8, 16> reply{};

    QCOMPARE(int(rig.connection.exchange(reply.data(), edidReadFrame(0xA0, 0), 16).outcome),
             outcome);
    QCOMPARE(rig.naps, QList<quint32>(naps, DeviceConnection::NapMicroseconds));
    if (outcome == TransactResult::Replied) {
        // Read at the first check that sees it: no nap, no check in between.
        QCOMPARE(napsAtReply, naps);
        QCOMPARE(checks, hiddenChecks + 2);
        QCOMPARE(replyBytes(reply), memoryBytes(rig.sim.splitter().memory(0xA0), 0, 16));
    }
}

QTEST_APPLESS_MAIN(TestConnection)
#include "tst_connection.moc"
