#include "RecordingMessageSink.h"
#include "UsbBridge.h"
#include "UsbBridgeLock.h"

#include <QTest>

#include <cstring>

using namespace varnex::device;

namespace {

bool lockIsFree()
{
    QMutex &lock = UsbBridgeLock::mutex();
    if (!lock.tryLock())
        return false;
    lock.unlock();
    return true;
}

// Answers every call with one status and records what it was given, and
// whether the bridge lock was held while it ran.
class ScriptedLibrary final : public BridgeLibrary
{
public:
    BridgeStatus status = BridgeSuccess;
    QStringList calls;
    int callsWithoutLock = 0;

    BridgeStatus getDeviceCount(quint32 *count) override
    {
        *count = 3;
        return record(QStringLiteral("count"));
    }
    BridgeStatus getDeviceString(quint32 index, char *buffer, quint32 option) override
    {
        std::strcpy(buffer, "2020");
        return record(QStringLiteral("string %1 %2").arg(index).arg(option));
    }
    BridgeStatus open(quint32 index, BridgeHandle *handle) override
    {
        *handle = 0x77;
        return record(QStringLiteral("open %1").arg(index));
    }
    BridgeStatus close(BridgeHandle handle) override
    {
        return record(QStringLiteral("close %1").arg(handle));
    }
    BridgeStatus read(BridgeHandle handle, quint8 *buffer, quint32 toRead,
                      quint32 *returned) override
    {
        buffer[0] = 0x5A;
        *returned = 1;
        return record(QStringLiteral("read %1 %2").arg(handle).arg(toRead));
    }
    BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                       quint32 *written) override
    {
        *written = toWrite;
        return record(QStringLiteral("write %1 %2 %3").arg(handle).arg(toWrite).arg(buffer[0]));
    }
    BridgeStatus flushBuffers(BridgeHandle handle, quint8 flushTransmit,
                              quint8 flushReceive) override
    {
        return record(
            QStringLiteral("flush %1 %2 %3").arg(handle).arg(flushTransmit).arg(flushReceive));
    }
    BridgeStatus checkRxQueue(BridgeHandle handle, quint32 *bytesWaiting,
                              quint32 *queueStatus) override
    {
        *bytesWaiting = 9;
        *queueStatus = 4;
        return record(QStringLiteral("queue %1").arg(handle));
    }

private:
    BridgeStatus record(const QString &call)
    {
        calls.append(call);
        if (lockIsFree())
            ++callsWithoutLock;
        return status;
    }
};

using Operation = std::function<BridgeStatus(UsbBridge &)>;

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestBridge : public QObject
{
    Q_OBJECT

private slots:
    void eachOperationHoldsTheLockForItsCall_data();
    void eachOperationHoldsTheLockForItsCall();
    void fetchSerialStringSucceedsSilently();
    void fetchSerialStringFailureShowsOneMessage();
};

void TestBridge::eachOperationHoldsTheLockForItsCall_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("call");
    QTest::addColumn<BridgeStatus>("status");

    const quint8 frame[] = {0x11, 0x10, 0xA0, 0x00};
    const struct
    {
        const char *name;
        Operation operation;
        const char *call;
    } operations[] = {
        {"count",
         [](UsbBridge &b) {
             quint32 count = 0;
             return b.bridgeGetDeviceCount(&count);
         },
         "count"},
        {"string",
         [](UsbBridge &b) {
             char buffer[DeviceStringBufferSize];
             return b.bridgeGetDeviceString(4, buffer, LinkNameString);
         },
         "string 4 2"},
        {"open",
         [](UsbBridge &b) {
             BridgeHandle handle = NoDeviceHandle;
             return b.bridgeOpen(2, &handle);
         },
         "open 2"},
        {"close", [](UsbBridge &b) { return b.bridgeClose(0x33); }, "close 51"},
        {"read",
         [](UsbBridge &b) {
             quint8 reply[16];
             quint32 returned = 0;
             return b.bridgeRead(0x33, reply, 16, &returned);
         },
         "read 51 16"},
        {"write",
         [frame](UsbBridge &b) {
             quint32 written = 0;
             return b.bridgeWrite(0x33, frame, 4, &written);
         },
         "write 51 4 17"},
        {"flush", [](UsbBridge &b) { return b.bridgeFlushBuffers(0x33, 1, 0); }, "flush 51 1 0"},
        {"queue",
         [](UsbBridge &b) {
             quint32 waiting = 0;
             quint32 status = 0;
             return b.bridgeCheckRxQueue(0x33, &waiting, &status);
         },
         "queue 51"},
    };
    // Failure codes are handed back unchanged, whatever their value.
    for (const BridgeStatus status : {BridgeSuccess, BridgeStatus(0x12), BridgeStatus(-7)}) {
        for (const auto &op : operations) {
            QTest::addRow("%s, status %d", op.name, status)
                << op.operation << QString::fromLatin1(op.call) << status;
        }
    }
}

void TestBridge::eachOperationHoldsTheLockForItsCall()
{
    QFETCH(Operation, operation);
    QFETCH(QString, call);
    QFETCH(BridgeStatus, status);

    ScriptedLibrary library;
    library.status = status;
    RecordingMessageSink sink;
    UsbBridge bridge(library, sink);

    QCOMPARE(operation(bridge), status);
    QCOMPARE(library.calls, QStringList{call});
    QCOMPARE(library.callsWithoutLock, 0);
    QVERIFY(lockIsFree());
    QVERIFY(sink.messages.isEmpty());
}

void TestBridge::fetchSerialStringSucceedsSilently()
{
    ScriptedLibrary library;
    RecordingMessageSink sink;
    UsbBridge bridge(library, sink);
    char buffer[DeviceStringBufferSize] = {};

    QVERIFY(bridge.fetchSerialString(5, buffer));
    QCOMPARE(QByteArray(buffer), QByteArray("2020"));
    QCOMPARE(library.calls, QStringList{QStringLiteral("string 5 0")});
    QVERIFY(sink.messages.isEmpty());
}

void TestBridge::fetchSerialStringFailureShowsOneMessage()
{
    ScriptedLibrary library;
    library.status = 3;
    RecordingMessageSink sink;
    UsbBridge bridge(library, sink);
    char buffer[DeviceStringBufferSize] = {};

    QVERIFY(!bridge.fetchSerialString(1, buffer));
    QCOMPARE(sink.messages, QStringList{QStringLiteral("Error retrieving serial string!")});
    QVERIFY(!sink.lockHeldDuringMessage);
    QVERIFY(lockIsFree());
}

QTEST_APPLESS_MAIN(TestBridge)
#include "tst_bridge.moc"
