#include "FakeUsbApi.h"
#include "UsbBridgeStatus.h"
#include "UsbIds.h"
#include "UsbXpressBridge.h"

#include <QElapsedTimer>
#include <QSet>
#include <QtTest>

using namespace varnex::device;
using namespace varnex::device::usb;

namespace {

constexpr quint8 SerialIndex = 3;
constexpr quint8 ProductIndex = 2;
constexpr quint8 BulkType = 0x02;
constexpr quint8 InterruptType = 0x03;

UsbInterfaceInfo vendorInterface(std::vector<UsbEndpointInfo> endpoints, quint8 number = 0,
                                 quint8 interfaceClass = 0xFF)
{
    return UsbInterfaceInfo{number, 0, interfaceClass, std::move(endpoints)};
}

FakeDevice bridgeDevice(const QByteArray &serial, quint8 in = 0x81, quint8 out = 0x01,
                        UsbId id = DefaultBridgeUsbId)
{
    FakeDevice device;
    device.info.vendorId = id.vendorId;
    device.info.productId = id.productId;
    device.info.serialNumberIndex = SerialIndex;
    device.info.productIndex = ProductIndex;
    device.info.busNumber = 3;
    device.info.portNumbers = {1, 4};
    device.info.interfaces = {vendorInterface({{in, BulkType, 64}, {out, BulkType, 64}})};
    device.strings = {{SerialIndex, serial}, {ProductIndex, "USBXpress Device"}};
    return device;
}

QByteArray bytes(int count, char first = 0)
{
    QByteArray data;
    for (int i = 0; i < count; ++i)
        data.append(char(first + i));
    return data;
}

} // namespace

class UsbXpressTest : public QObject
{
    Q_OBJECT

private:
    FakeUsbState m_usb;
    std::unique_ptr<UsbXpressBridge> m_bridge;

    void makeBridge(QList<UsbId> ids = {DefaultBridgeUsbId})
    {
        m_bridge = std::make_unique<UsbXpressBridge>(std::make_unique<FakeUsbApi>(&m_usb), ids,
                                                     [this] { return m_usb.now; });
    }
    // Counts the devices and opens the first; fails the test when that does not work.
    BridgeHandle openFirst()
    {
        quint32 count = 0;
        if (m_bridge->getDeviceCount(&count) != BridgeSuccess || count == 0)
            return NoDeviceHandle;
        BridgeHandle handle = NoDeviceHandle;
        if (m_bridge->open(0, &handle) != BridgeSuccess)
            return NoDeviceHandle;
        m_usb.log.clear();
        return handle;
    }
    QString deviceString(quint32 index, quint32 option, BridgeStatus *status)
    {
        char buffer[DeviceStringBufferSize];
        std::fill(std::begin(buffer), std::end(buffer), 'x');
        *status = m_bridge->getDeviceString(index, buffer, option);
        return QString::fromLatin1(buffer, qsizetype(qstrnlen(buffer, sizeof(buffer))));
    }

private slots:
    void init()
    {
        m_bridge.reset();
        m_usb = FakeUsbState{};
    }
    void cleanup() { m_bridge.reset(); }

    void parsesUsbIds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<UsbId>>("ids");
        QTest::addColumn<QStringList>("rejected");
        const UsbId other{0x1234, 0x5678};
        QTest::newRow("unset") << QString() << QList<UsbId>{DefaultBridgeUsbId} << QStringList{};
        QTest::newRow("blank") << "  " << QList<UsbId>{DefaultBridgeUsbId} << QStringList{};
        QTest::newRow("one") << "1234:5678" << QList<UsbId>{other} << QStringList{};
        QTest::newRow("two, mixed case")
            << "10C4:ea61,1234:5678" << QList<UsbId>{DefaultBridgeUsbId, other} << QStringList{};
        QTest::newRow("blanks and empty entries")
            << " 1234:5678 ,, 10c4:EA61 ," << QList<UsbId>{other, DefaultBridgeUsbId}
            << QStringList{};
        QTest::newRow("short hex") << "1:2" << QList<UsbId>{{0x0001, 0x0002}} << QStringList{};
        QTest::newRow("repeat kept once")
            << "1234:5678,1234:5678" << QList<UsbId>{other} << QStringList{};
        QTest::newRow("bad entry ignored")
            << "1234:5678,10c4:ea6l" << QList<UsbId>{other} << QStringList{"10c4:ea6l"};
        QTest::newRow("only bad: default")
            << "12345:1,0x10c4:0xea61,:1,1:,1-2,10c4ea61" << QList<UsbId>{DefaultBridgeUsbId}
            << QStringList{"12345:1", "0x10c4:0xea61", ":1", "1:", "1-2", "10c4ea61"};
        QTest::newRow("extra field")
            << "1:2:3" << QList<UsbId>{DefaultBridgeUsbId} << QStringList{"1:2:3"};
    }
    void parsesUsbIds()
    {
        QFETCH(QString, text);
        QFETCH(QList<UsbId>, ids);
        QFETCH(QStringList, rejected);
        const UsbIdList parsed = parseUsbIds(text);
        QCOMPARE(parsed.ids, ids);
        QCOMPARE(parsed.rejected, rejected);
    }

    void mapsEveryUsbErrorToADistinctFailure()
    {
        const QList<int> codes{UsbCode::Io,
                               UsbCode::InvalidParam,
                               UsbCode::Access,
                               UsbCode::NoDevice,
                               UsbCode::NotFound,
                               UsbCode::Busy,
                               UsbCode::Timeout,
                               UsbCode::Overflow,
                               UsbCode::Pipe,
                               UsbCode::Interrupted,
                               UsbCode::NoMem,
                               UsbCode::NotSupported,
                               UsbCode::Other,
                               -1000,
                               INT_MIN};
        QSet<BridgeStatus> seen;
        for (int code : codes) {
            const BridgeStatus status = bridgeStatusFromUsb(code);
            QVERIFY2(status != BridgeSuccess, qPrintable(QString::number(code)));
            QVERIFY(!usbBridgeStatusText(status).isEmpty());
            seen.insert(status);
        }
        // The last two are out of libusb's range and share the catch-all status.
        QCOMPARE(seen.size(), codes.size() - 1);
        QCOMPARE(bridgeStatusFromUsb(UsbCode::Success), BridgeSuccess);
        // The one failure the layers above tell apart, to advise the user.
        QCOMPARE(bridgeStatusFromUsb(UsbCode::Access), BridgeAccessDenied);
    }

    void countsAcceptedDevicesInListOrder()
    {
        const UsbId second{0x1234, 0x5678};
        m_usb.devices = {bridgeDevice("other-ids", 0x81, 0x01, {0x046d, 0xc52b}),
                         bridgeDevice("B", 0x82, 0x02, second), bridgeDevice("A")};
        makeBridge({DefaultBridgeUsbId, second});
        quint32 count = 99;
        QCOMPARE(m_bridge->getDeviceCount(&count), BridgeSuccess);
        QCOMPARE(count, 2u);
        BridgeStatus status = -1;
        QCOMPARE(deviceString(0, SerialNumberString, &status), QStringLiteral("B"));
        QCOMPARE(status, BridgeSuccess);
        QCOMPARE(deviceString(1, SerialNumberString, &status), QStringLiteral("A"));
        QCOMPARE(status, BridgeSuccess);
        QCOMPARE(deviceString(2, SerialNumberString, &status), QString());
        QVERIFY(status != BridgeSuccess);
        BridgeHandle handle = 0;
        QVERIFY(m_bridge->open(2, &handle) != BridgeSuccess);
        QCOMPARE(handle, NoDeviceHandle);
        // Strings are read through a handle that is closed again.
        QCOMPARE(m_usb.openHandles, 0);
    }

    void missingUsbSubsystemCountsNoDevice_data()
    {
        QTest::addColumn<int>("initStatus");
        QTest::newRow("no usbfs") << UsbCode::Other;
        QTest::newRow("permission denied") << UsbCode::Access;
        QTest::newRow("out of memory") << UsbCode::NoMem;
    }
    void missingUsbSubsystemCountsNoDevice()
    {
        QFETCH(int, initStatus);
        m_usb.initStatus = initStatus;
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        quint32 count = 99;
        QCOMPARE(m_bridge->getDeviceCount(&count), BridgeSuccess);
        QCOMPARE(count, 0u);
        BridgeHandle handle = 0;
        QVERIFY(m_bridge->open(0, &handle) != BridgeSuccess);
        QCOMPARE(handle, NoDeviceHandle);
        QVERIFY(!m_usb.log.contains("enumerate"));
    }

    void listingFailureIsAFailingStatus()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        quint32 count = 0;
        QCOMPARE(m_bridge->getDeviceCount(&count), BridgeSuccess);
        QCOMPARE(count, 1u);
        m_usb.enumerateResult = UsbCode::NoMem;
        count = 99;
        QVERIFY(m_bridge->getDeviceCount(&count) != BridgeSuccess);
        QCOMPARE(count, 0u);
        // The stale snapshot is gone with the failed listing.
        BridgeHandle handle = 0;
        QVERIFY(m_bridge->open(0, &handle) != BridgeSuccess);
    }

    void findsEndpointsFromDescriptors_data()
    {
        QTest::addColumn<std::vector<UsbInterfaceInfo>>("interfaces");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<quint8>("in");
        QTest::addColumn<quint8>("out");
        using E = UsbEndpointInfo;
        QTest::newRow("first generation")
            << std::vector{vendorInterface({E{0x81, BulkType, 64}, E{0x01, BulkType, 64}})} << true
            << quint8(0x81) << quint8(0x01);
        QTest::newRow("second generation")
            << std::vector{vendorInterface({E{0x82, BulkType, 64}, E{0x02, BulkType, 64}})} << true
            << quint8(0x82) << quint8(0x02);
        QTest::newRow("OUT listed first, interrupt endpoint skipped")
            << std::vector{vendorInterface(
                   {E{0x83, InterruptType, 8}, E{0x02, BulkType, 64}, E{0x82, BulkType, 64}})}
            << true << quint8(0x82) << quint8(0x02);
        QTest::newRow("no interfaces")
            << std::vector<UsbInterfaceInfo>{} << false << quint8(0) << quint8(0);
        QTest::newRow("not vendor class")
            << std::vector{vendorInterface({E{0x81, BulkType, 64}, E{0x01, BulkType, 64}}, 0, 0x0A)}
            << false << quint8(0) << quint8(0);
        QTest::newRow("only interface 1")
            << std::vector{vendorInterface({E{0x81, BulkType, 64}, E{0x01, BulkType, 64}}, 1)}
            << false << quint8(0) << quint8(0);
        QTest::newRow("no OUT endpoint") << std::vector{vendorInterface({E{0x81, BulkType, 64}})}
                                         << false << quint8(0) << quint8(0);
        QTest::newRow("OUT declares no packet size")
            << std::vector{vendorInterface({E{0x81, BulkType, 64}, E{0x01, BulkType, 0}})} << false
            << quint8(0) << quint8(0);
        QTest::newRow("interrupt pair only")
            << std::vector{vendorInterface(
                   {E{0x81, InterruptType, 64}, E{0x01, InterruptType, 64}})}
            << false << quint8(0) << quint8(0);
    }
    void findsEndpointsFromDescriptors()
    {
        QFETCH(std::vector<UsbInterfaceInfo>, interfaces);
        QFETCH(bool, usable);
        QFETCH(quint8, in);
        QFETCH(quint8, out);
        FakeDevice device = bridgeDevice("2020");
        device.info.interfaces = interfaces;
        m_usb.devices = {device};
        makeBridge();
        quint32 count = 0;
        QCOMPARE(m_bridge->getDeviceCount(&count), BridgeSuccess);
        BridgeHandle handle = 0;
        const BridgeStatus status = m_bridge->open(0, &handle);
        if (!usable) {
            QCOMPARE(status, BridgeStatus(DeviceNotUsableStatus));
            QCOMPARE(handle, NoDeviceHandle);
            QVERIFY(!m_usb.log.contains("open 0"));
            return;
        }
        QCOMPARE(status, BridgeSuccess);
        const QString inName = QStringLiteral("clearHalt %1").arg(in, 2, 16, QLatin1Char('0'));
        const QString outName = QStringLiteral("clearHalt %1").arg(out, 2, 16, QLatin1Char('0'));
        QVERIFY(m_usb.log.contains(inName));
        QVERIFY(m_usb.log.contains(outName));
        quint32 written = 0;
        const quint8 frame[] = {0x11, 0x10, 0xA0, 0x00};
        QCOMPARE(m_bridge->write(handle, frame, 4, &written), BridgeSuccess);
        QCOMPARE(written, 4u);
        QCOMPARE(m_usb.bulkOut, QByteArray("\x11\x10\xA0\x00", 4));
        QCOMPARE(m_usb.log.last(), QStringLiteral("bulkOut %1").arg(out, 2, 16, QLatin1Char('0')));
    }

    void openClaimsClearsHaltsThenEnables()
    {
        m_usb.devices = {bridgeDevice("2020", 0x82, 0x02)};
        makeBridge();
        quint32 count = 0;
        QCOMPARE(m_bridge->getDeviceCount(&count), BridgeSuccess);
        m_usb.log.clear();
        BridgeHandle handle = NoDeviceHandle;
        QCOMPARE(m_bridge->open(0, &handle), BridgeSuccess);
        QVERIFY(handle != NoDeviceHandle);
        QCOMPARE(m_usb.log, QStringList({"open 0", "driverActive 0", "claim 0", "clearHalt 82",
                                         "clearHalt 02", "control 40 02 0002 0000"}));
    }

    void closeDisablesReleasesAndForgetsTheHandle()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        QVERIFY(handle != NoDeviceHandle);
        QCOMPARE(m_bridge->close(handle), BridgeSuccess);
        QCOMPARE(m_usb.log, QStringList({"control 40 02 0004 0000", "release 0", "close"}));
        QCOMPARE(m_usb.openHandles, 0);
        QCOMPARE(m_usb.claimedInterfaces, 0);
        QCOMPARE(m_bridge->close(handle), BridgeStatus(InvalidHandleStatus));
        BridgeHandle again = NoDeviceHandle;
        QCOMPARE(m_bridge->open(0, &again), BridgeSuccess);
        QVERIFY(again != handle);
    }

    void destructionClosesOpenDevices()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        QVERIFY(openFirst() != NoDeviceHandle);
        m_bridge.reset();
        QCOMPARE(m_usb.log, QStringList({"control 40 02 0004 0000", "release 0", "close"}));
        QCOMPARE(m_usb.openHandles, 0);
    }

    void openFailureLeavesNothingOpen_data()
    {
        QTest::addColumn<QString>("failingCall");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("driverBound");
        QTest::addColumn<bool>("opens");
        QTest::newRow("open: permission denied") << "open" << UsbCode::Access << false << false;
        QTest::newRow("open: gone") << "open" << UsbCode::NoDevice << false << false;
        QTest::newRow("no kernel drivers here")
            << "driverActive" << UsbCode::NotSupported << false << true;
        QTest::newRow("driver query fails") << "driverActive" << UsbCode::Io << false << false;
        QTest::newRow("detach: permission denied") << "detach" << UsbCode::Access << true << false;
        QTest::newRow("claim: busy") << "claim" << UsbCode::Busy << false << false;
        QTest::newRow("clear halt IN") << "clearHalt 81" << UsbCode::Pipe << false << false;
        QTest::newRow("clear halt OUT") << "clearHalt 01" << UsbCode::Io << false << false;
        QTest::newRow("enable") << "control 40 02 0002 0000" << UsbCode::Timeout << false << false;
    }
    void openFailureLeavesNothingOpen()
    {
        QFETCH(QString, failingCall);
        QFETCH(int, code);
        QFETCH(bool, driverBound);
        QFETCH(bool, opens);
        m_usb.devices = {bridgeDevice("2020")};
        m_usb.failures[failingCall] = code;
        m_usb.kernelDriverBound = driverBound;
        makeBridge();
        quint32 count = 0;
        QCOMPARE(m_bridge->getDeviceCount(&count), BridgeSuccess);
        BridgeHandle handle = 0;
        const BridgeStatus status = m_bridge->open(0, &handle);
        QVERIFY(std::any_of(m_usb.log.cbegin(), m_usb.log.cend(),
                            [&](const QString &call) { return call.startsWith(failingCall); }));
        if (opens) {
            QCOMPARE(status, BridgeSuccess);
            QVERIFY(handle != NoDeviceHandle);
            return;
        }
        QCOMPARE(status, bridgeStatusFromUsb(code));
        QCOMPARE(handle, NoDeviceHandle);
        QCOMPARE(m_usb.openHandles, 0);
        QCOMPARE(m_usb.claimedInterfaces, 0);
        QVERIFY(!m_usb.log.contains("control 40 02 0002 0000") ||
                failingCall.startsWith("control"));
    }

    void deviceStrings_data()
    {
        QTest::addColumn<quint32>("option");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("serial number") << quint32(SerialNumberString) << "2020" << true;
        QTest::newRow("description") << quint32(DescriptionString) << "USBXpress Device" << true;
        QTest::newRow("link name") << quint32(LinkNameString) << "usb:3-1.4" << true;
        QTest::newRow("unknown option") << 3u << QString() << false;
        QTest::newRow("huge option") << 0xFFFFFFFFu << QString() << false;
    }
    void deviceStrings()
    {
        QFETCH(quint32, option);
        QFETCH(QString, expected);
        QFETCH(bool, succeeds);
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        BridgeStatus status = -1;
        QCOMPARE(deviceString(0, option, &status), expected);
        QCOMPARE(status == BridgeSuccess, succeeds);
        QCOMPARE(m_usb.openHandles, 0);
    }

    void linkNameFollowsThePortPath_data()
    {
        QTest::addColumn<std::vector<quint8>>("ports");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root port") << std::vector<quint8>{2} << "usb:3-2";
        QTest::newRow("behind two hubs") << std::vector<quint8>{1, 2, 3} << "usb:3-1.2.3";
        QTest::newRow("no port") << std::vector<quint8>{} << "usb:3";
    }
    void linkNameFollowsThePortPath()
    {
        QFETCH(std::vector<quint8>, ports);
        QFETCH(QString, expected);
        FakeDevice device = bridgeDevice("2020");
        device.info.portNumbers = ports;
        m_usb.devices = {device};
        makeBridge();
        BridgeStatus status = -1;
        QCOMPARE(deviceString(0, LinkNameString, &status), expected);
        QCOMPARE(status, BridgeSuccess);
        // Only a device still there has a link name: it is opened and closed again.
        QCOMPARE(m_usb.log.mid(m_usb.log.indexOf("open 0")), QStringList({"open 0", "close"}));
    }

    void deviceStringFailures_data()
    {
        QTest::addColumn<QString>("failingCall");
        QTest::addColumn<int>("code");
        QTest::newRow("permission denied") << "open" << UsbCode::Access;
        QTest::newRow("descriptor stalls") << "string" << UsbCode::Pipe;
    }
    void deviceStringFailures()
    {
        QFETCH(QString, failingCall);
        QFETCH(int, code);
        m_usb.devices = {bridgeDevice("2020")};
        m_usb.failures[failingCall] = code;
        makeBridge();
        BridgeStatus status = BridgeSuccess;
        QCOMPARE(deviceString(0, SerialNumberString, &status), QString());
        QCOMPARE(status, bridgeStatusFromUsb(code));
        QCOMPARE(m_usb.openHandles, 0);
    }

    void longStringIsCutToTheBuffer()
    {
        m_usb.devices = {bridgeDevice(QByteArray(300, 'S'))};
        makeBridge();
        BridgeStatus status = -1;
        QCOMPARE(deviceString(0, SerialNumberString, &status),
                 QString(int(DeviceStringBufferSize) - 1, QLatin1Char('S')));
        QCOMPARE(status, BridgeSuccess);
    }

    void stringOfAnOpenDeviceUsesItsHandle()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        QVERIFY(openFirst() != NoDeviceHandle);
        BridgeStatus status = -1;
        QCOMPARE(deviceString(0, SerialNumberString, &status), QStringLiteral("2020"));
        QCOMPARE(status, BridgeSuccess);
        QCOMPARE(m_usb.log, QStringList{"string 3"});
    }

    void flushDropsDeviceAndHostData()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.bulkIn = {{bytes(16), UsbCode::Success}};
        quint32 waiting = 0;
        quint32 queueStatus = 0;
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        QCOMPARE(waiting, 16u);
        m_usb.log.clear();
        QCOMPARE(m_bridge->flushBuffers(handle, 1, 1), BridgeSuccess);
        // The request, then one read that finds the device empty.
        QCOMPARE(m_usb.log, QStringList({"control 40 02 0001 0000", "bulkIn 81"}));
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        QCOMPARE(waiting, 0u);
        QCOMPARE(queueStatus, UsbXpressBridge::RxQueueEmpty);
    }

    void flushWithoutFlagsSendsNothing()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        QCOMPARE(m_bridge->flushBuffers(handle, 0, 0), BridgeSuccess);
        QVERIFY(m_usb.log.isEmpty());
    }

    void bytesWaitingGrowsOnlyWhenBulkInDelivers()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        quint32 waiting = 99;
        quint32 queueStatus = 99;
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        QCOMPARE(waiting, 0u);
        QCOMPARE(queueStatus, UsbXpressBridge::RxQueueEmpty);
        m_usb.bulkIn = {{bytes(16), UsbCode::Success}};
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        QCOMPARE(waiting, 16u);
        // 0x02 says data waits, as the vendor's library has it; 0x01 would be an overrun.
        QCOMPARE(queueStatus, 0x02u);
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        QCOMPARE(waiting, 16u);
        QCOMPARE(m_usb.bulkInTimeouts.size(), size_t(3));
        for (unsigned timeout : m_usb.bulkInTimeouts)
            QCOMPARE(timeout, UsbXpressBridge::RxPollTimeoutMs);
        for (int length : m_usb.bulkInLengths)
            QCOMPARE(length % 64, 0);
    }

    void timeoutCarryingDataKeepsIt()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.bulkIn = {{bytes(16, 0x40), UsbCode::Timeout}};
        quint32 waiting = 0;
        quint32 queueStatus = 0;
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        QCOMPARE(waiting, 16u);
        quint8 reply[16] = {};
        quint32 returned = 0;
        QCOMPARE(m_bridge->read(handle, reply, 16, &returned), BridgeSuccess);
        QCOMPARE(returned, 16u);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(reply), 16), bytes(16, 0x40));
    }

    void readDeliversExactlyTheRequestedCount()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.bulkIn = {{bytes(20), UsbCode::Success}};
        quint8 reply[32] = {};
        quint32 returned = 0;
        QCOMPARE(m_bridge->read(handle, reply, 16, &returned), BridgeSuccess);
        QCOMPARE(returned, 16u);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(reply), 16), bytes(16));
        QCOMPARE(reply[16], quint8(0));
        // The surplus stays for the next read, with no transfer needed.
        const size_t transfers = m_usb.bulkInLengths.size();
        QCOMPARE(m_bridge->read(handle, reply, 4, &returned), BridgeSuccess);
        QCOMPARE(returned, 4u);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(reply), 4), bytes(4, 16));
        QCOMPARE(m_usb.bulkInLengths.size(), transfers);
    }

    void readGathersSeveralTransfers()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.bulkIn = {{bytes(6), UsbCode::Success}, {bytes(10, 6), UsbCode::Success}};
        quint8 reply[16] = {};
        quint32 returned = 0;
        QCOMPARE(m_bridge->read(handle, reply, 16, &returned), BridgeSuccess);
        QCOMPARE(returned, 16u);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(reply), 16), bytes(16));
        for (int length : m_usb.bulkInLengths)
            QCOMPARE(length % 64, 0);
    }

    void shortReadReturnsWhatArrivedInBoundedTime()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.bulkIn = {{bytes(10), UsbCode::Success}};
        quint8 reply[16] = {};
        quint32 returned = 0;
        QElapsedTimer real;
        real.start();
        QCOMPARE(m_bridge->read(handle, reply, 16, &returned), BridgeSuccess);
        QCOMPARE(returned, 10u);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(reply), 10), bytes(10));
        QCOMPARE(m_usb.now, qint64(UsbXpressBridge::ReadTimeoutMs));
        QVERIFY(real.elapsed() < 500);
    }

    void transferFailuresGiveFailingStatus_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("failingCall");
        QTest::addColumn<int>("code");
        QTest::newRow("queue check: stall") << "check"
                                            << "bulkIn" << UsbCode::Pipe;
        QTest::newRow("queue check: unplugged") << "check"
                                                << "bulkIn" << UsbCode::NoDevice;
        QTest::newRow("queue check: overflow") << "check"
                                               << "bulkIn" << UsbCode::Overflow;
        QTest::newRow("read: I/O") << "read"
                                   << "bulkIn" << UsbCode::Io;
        QTest::newRow("read: unplugged") << "read"
                                         << "bulkIn" << UsbCode::NoDevice;
        QTest::newRow("write: stall") << "write"
                                      << "bulkOut" << UsbCode::Pipe;
        QTest::newRow("write: timeout") << "write"
                                        << "bulkOut" << UsbCode::Timeout;
        QTest::newRow("flush") << "flush"
                               << "control 40 02 0001 0000" << UsbCode::Io;
        QTest::newRow("close: disable") << "close"
                                        << "control 40 02 0004 0000" << UsbCode::Io;
        QTest::newRow("close: release") << "close"
                                        << "release" << UsbCode::Busy;
    }
    void transferFailuresGiveFailingStatus()
    {
        QFETCH(QString, operation);
        QFETCH(QString, failingCall);
        QFETCH(int, code);
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        QVERIFY(handle != NoDeviceHandle);
        m_usb.failures[failingCall] = code;
        quint8 data[16] = {1, 2, 3, 4};
        quint32 count = 0;
        quint32 queueStatus = 0;
        BridgeStatus status = BridgeSuccess;
        if (operation == "check")
            status = m_bridge->checkRxQueue(handle, &count, &queueStatus);
        else if (operation == "read")
            status = m_bridge->read(handle, data, 16, &count);
        else if (operation == "write")
            status = m_bridge->write(handle, data, 4, &count);
        else if (operation == "flush")
            status = m_bridge->flushBuffers(handle, 1, 1);
        else
            status = m_bridge->close(handle);
        QCOMPARE(status, bridgeStatusFromUsb(code));
        QCOMPARE(count, 0u);
        if (operation == "close") {
            // A failed close still lets go of the device.
            QCOMPARE(m_usb.openHandles, 0);
            QCOMPARE(m_usb.claimedInterfaces, 0);
            QCOMPARE(m_bridge->close(handle), BridgeStatus(InvalidHandleStatus));
        }
    }

    void partialWriteIsAFailure()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.bulkOutLimit = 2;
        const quint8 frame[] = {0x11, 0x10, 0xA0, 0x30};
        quint32 written = 0;
        QVERIFY(m_bridge->write(handle, frame, 4, &written) != BridgeSuccess);
        QCOMPARE(written, 2u);
    }

    void unknownHandleIsRejected()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        for (BridgeHandle bad : {handle + 1, NoDeviceHandle, BridgeHandle(0)}) {
            quint8 data[4] = {};
            quint32 count = 0;
            quint32 queueStatus = 0;
            QCOMPARE(m_bridge->read(bad, data, 4, &count), BridgeStatus(InvalidHandleStatus));
            QCOMPARE(m_bridge->write(bad, data, 4, &count), BridgeStatus(InvalidHandleStatus));
            QCOMPARE(m_bridge->flushBuffers(bad, 1, 1), BridgeStatus(InvalidHandleStatus));
            QCOMPARE(m_bridge->checkRxQueue(bad, &count, &queueStatus),
                     BridgeStatus(InvalidHandleStatus));
            QCOMPARE(m_bridge->close(bad), BridgeStatus(InvalidHandleStatus));
        }
        QVERIFY(m_usb.log.isEmpty());
    }

    void goneDeviceFailsEveryLaterCallWithoutIo_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("failingCall");
        QTest::newRow("write") << "write"
                               << "bulkOut";
        QTest::newRow("queue check") << "check"
                                     << "bulkIn";
        QTest::newRow("read") << "read"
                              << "bulkIn";
        QTest::newRow("flush") << "flush"
                               << "control 40 02 0001 0000";
        QTest::newRow("serial string") << "string"
                                       << "string";
    }
    void goneDeviceFailsEveryLaterCallWithoutIo()
    {
        QFETCH(QString, operation);
        QFETCH(QString, failingCall);
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.failures[failingCall] = UsbCode::NoDevice;
        quint8 data[16] = {1, 2, 3, 4};
        quint32 count = 0;
        quint32 queueStatus = 0;
        BridgeStatus status = BridgeSuccess;
        if (operation == "write")
            status = m_bridge->write(handle, data, 4, &count);
        else if (operation == "check")
            status = m_bridge->checkRxQueue(handle, &count, &queueStatus);
        else if (operation == "read")
            status = m_bridge->read(handle, data, 16, &count);
        else if (operation == "flush")
            status = m_bridge->flushBuffers(handle, 1, 1);
        else
            deviceString(0, SerialNumberString, &status);
        const BridgeStatus gone = bridgeStatusFromUsb(UsbCode::NoDevice);
        QCOMPARE(status, gone);

        m_usb.failures.clear();
        m_usb.log.clear();
        QCOMPARE(m_bridge->write(handle, data, 4, &count), gone);
        QCOMPARE(m_bridge->read(handle, data, 16, &count), gone);
        QCOMPARE(m_bridge->checkRxQueue(handle, &count, &queueStatus), gone);
        QCOMPARE(m_bridge->flushBuffers(handle, 1, 1), gone);
        QCOMPARE(deviceString(0, SerialNumberString, &status), QString());
        QCOMPARE(status, gone);
        QCOMPARE(deviceString(0, LinkNameString, &status), QString());
        QCOMPARE(status, gone);
        QVERIFY2(m_usb.log.isEmpty(), qPrintable(m_usb.log.join(", ")));
        // Closing only lets go of the handle: there is nothing left to disable.
        QCOMPARE(m_bridge->close(handle), BridgeSuccess);
        QCOMPARE(m_usb.log, QStringList{"close"});
        QCOMPARE(m_usb.openHandles, 0);
    }

    void deviceGoneWhileClosingIsClosed()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.failures["control 40 02 0004 0000"] = UsbCode::NoDevice;
        QCOMPARE(m_bridge->close(handle), BridgeSuccess);
        QCOMPARE(m_usb.log, QStringList({"control 40 02 0004 0000", "close"}));
    }

    void undeclaredStringIsEmpty_data()
    {
        QTest::addColumn<quint32>("option");
        QTest::newRow("serial number") << quint32(SerialNumberString);
        QTest::newRow("description") << quint32(DescriptionString);
    }
    void undeclaredStringIsEmpty()
    {
        QFETCH(quint32, option);
        // Another gadget with the factory ids, declaring neither string.
        FakeDevice gadget = bridgeDevice("unused");
        gadget.info.serialNumberIndex = 0;
        gadget.info.productIndex = 0;
        m_usb.devices = {gadget};
        makeBridge();
        BridgeStatus status = -1;
        QCOMPARE(deviceString(0, option, &status), QString());
        QCOMPARE(status, BridgeSuccess);
        QVERIFY(!m_usb.log.contains("open 0"));
    }

    void linkNameFailsWhenTheDeviceHasGone()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        quint32 count = 0;
        QCOMPARE(m_bridge->getDeviceCount(&count), BridgeSuccess);
        m_usb.failures["open"] = UsbCode::NoDevice;
        BridgeStatus status = BridgeSuccess;
        QCOMPARE(deviceString(0, LinkNameString, &status), QString());
        QCOMPARE(status, bridgeStatusFromUsb(UsbCode::NoDevice));
        m_usb.failures.clear();
        QCOMPARE(deviceString(0, LinkNameString, &status), QStringLiteral("usb:3-1.4"));
        QCOMPARE(status, BridgeSuccess);
        QCOMPARE(m_usb.openHandles, 0);
    }

    void kernelDriverIsDetachedOnceAndGivenBackAtTheEnd_data()
    {
        QTest::addColumn<bool>("bound");
        QTest::addColumn<QStringList>("atTheEnd");
        QTest::newRow("driver bound")
            << true << QStringList{"enumerate", "open 0", "attach 0", "close"};
        QTest::newRow("no driver") << false << QStringList{};
    }
    void kernelDriverIsDetachedOnceAndGivenBackAtTheEnd()
    {
        QFETCH(bool, bound);
        QFETCH(QStringList, atTheEnd);
        m_usb.devices = {bridgeDevice("2020")};
        m_usb.kernelDriverBound = bound;
        makeBridge();
        quint32 count = 0;
        QCOMPARE(m_bridge->getDeviceCount(&count), BridgeSuccess);
        for (int action = 0; action < 2; ++action) {
            BridgeHandle handle = NoDeviceHandle;
            QCOMPARE(m_bridge->open(0, &handle), BridgeSuccess);
            QCOMPARE(m_bridge->close(handle), BridgeSuccess);
        }
        // Between device actions the driver stays away: one detach, no attach.
        QCOMPARE(m_usb.log.count("detach 0"), bound ? 1 : 0);
        QVERIFY(!m_usb.log.contains("attach 0"));
        QVERIFY(!m_usb.kernelDriverBound);
        m_usb.log.clear();
        m_bridge.reset();
        QCOMPARE(m_usb.log, atTheEnd);
        QCOMPARE(m_usb.kernelDriverBound, bound);
        QCOMPARE(m_usb.openHandles, 0);
    }

    void bulkInIsWholePackets_data()
    {
        QTest::addColumn<int>("packetSize");
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("expectedLength"); // 0: no transfer at all
        const int capacity = UsbXpressBridge::RxBufferCapacity;
        QTest::newRow("empty buffer") << 64 << 0 << UsbXpressBridge::BulkInChunk;
        QTest::newRow("room for one packet and a half") << 64 << capacity - 100 << 64;
        QTest::newRow("room for less than a packet") << 64 << capacity - 63 << 0;
        QTest::newRow("high-speed packets") << 512 << capacity - 1000 << 512;
        QTest::newRow("small packets") << 8 << capacity - 20 << 16;
    }
    void bulkInIsWholePackets()
    {
        QFETCH(int, packetSize);
        QFETCH(int, held);
        QFETCH(int, expectedLength);
        FakeDevice device = bridgeDevice("2020");
        for (UsbEndpointInfo &endpoint : device.info.interfaces[0].endpoints)
            endpoint.maxPacketSize = quint16(packetSize);
        m_usb.devices = {device};
        makeBridge();
        const BridgeHandle handle = openFirst();
        quint32 waiting = 0;
        quint32 queueStatus = 0;
        while (int(waiting) < held) {
            const int length = std::min(UsbXpressBridge::BulkInChunk, held - int(waiting));
            m_usb.bulkIn = {{bytes(length), UsbCode::Success}};
            QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        }
        QCOMPARE(int(waiting), held);
        m_usb.bulkInLengths.clear();
        m_usb.bulkIn = {{bytes(8), UsbCode::Success}};
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        if (expectedLength == 0) {
            QVERIFY(m_usb.bulkInLengths.empty());
            QCOMPARE(int(waiting), held);
            // A read that needs more than fits ends at once with what is held.
            std::vector<quint8> all(size_t(held) + 1);
            quint32 returned = 0;
            QCOMPARE(m_bridge->read(handle, all.data(), quint32(all.size()), &returned),
                     BridgeSuccess);
            QCOMPARE(int(returned), held);
            QCOMPARE(m_usb.now, qint64(0));
            return;
        }
        QCOMPARE(m_usb.bulkInLengths, std::vector<int>{expectedLength});
        QCOMPARE(int(waiting), held + 8);
    }

    void overflowedTransferAddsNothing()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.bulkIn = {{bytes(16), UsbCode::Overflow}};
        quint32 waiting = 99;
        quint32 queueStatus = 0;
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus),
                 bridgeStatusFromUsb(UsbCode::Overflow));
        QCOMPARE(waiting, 0u);
    }

    void flushHonoursItsFlags_data()
    {
        QTest::addColumn<quint8>("transmit");
        QTest::addColumn<quint8>("receive");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<quint32>("hostBytesLeft");
        const QString request = "control 40 02 0001 0000";
        // The device still holds two replies; the third read finds it empty.
        QTest::newRow("both") << quint8(1) << quint8(1)
                              << QStringList{request, "bulkIn 81", "bulkIn 81", "bulkIn 81"} << 0u;
        QTest::newRow("receive only")
            << quint8(0) << quint8(1) << QStringList{request, "bulkIn 81", "bulkIn 81", "bulkIn 81"}
            << 0u;
        QTest::newRow("transmit only") << quint8(1) << quint8(0) << QStringList{request} << 16u;
        QTest::newRow("neither") << quint8(0) << quint8(0) << QStringList{} << 16u;
    }
    void flushHonoursItsFlags()
    {
        QFETCH(quint8, transmit);
        QFETCH(quint8, receive);
        QFETCH(QStringList, calls);
        QFETCH(quint32, hostBytesLeft);
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        m_usb.bulkIn = {{bytes(16), UsbCode::Success}};
        quint32 waiting = 0;
        quint32 queueStatus = 0;
        QCOMPARE(m_bridge->checkRxQueue(handle, &waiting, &queueStatus), BridgeSuccess);
        m_usb.log.clear();
        m_usb.bulkIn = {{bytes(16, 0x20), UsbCode::Success}, {bytes(5, 0x40), UsbCode::Success}};
        QCOMPARE(m_bridge->flushBuffers(handle, transmit, receive), BridgeSuccess);
        QCOMPARE(m_usb.log, calls);
        m_usb.bulkIn.clear();
        quint8 held[16] = {};
        quint32 returned = 0;
        QCOMPARE(m_bridge->read(handle, held, hostBytesLeft, &returned), BridgeSuccess);
        QCOMPARE(returned, hostBytesLeft);
        if (hostBytesLeft != 0)
            QCOMPARE(QByteArray(reinterpret_cast<char *>(held), 16), bytes(16));
    }

    void flushOfADeviceThatNeverStopsFails()
    {
        m_usb.devices = {bridgeDevice("2020")};
        makeBridge();
        const BridgeHandle handle = openFirst();
        for (int i = 0; i <= UsbXpressBridge::FlushDrainReadLimit; ++i)
            m_usb.bulkIn.push_back({bytes(16), UsbCode::Success});
        QVERIFY(m_bridge->flushBuffers(handle, 1, 1) != BridgeSuccess);
        QCOMPARE(int(m_usb.bulkInLengths.size()), UsbXpressBridge::FlushDrainReadLimit);
    }

    void fullLastPacketIsFollowedByAZeroLengthPacket_data()
    {
        QTest::addColumn<int>("packetSize");
        QTest::addColumn<int>("length");
        QTest::addColumn<std::vector<int>>("transfers");
        QTest::newRow("command frame") << 64 << 12 << std::vector<int>{12};
        QTest::newRow("one packet short") << 64 << 63 << std::vector<int>{63};
        QTest::newRow("one full packet") << 64 << 64 << std::vector<int>{64, 0};
        QTest::newRow("two full packets") << 64 << 128 << std::vector<int>{128, 0};
        QTest::newRow("small packets") << 8 << 24 << std::vector<int>{24, 0};
        QTest::newRow("high-speed packet") << 512 << 64 << std::vector<int>{64};
    }
    void fullLastPacketIsFollowedByAZeroLengthPacket()
    {
        QFETCH(int, packetSize);
        QFETCH(int, length);
        QFETCH(std::vector<int>, transfers);
        FakeDevice device = bridgeDevice("2020");
        for (UsbEndpointInfo &endpoint : device.info.interfaces[0].endpoints)
            endpoint.maxPacketSize = quint16(packetSize);
        m_usb.devices = {device};
        makeBridge();
        const BridgeHandle handle = openFirst();
        const QByteArray data = bytes(length);
        quint32 written = 0;
        QCOMPARE(m_bridge->write(handle, reinterpret_cast<const quint8 *>(data.constData()),
                                 quint32(length), &written),
                 BridgeSuccess);
        QCOMPARE(written, quint32(length));
        QCOMPARE(m_usb.bulkOutLengths, transfers);
        QCOMPARE(m_usb.bulkOut, data);
    }

    void realLibusbFindsNoDeviceWithUnusedIds()
    {
        const std::unique_ptr<BridgeLibrary> bridge = createUsbXpressBridge("0001:0001");
        quint32 count = 99;
        QCOMPARE(bridge->getDeviceCount(&count), BridgeSuccess);
        QCOMPARE(count, 0u);
        char buffer[DeviceStringBufferSize] = "x";
        QVERIFY(bridge->getDeviceString(0, buffer, SerialNumberString) != BridgeSuccess);
        QCOMPARE(buffer[0], '\0');
        BridgeHandle handle = 0;
        QVERIFY(bridge->open(0, &handle) != BridgeSuccess);
        QCOMPARE(handle, NoDeviceHandle);
    }
};

QTEST_GUILESS_MAIN(UsbXpressTest)
#include "tst_usbxpress.moc"
