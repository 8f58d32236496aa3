#include "DeviceMessages.h"
#include "DeviceSession.h"
#include "DeviceSettings.h"
#include "EdidTestData.h"
#include "SimulatedRig.h"

#include <QTest>

using namespace varnex::device;
using varnex::device::sim::BridgeCall;
using varnex::device::sim::BridgeOperation;
using varnex::device::sim::SimulatedBridgeDevice;
using namespace varnex::edid;
using namespace varnex::splitter;

namespace {

QList<SimulatedBridgeDevice> devicesWith(const QList<QByteArray> &serials)
{
    QList<SimulatedBridgeDevice> devices;
    for (const QByteArray &serial : serials) {
        SimulatedBridgeDevice device;
        device.serial = serial;
        devices.append(device);
    }
    return devices;
}

} // namespace

class TestDeviceSession : public QObject
{
    Q_OBJECT

private slots:
    void actionsOpenAndCloseOnce();
    void failuresAreReported_data();
    void failuresAreReported();
    void chosenDeviceIsOpened();
    void listsEveryDevice();
};

void TestDeviceSession::actionsOpenAndCloseOnce()
{
    DeviceSettings settings;
    SimulatedRig rig(settings);
    DeviceSession session(rig.bridge, rig.connection, settings);
    QList<QPair<int, int>> progress;
    const auto record = [&progress](int value, int maximum) { progress.append({value, maximum}); };

    const SessionModeResult selected = session.selectMode(EdidMode::Custom);
    QCOMPARE(selected.status, SessionStatus::Done);
    QCOMPARE(selected.mode, EdidMode::Custom);
    const EdidImage image = EdidTestData::randomImage(7);
    QCOMPARE(session.writeTable(image, record).status, SessionStatus::Done);
    QCOMPARE(progress.constLast(), qMakePair(0, 0));
    QCOMPARE(progress.size(), WriteFrameCount + 1);
    progress.clear();
    const SessionReadResult read = session.readTable(record);
    QCOMPARE(read.status, SessionStatus::Done);
    QVERIFY(read.image == image);
    QVERIFY(read.message.isEmpty());
    QCOMPARE(progress.constLast(), qMakePair(0, 0));
    QCOMPARE(session.queryMode().mode, EdidMode::Custom);

    // Four actions, each between one open and one close.
    QCOMPARE(rig.count(BridgeOperation::Open), 4);
    QCOMPARE(rig.count(BridgeOperation::Close), 4);
    QVERIFY(!rig.sim.isOpen(0));
    QVERIFY(rig.sink.messages.isEmpty());
}

void TestDeviceSession::failuresAreReported_data()
{
    QTest::addColumn<QList<QByteArray>>("serials");
    QTest::addColumn<int>("silentAfter");
    QTest::addColumn<SessionStatus>("status");
    QTest::addColumn<QString>("readMessage");
    QTest::addColumn<QString>("modeMessage");
    QTest::addColumn<bool>("denied"); // the bridge refuses to open for lack of permission

    QTest::newRow("no Varnex") << QList<QByteArray>{"1234"} << -1 << SessionStatus::HardwareNotFound
                               << "Hardware not found"
                               << "Hardware not found" << false;
    QTest::newRow("access denied") << QList<QByteArray>{"2020"} << -1
                                   << SessionStatus::HardwareNotFound << "Hardware not found"
                                   << "Hardware not found" << true;
    QTest::newRow("silent after 3 chunks")
        << QList<QByteArray>{"2020"} << 3 << SessionStatus::Incomplete
        << "The EDID could not be read completely: the bytes from offset 0x30 did not arrive."
        << "The Varnex did not answer the mode request." << false;
}

void TestDeviceSession::failuresAreReported()
{
    QFETCH(QList<QByteArray>, serials);
    QFETCH(int, silentAfter);
    QFETCH(SessionStatus, status);
    QFETCH(QString, readMessage);
    QFETCH(QString, modeMessage);
    QFETCH(bool, denied);

    DeviceSettings settings;
    SimulatedRig rig(settings, devicesWith(serials));
    rig.sim.stopAnsweringAfter(silentAfter);
    if (denied)
        rig.sim.denyAccess();
    DeviceSession session(rig.bridge, rig.connection, settings);

    const SessionReadResult read = session.readTable();
    QCOMPARE(read.status, status);
    QCOMPARE(read.message, readMessage);
    const SessionModeResult mode = session.queryMode();
    QCOMPARE(mode.status, status);
    QCOMPARE(mode.message, modeMessage);
    // Only a refused open names the permission fix; other failures keep their own advice.
    const QString accessAdvice = QString::fromUtf8(varnex::device::messages::AccessDenied);
    QCOMPARE(read.advice == accessAdvice, denied);
    QCOMPARE(mode.advice == accessAdvice, denied);
    QVERIFY(!rig.connection.isOpen());
}

void TestDeviceSession::chosenDeviceIsOpened()
{
    DeviceSettings settings;
    SimulatedRig rig(settings, devicesWith({"2020", "2020"}));
    DeviceSession session(rig.bridge, rig.connection, settings);

    session.chooseDevice("sim:1");
    QVERIFY(session.isPresent());
    QCOMPARE(rig.sim.calls().constLast().operation, BridgeOperation::Close);
    const auto opened =
        std::find_if(rig.sim.calls().begin(), rig.sim.calls().end(), [](const BridgeCall &call) {
            return call.operation == BridgeOperation::Open;
        });
    QCOMPARE(opened->index, 1u);

    session.chooseDevice("sim:7");
    QVERIFY(!session.isPresent());
    QVERIFY(rig.sink.messages.isEmpty());
}

void TestDeviceSession::listsEveryDevice()
{
    DeviceSettings settings;
    QList<SimulatedBridgeDevice> devices = devicesWith({"2020", "", "2020", "20200"});
    devices[2].serialUnavailable = true;
    devices[3].linkNameUnavailable = true;
    SimulatedRig rig(settings, devices);
    DeviceSession session(rig.bridge, rig.connection, settings);

    const std::optional<QList<BridgeDeviceInfo>> listed = session.listDevices();
    QVERIFY(listed);
    QCOMPARE(listed->size(), 4);
    QCOMPARE(listed->at(0).serial, std::optional<QByteArray>("2020"));
    QCOMPARE(listed->at(0).linkName, std::optional<QByteArray>("sim:0"));
    QVERIFY(listed->at(0).isVarnex);
    QCOMPARE(listed->at(1).serial, std::optional<QByteArray>(""));
    QVERIFY(!listed->at(1).isVarnex);
    QVERIFY(!listed->at(2).serial && !listed->at(2).isVarnex);
    QCOMPARE(listed->at(3).index, 3u);
    QVERIFY(!listed->at(3).linkName && !listed->at(3).isVarnex);
    // Listing opens nothing and shows nothing.
    QCOMPARE(rig.count(BridgeOperation::Open), 0);
    QVERIFY(rig.sink.messages.isEmpty());

    rig.sim.failCall(BridgeOperation::GetDeviceCount, 2);
    QVERIFY(!session.listDevices());
}

QTEST_GUILESS_MAIN(TestDeviceSession)
#include "tst_devicesession.moc"
