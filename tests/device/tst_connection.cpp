#include "DeviceConnection.h"
#include "DeviceSettings.h"
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

// One connection on a simulated bridge, with recorded messages and a clock
// that steps 1 ms a reading unless told otherwise.
struct Rig
{
    explicit Rig(QList<SimulatedBridgeDevice> devices = {SimulatedBridgeDevice{}},
                 StepClock stepClock = StepClock())
        : sim(std::move(devices)), clock(stepClock),
          connection(bridge, settings, clock.function(), [](quint32) {})
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

    SimulatedVarnex sim;
    RecordingMessageSink sink;
    DeviceSettings settings;
    StepClock clock;
    UsbBridge bridge{sim, sink};
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
    void transactWithoutHandleSendsNothing();
    void transactReadsTheReply();
    void transactFailures_data();
    void transactFailures();
    void silentDeviceTimesOut_data();
    void silentDeviceTimesOut();
    void shortReplyGoesUnnoticed();
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
    // The reply is there at once: one queue check, then the read.
    QCOMPARE(rig.count(BridgeOperation::CheckRxQueue), 1);
    QCOMPARE(rig.first(BridgeOperation::Read)->length, 16u);
}

void TestConnection::transactFailures_data()
{
    QTest::addColumn<int>("failing");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("queueChecks");
    QTest::addColumn<int>("reads");

    QTest::newRow("write") << int(BridgeOperation::Write) << "Error Sending Code" << 0 << 0;
    QTest::newRow("queue check") << int(BridgeOperation::CheckRxQueue) << "Error Checking Queue"
                                 << 1 << 0;
    QTest::newRow("read") << int(BridgeOperation::Read) << "Error Reading Data" << 1 << 1;
}

void TestConnection::transactFailures()
{
    QFETCH(int, failing);
    QFETCH(QString, message);
    QFETCH(int, queueChecks);
    QFETCH(int, reads);

    Rig rig;
    QVERIFY(rig.connection.openDevice());
    rig.sim.failCall(BridgeOperation(failing), 1);
    rig.sim.clearCalls();
    std::array<quint8, 16> reply;
    reply.fill(Untouched);

    QVERIFY(!rig.connection.transact(reply.data(), edidReadFrame(0xA0, 0), ReadReplyLength));
    QCOMPARE(rig.sink.messages, QStringList{message});
    QCOMPARE(rig.count(BridgeOperation::CheckRxQueue), queueChecks);
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
    // wait ends at the first reading 3000 ms or more after the start.
    QTest::newRow("100 ms steps") << 0u << 100u << 29;
    QTest::newRow("2999 ms: one check more") << 0u << 2999u << 1;
    QTest::newRow("3000 ms: no check") << 0u << 3000u << 0;
    QTest::newRow("counter wraps during the wait") << 0xFFFFFF00u << 100u << 29;
    QTest::newRow("counter wraps at once") << 0xFFFFFFFFu << 1000u << 2;
    QTest::newRow("past the sign bit") << 0x7FFFFFF0u << 100u << 29;
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

QTEST_APPLESS_MAIN(TestConnection)
#include "tst_connection.moc"
