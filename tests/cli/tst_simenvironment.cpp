#include "CommandFrame.h"
#include "sim/SimulatedEnvironment.h"

#include <QTest>

#include <array>

using namespace varnex::device;
using namespace varnex::device::sim;

Q_DECLARE_METATYPE(SimulatedFaults)

namespace {

SimulatedFaults faults(int latency, int silentAfter, int shortReplies,
                       QList<QPair<BridgeOperation, int>> failures = {}, QList<quint8> stuck = {})
{
    return {latency, silentAfter, shortReplies, failures, stuck};
}

QList<QByteArray> serials(const QList<SimulatedBridgeDevice> &devices)
{
    QList<QByteArray> result;
    for (const SimulatedBridgeDevice &device : devices)
        result.append(device.serial);
    return result;
}

quint32 waiting(SimulatedVarnex &sim, BridgeHandle handle)
{
    quint32 bytes = 0;
    quint32 status = 0;
    sim.checkRxQueue(handle, &bytes, &status);
    return bytes;
}

void send(SimulatedVarnex &sim, BridgeHandle handle, const CommandFrame &frame)
{
    quint32 written = 0;
    sim.write(handle, frame.data(), quint32(frame.size()), &written);
}

} // namespace

class TestSimEnvironment : public QObject
{
    Q_OBJECT

private slots:
    void parsesFaults_data();
    void parsesFaults();
    void rejectsMalformedFaults_data();
    void rejectsMalformedFaults();
    void parsesDevices_data();
    void parsesDevices();
    void rejectsMalformedDevices();
    void environmentBuildsTheSimulator();
    void repliesArriveAfterTheLatency();
    void stuckByteIgnoresWrites();
};

void TestSimEnvironment::parsesFaults_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<SimulatedFaults>("expected");

    QTest::newRow("empty") << QString() << faults(0, -1, -1);
    QTest::newRow("latency") << "latency-ms=20" << faults(20, -1, -1);
    QTest::newRow("silent from the start") << "silent-after=0" << faults(0, 0, -1);
    QTest::newRow("short replies") << "short-replies=4" << faults(0, -1, 4);
    QTest::newRow("failures repeat") << "fail=open@1,fail=write@3,fail=open@2"
                                     << faults(0, -1, -1,
                                               {{BridgeOperation::Open, 1},
                                                {BridgeOperation::Write, 3},
                                                {BridgeOperation::Open, 2}});
    QTest::newRow("every operation name")
        << "fail=getDeviceCount@1,fail=getDeviceString@1,fail=close@1,fail=read@1,"
           "fail=flushBuffers@1,fail=checkRxQueue@1"
        << faults(0, -1, -1,
                  {{BridgeOperation::GetDeviceCount, 1},
                   {BridgeOperation::GetDeviceString, 1},
                   {BridgeOperation::Close, 1},
                   {BridgeOperation::Read, 1},
                   {BridgeOperation::FlushBuffers, 1},
                   {BridgeOperation::CheckRxQueue, 1}});
    QTest::newRow("stuck decimal and hex")
        << "stuck=0,stuck=0x7f,stuck=0XFF,stuck=128" << faults(0, -1, -1, {}, {0, 0x7F, 0xFF, 128});
    QTest::newRow("all together")
        << "short-replies=2,stuck=9,latency-ms=5,fail=read@4,silent-after=30"
        << faults(5, 30, 2, {{BridgeOperation::Read, 4}}, {9});
    SimulatedFaults longAndUnplugged;
    longAndUnplugged.longReplies = 1;
    longAndUnplugged.unplugAfter = 3;
    QTest::newRow("long replies and unplug") << "long-replies=1,unplug-after=3" << longAndUnplugged;
    SimulatedFaults lateDuplicate;
    lateDuplicate.lateDuplicate = 16;
    QTest::newRow("late duplicate") << "late-duplicate=16" << lateDuplicate;
}

void TestSimEnvironment::parsesFaults()
{
    QFETCH(QString, value);
    QFETCH(SimulatedFaults, expected);

    QString error;
    const std::optional<SimulatedFaults> parsed = parseSimulatedFaults(value, &error);
    QVERIFY2(parsed, qPrintable(error));
    QVERIFY(*parsed == expected);
}

void TestSimEnvironment::rejectsMalformedFaults_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("item");

    QTest::newRow("unknown") << "latency=5"
                             << "latency=5";
    QTest::newRow("no value") << "latency-ms"
                              << "latency-ms";
    QTest::newRow("empty value") << "silent-after="
                                 << "silent-after=";
    QTest::newRow("negative") << "latency-ms=-1"
                              << "latency-ms=-1";
    QTest::newRow("sign") << "short-replies=+4"
                          << "short-replies=+4";
    QTest::newRow("blank") << "latency-ms= 5"
                           << "latency-ms= 5";
    QTest::newRow("too large") << "latency-ms=99999999999"
                               << "latency-ms=99999999999";
    QTest::newRow("fail without count") << "fail=open"
                                        << "fail=open";
    QTest::newRow("fail of call 0") << "fail=open@0"
                                    << "fail=open@0";
    QTest::newRow("fail of unknown operation") << "fail=Open@1"
                                               << "fail=Open@1";
    QTest::newRow("stuck past the memory") << "stuck=256"
                                           << "stuck=256";
    QTest::newRow("stuck hex past the memory") << "stuck=0x100"
                                               << "stuck=0x100";
    QTest::newRow("stuck bare prefix") << "stuck=0x"
                                       << "stuck=0x";
    QTest::newRow("stuck bad digit") << "stuck=1a"
                                     << "stuck=1a";
    QTest::newRow("repeated") << "silent-after=1,silent-after=2"
                              << "silent-after=2";
    QTest::newRow("second item bad") << "latency-ms=1,oops"
                                     << "oops";
    QTest::newRow("unplug without count") << "unplug-after"
                                          << "unplug-after";
    QTest::newRow("late duplicate of frame 0") << "late-duplicate=0"
                                               << "late-duplicate=0";
    QTest::newRow("trailing comma") << "latency-ms=1,"
                                    << "\"\"";
}

void TestSimEnvironment::rejectsMalformedFaults()
{
    QFETCH(QString, value);
    QFETCH(QString, item);

    QString error;
    QVERIFY(!parseSimulatedFaults(value, &error));
    QVERIFY2(error.startsWith(QLatin1String("VARNEX_SIM_FAULTS")), qPrintable(error));
    QVERIFY2(error.contains(item), qPrintable(error));
}

void TestSimEnvironment::parsesDevices_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QList<QByteArray>>("expected");

    QTest::newRow("unset: one Varnex") << QString() << QList<QByteArray>{"2020"};
    QTest::newRow("two Varnex") << "2020,2020" << QList<QByteArray>{"2020", "2020"};
    QTest::newRow("empty item") << "2020,,1234" << QList<QByteArray>{"2020", "", "1234"};
    QTest::newRow("only empty serials") << "," << QList<QByteArray>{"", ""};
}

void TestSimEnvironment::parsesDevices()
{
    QFETCH(QString, value);
    QFETCH(QList<QByteArray>, expected);

    QString error;
    const std::optional<QList<SimulatedBridgeDevice>> devices =
        parseSimulatedDevices(value, &error);
    QVERIFY2(devices, qPrintable(error));
    QCOMPARE(serials(*devices), expected);
}

void TestSimEnvironment::rejectsMalformedDevices()
{
    QString error;
    const QString longSerial(256, QLatin1Char('7'));
    QVERIFY(!parseSimulatedDevices(QStringLiteral("2020,") + longSerial, &error));
    QVERIFY(error.startsWith(QLatin1String("VARNEX_SIM_DEVICES")));
    QVERIFY(error.contains(longSerial));

    QStringList many(128, QStringLiteral("2020"));
    many.last() = QStringLiteral("9999");
    QVERIFY(!parseSimulatedDevices(many.join(QLatin1Char(',')), &error));
    QVERIFY2(error.contains(QLatin1String("\"9999\"")), qPrintable(error));
    QVERIFY(parseSimulatedDevices(many.mid(1).join(QLatin1Char(',')), &error));
}

void TestSimEnvironment::environmentBuildsTheSimulator()
{
    QProcessEnvironment environment;
    environment.insert(QLatin1String(SimDevicesVariable), QStringLiteral("1234,2020"));
    environment.insert(QLatin1String(SimFaultsVariable), QStringLiteral("fail=open@1"));
    QString error;
    const std::unique_ptr<SimulatedVarnex> sim = createSimulatedVarnex(environment, &error);
    QVERIFY2(sim, qPrintable(error));

    quint32 count = 0;
    QCOMPARE(sim->getDeviceCount(&count), BridgeSuccess);
    QCOMPARE(count, 2u);
    std::array<char, DeviceStringBufferSize> text{};
    QCOMPARE(sim->getDeviceString(1, text.data(), SerialNumberString), BridgeSuccess);
    QCOMPARE(QByteArray(text.data()), QByteArray("2020"));
    QCOMPARE(sim->getDeviceString(1, text.data(), LinkNameString), BridgeSuccess);
    QCOMPARE(QByteArray(text.data()), QByteArray("sim:1"));
    BridgeHandle handle = NoDeviceHandle;
    QVERIFY(sim->open(1, &handle) != BridgeSuccess);
    QCOMPARE(sim->open(1, &handle), BridgeSuccess);
    // The program's simulator keeps no call log that would grow while it runs.
    QVERIFY(sim->calls().isEmpty());

    environment.insert(QLatin1String(SimFaultsVariable), QStringLiteral("fail=open@x"));
    QVERIFY(!createSimulatedVarnex(environment, &error));
    QVERIFY(error.contains(QLatin1String("fail=open@x")));
}

void TestSimEnvironment::repliesArriveAfterTheLatency()
{
    SimulatedVarnex sim;
    // Long enough that no test machine reaches the check after the write that late.
    sim.delayReplies(60000);
    BridgeHandle handle = NoDeviceHandle;
    QCOMPARE(sim.open(0, &handle), BridgeSuccess);
    send(sim, handle, edidReadFrame(0xA0, 0));
    QCOMPARE(waiting(sim, handle), 0u);
    quint8 reply[16];
    quint32 returned = 99;
    QCOMPARE(sim.read(handle, reply, 16, &returned), BridgeSuccess);
    QCOMPARE(returned, 0u);

    SimulatedVarnex quick;
    quick.delayReplies(30);
    QCOMPARE(quick.open(0, &handle), BridgeSuccess);
    send(quick, handle, edidReadFrame(0xA0, 0));
    send(quick, handle, modeFrame(ModeSelector::Query));
    QTRY_COMPARE_WITH_TIMEOUT(waiting(quick, handle), 17u, 2000);
    // A flush drops replies still on their way too.
    send(quick, handle, modeFrame(ModeSelector::Query));
    QCOMPARE(quick.flushBuffers(handle, 0, 1), BridgeSuccess);
    QTest::qWait(60);
    QCOMPARE(waiting(quick, handle), 0u);
}

void TestSimEnvironment::stuckByteIgnoresWrites()
{
    SimulatedVarnex sim;
    sim.ignoreWritesAt(0x11);
    const EdidMemory before = sim.splitter().memory(0xA0);
    BridgeHandle handle = NoDeviceHandle;
    QCOMPARE(sim.open(0, &handle), BridgeSuccess);
    const std::array<quint8, WriteDataLength> data = {0xA1, 0xA2, 0xA3, 0xA4,
                                                      0xA5, 0xA6, 0xA7, 0xA8};
    send(sim, handle, writeFrame(0xA0, 0x10, data));
    QCOMPARE(waiting(sim, handle), WriteReplyLength);

    const EdidMemory after = sim.splitter().memory(0xA0);
    QCOMPARE(after[0x10], quint8(0xA1));
    QCOMPARE(after[0x11], before[0x11]);
    QCOMPARE(after[0x12], quint8(0xA3));
}

QTEST_GUILESS_MAIN(TestSimEnvironment)
#include "tst_simenvironment.moc"
