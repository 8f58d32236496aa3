// The libusb backend end to end: libusb and usbfs as the program uses them,
// against bridges emulated in a umockdev test bed whose Varnex is the
// simulated splitter.
#include "BridgeFactory.h"
#include "DeviceConnection.h"
#include "DeviceSettings.h"
#include "EdidTestData.h"
#include "EdidTransfers.h"
#include "RecordingMessageSink.h"
#include "StepClock.h"
#include "UsbBridge.h"
#include "UsbTestBed.h"

#include <QtTest>

#include <algorithm>
#include <memory>
#include <tuple>

using namespace varnex::device;
using namespace varnex::edid;
using namespace varnex::splitter;
using varnex::device::sim::SimulatedSplitter;

namespace {

constexpr quint8 EdidAddress = 0xA0;

QByteArray toBytes(const CommandFrame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size()));
}

// A table unlike the simulator's own, so that a read shows where it came from.
EdidImage sampleTable(const QString &name)
{
    return EdidTestData::toImage(EdidTestData::readSample(name));
}

void setTable(EmulatedBridge &bridge, const EdidImage &image)
{
    bridge.changeSplitter([&](SimulatedSplitter &splitter) {
        sim::EdidMemory memory;
        std::copy(image.begin(), image.end(), memory.begin());
        splitter.setMemory(EdidAddress, memory);
    });
}

EdidImage tableOf(const EmulatedBridge &bridge)
{
    const sim::EdidMemory memory = bridge.memory(EdidAddress);
    EdidImage image{};
    std::copy(memory.begin(), memory.end(), image.begin());
    return image;
}

// The log lines of `bridge` that start with one of `prefixes`.
QStringList linesOf(const EmulatedBridge &bridge, const QStringList &prefixes)
{
    QStringList lines;
    for (const QString &line : bridge.log()) {
        if (std::any_of(prefixes.cbegin(), prefixes.cend(),
                        [&](const QString &prefix) { return line.startsWith(prefix); }))
            lines.append(line);
    }
    return lines;
}

// The program's own device link on the USB backend that VARNEX_BRIDGE=usb chooses.
struct UsbLink
{
    explicit UsbLink(DeviceConnection::Clock clock = {})
        : backend(createBridgeBackend(usbEnvironment())), bridge(*backend.library, sink),
          connection(bridge, settings, std::move(clock), [](quint32) {})
    {
    }
    static QProcessEnvironment usbEnvironment()
    {
        QProcessEnvironment environment;
        environment.insert(QLatin1String(BridgeVariable), QStringLiteral("usb"));
        return environment;
    }
    BridgeLibrary &library() { return *backend.library; }
    QString deviceString(quint32 index, quint32 option, BridgeStatus *status)
    {
        char buffer[DeviceStringBufferSize] = "unchanged";
        *status = library().getDeviceString(index, buffer, option);
        return QString::fromLatin1(buffer, qsizetype(qstrnlen(buffer, sizeof(buffer))));
    }

    BridgeBackend backend;
    RecordingMessageSink sink;
    DeviceSettings settings;
    UsbBridge bridge;
    DeviceConnection connection;
};

const auto noProgress = [](int, int) {};

// The bridge's endpoints and packet size as a data row gives them.
EmulatedBridgeSetup endpointSetup()
{
    QFETCH(int, inEndpoint);
    QFETCH(int, outEndpoint);
    QFETCH(int, packetSize);
    return {.inEndpoint = quint8(inEndpoint),
            .outEndpoint = quint8(outEndpoint),
            .packetSize = quint16(packetSize)};
}

void addEndpointColumns()
{
    QTest::addColumn<int>("inEndpoint");
    QTest::addColumn<int>("outEndpoint");
    QTest::addColumn<int>("packetSize");
}

// The factory's full-speed endpoints, and others with packets so small that
// the 8-byte status frame and every 16-byte reply fill their last packet.
void addEndpointRows()
{
    QTest::newRow("0x81/0x01/64") << 0x81 << 0x01 << 64;
    QTest::newRow("0x82/0x02/8") << 0x82 << 0x02 << 8;
}

// Checks that every bulk IN transfer was whole packets and that each frame
// filling its last packet was ended by a zero-length one.
void checkPackets(const EmulatedBridge &bridge)
{
    const EmulatedBridgeSetup &setup = bridge.setup();
    const QString in = QStringLiteral("in %1").arg(setup.inEndpoint, 2, 16, QLatin1Char('0'));
    for (const QString &line : linesOf(bridge, {in}))
        QVERIFY2(line.section(' ', 2).toInt() % setup.packetSize == 0, qPrintable(line));
    const QString out = QStringLiteral("out %1").arg(setup.outEndpoint, 2, 16, QLatin1Char('0'));
    const qsizetype fullFrames = std::count_if(
        bridge.frames().cbegin(), bridge.frames().cend(),
        [&](const QByteArray &frame) { return frame.size() % setup.packetSize == 0; });
    QCOMPARE(linesOf(bridge, {out + QStringLiteral(" 0")}).size(), fullFrames);
}

} // namespace

class EmulatedUsbTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<UsbTestBed> m_bed;
    std::unique_ptr<UsbLink> m_link;

    // The USB layer starts after the bed has its devices, as at program start.
    UsbLink &link(DeviceConnection::Clock clock = {})
    {
        m_link = std::make_unique<UsbLink>(std::move(clock));
        return *m_link;
    }

private slots:
    void init()
    {
        QVERIFY2(UsbTestBed::isActive(), "run under umockdev-wrapper (LD_PRELOAD of "
                                         "libumockdev-preload), as ctest does");
        m_bed = std::make_unique<UsbTestBed>();
    }
    void cleanup()
    {
        m_link.reset();
        m_bed.reset();
    }

    void findsTheBridgeAndItsStrings_data()
    {
        QTest::addColumn<bool>("otherDeviceFirst");
        QTest::newRow("alone") << false;
        QTest::newRow("behind a device with other ids") << true;
    }
    void findsTheBridgeAndItsStrings()
    {
        QFETCH(bool, otherDeviceFirst);
        if (otherDeviceFirst)
            m_bed->addBridge({.vendorId = 0x046D, .productId = 0xC52B, .serial = "4711"});
        EmulatedBridge &bridge = m_bed->addBridge();
        UsbLink &usb = link();
        quint32 count = 0;
        QCOMPARE(usb.library().getDeviceCount(&count), BridgeSuccess);
        QCOMPARE(count, 1u);
        BridgeStatus status = -1;
        QCOMPARE(usb.deviceString(0, SerialNumberString, &status), QStringLiteral("2020"));
        QCOMPARE(status, BridgeSuccess);
        QCOMPARE(usb.deviceString(0, DescriptionString, &status),
                 QStringLiteral("USBXpress Device"));
        QCOMPARE(status, BridgeSuccess);
        QCOMPARE(usb.deviceString(0, LinkNameString, &status),
                 otherDeviceFirst ? QStringLiteral("usb:1-2") : QStringLiteral("usb:1-1"));
        QCOMPARE(status, BridgeSuccess);
        // Strings come over the control endpoint in US English.
        QVERIFY(bridge.log().contains("control 80 06 0303 0409"));
        QVERIFY(bridge.log().contains("control 80 06 0302 0409"));
    }

    void openEnablesAndCloseDisables()
    {
        EmulatedBridge &bridge = m_bed->addBridge();
        UsbLink &usb = link();
        const QStringList prefixes{"control 40", "claim", "release", "clearHalt"};
        QVERIFY(usb.connection.openDevice());
        QCOMPARE(linesOf(bridge, prefixes),
                 QStringList({"claim 0", "clearHalt 81", "clearHalt 01", "control 40 02 0002 0000",
                              "control 40 02 0001 0000"}));
        QVERIFY(bridge.isEnabled());
        QCOMPARE(bridge.interfaceDriver(), QStringLiteral("usbfs"));
        bridge.clearLog();
        usb.connection.closeDevice();
        QCOMPARE(linesOf(bridge, prefixes), QStringList({"control 40 02 0004 0000", "release 0"}));
        QVERIFY(!bridge.isEnabled());
        QCOMPARE(bridge.interfaceDriver(), QString());
        QVERIFY(usb.sink.messages.isEmpty());
    }

    void everyFrameGetsTheSimulatorsReply_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<quint32>("replyLength");
        const quint8 data[WriteDataLength] = {1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("first chunk")
            << toBytes(edidReadFrame(EdidAddress, 0x00)) << ReadReplyLength;
        QTest::newRow("last chunk") << toBytes(edidReadFrame(EdidAddress, 0xF0)) << ReadReplyLength;
        QTest::newRow("status") << toBytes(statusFrame(EdidAddress)) << StatusReplyLength;
        QTest::newRow("write") << toBytes(writeFrame(EdidAddress, 0x08, data)) << WriteReplyLength;
        QTest::newRow("mode query") << toBytes(modeFrame(ModeSelector::Query)) << ModeReplyLength;
        QTest::newRow("select custom")
            << toBytes(modeFrame(ModeSelector::SelectCustom)) << ModeReplyLength;
    }
    void everyFrameGetsTheSimulatorsReply()
    {
        QFETCH(QByteArray, frame);
        QFETCH(quint32, replyLength);
        EmulatedBridge &bridge = m_bed->addBridge();
        UsbLink &usb = link();
        QVERIFY(usb.connection.openDevice());
        const auto *bytes = reinterpret_cast<const quint8 *>(frame.constData());
        QByteArray reply(replyLength, '\0');
        const TransactResult result = usb.connection.exchange(
            reinterpret_cast<quint8 *>(reply.data()), bytes, replyLength, quint32(frame.size()));
        QCOMPARE(result.outcome, TransactResult::Replied);
        QCOMPARE(result.received, replyLength);
        SimulatedSplitter reference;
        QCOMPARE(reply, *reference.answer({bytes, size_t(frame.size())}).reply);
        QCOMPARE(bridge.frames(), QList<QByteArray>{frame});
        QCOMPARE(linesOf(bridge, {"out"}),
                 QStringList{QStringLiteral("out 01 %1").arg(frame.size())});
        for (const QString &line : linesOf(bridge, {"in"}))
            QVERIFY2(line.section(' ', 2).toInt() % 64 == 0, qPrintable(line));
    }

    void queueStatusSaysDataWaits()
    {
        m_bed->addBridge();
        UsbLink &usb = link();
        QVERIFY(usb.connection.openDevice());
        const CommandFrame frame = modeFrame(ModeSelector::Query);
        quint32 written = 0;
        QCOMPARE(usb.library().write(usb.connection.handle(), frame.data(), quint32(frame.size()),
                                     &written),
                 BridgeSuccess);
        quint32 waiting = 0;
        quint32 queueStatus = 0;
        for (int poll = 0; poll < 10 && waiting == 0; ++poll)
            QCOMPARE(usb.library().checkRxQueue(usb.connection.handle(), &waiting, &queueStatus),
                     BridgeSuccess);
        QCOMPARE(waiting, ModeReplyLength);
        QCOMPARE(queueStatus, 0x02u);
    }

    void readsTheWholeTable_data()
    {
        addEndpointColumns();
        addEndpointRows();
    }
    void readsTheWholeTable()
    {
        EmulatedBridge &bridge = m_bed->addBridge(endpointSetup());
        const EdidImage table = sampleTable("dell-p2415q-hdmi2.0");
        setTable(bridge, table);
        UsbLink &usb = link();
        QVERIFY(usb.connection.openDevice());
        bridge.clearLog();
        const EdidReadResult result = readEdidTable(usb.connection, EdidAddress, noProgress);
        usb.connection.closeDevice();
        QCOMPARE(result.firstMissingOffset(), -1);
        QCOMPARE(EdidTestData::toBytes(result.image), EdidTestData::toBytes(table));
        const QList<QByteArray> frames = bridge.frames();
        QCOMPARE(frames.size(), ReadChunkCount + 1);
        for (int chunk = 0; chunk < ReadChunkCount; ++chunk)
            QCOMPARE(frames[chunk], toBytes(edidReadFrame(EdidAddress, quint8(chunk * 16))));
        QCOMPARE(frames.last(), toBytes(statusFrame(EdidAddress)));
        checkPackets(bridge);
        QVERIFY(usb.sink.messages.isEmpty());
    }

    void writesTheWholeTable_data()
    {
        addEndpointColumns();
        addEndpointRows();
    }
    void writesTheWholeTable()
    {
        EmulatedBridge &bridge = m_bed->addBridge(endpointSetup());
        const EdidImage table = sampleTable("acer-xv273k-dp1");
        UsbLink &usb = link();
        QVERIFY(usb.connection.openDevice());
        bridge.clearLog();
        const EdidWriteResult result =
            writeEdidTable(usb.connection, EdidAddress, table, noProgress);
        usb.connection.closeDevice();
        QCOMPARE(result.firstFailedOffset(), -1);
        QCOMPARE(EdidTestData::toBytes(tableOf(bridge)), EdidTestData::toBytes(table));
        QCOMPARE(bridge.frames().size(), WriteFrameCount);
        checkPackets(bridge);
        QVERIFY(usb.sink.messages.isEmpty());
    }

    // Replies that come late or twice, as the bridge's firmware may send
    // them: a delay within the wait does no harm; a repeat that comes after
    // the check behind its reply ends the read before it can shift a chunk.
    void lateRepliesNeverShiftTheTable_data()
    {
        addEndpointColumns();
        QTest::addColumn<int>("delay"); // IN transfers given up on before each reply
        QTest::addColumn<int>("repeatedFrame");
        QTest::addColumn<int>("missingOffset");
        QTest::addColumn<bool>("outOfStep");
        QTest::addColumn<int>("frames");
        for (const auto &[in, out, packet] :
             {std::tuple(0x81, 0x01, 64), std::tuple(0x82, 0x02, 8)}) {
            QTest::addRow("%d-byte packets, delayed replies", packet)
                << in << out << packet << 2 << 0 << -1 << false << ReadChunkCount + 1;
            QTest::addRow("%d-byte packets, fourth chunk repeated", packet)
                << in << out << packet << 0 << 4 << 0x40 << false << 4;
            QTest::addRow("%d-byte packets, last chunk repeated", packet)
                << in << out << packet << 0 << ReadChunkCount << 0x00 << true << ReadChunkCount;
        }
    }
    void lateRepliesNeverShiftTheTable()
    {
        QFETCH(int, delay);
        QFETCH(int, repeatedFrame);
        QFETCH(int, missingOffset);
        QFETCH(bool, outOfStep);
        QFETCH(int, frames);
        EmulatedBridge &bridge = m_bed->addBridge(endpointSetup());
        const EdidImage table = sampleTable("dell-p2415q-hdmi2.0");
        setTable(bridge, table);
        UsbLink &usb = link();
        QVERIFY(usb.connection.openDevice());
        bridge.delayReplies(delay);
        bridge.repeatReplyLate(repeatedFrame);

        const EdidReadResult result = readEdidTable(usb.connection, EdidAddress, noProgress);
        usb.connection.closeDevice();
        QCOMPARE(result.firstMissingOffset(), missingOffset);
        QCOMPARE(result.outOfStep, outOfStep);
        QCOMPARE(bridge.frames().size(), frames);
        const int kept = missingOffset < 0 ? EdidImageSize : missingOffset;
        QCOMPARE(EdidTestData::toBytes(result.image).left(kept),
                 EdidTestData::toBytes(table).left(kept));
        QVERIFY(usb.sink.messages.isEmpty());
    }

    // A reply that comes after its request gave up waits in the queue; the
    // next request finds it there and is not sent.
    void replyAfterTheTimeLimitFailsTheNextExchange_data()
    {
        addEndpointColumns();
        addEndpointRows();
    }
    void replyAfterTheTimeLimitFailsTheNextExchange()
    {
        EmulatedBridge &bridge = m_bed->addBridge(endpointSetup());
        // 100 ms a reading: the 3 s limit passes after 30 queue checks.
        UsbLink &usb = link(StepClock(0, 100).function());
        QVERIFY(usb.connection.openDevice());
        bridge.clearLog();
        bridge.delayReplies(1000);
        quint8 reply[ReadReplyLength] = {};
        QCOMPARE(
            usb.connection.exchange(reply, modeFrame(ModeSelector::Query), ModeReplyLength).outcome,
            TransactResult::TimedOut);
        bridge.releaseDelayedReplies();

        const TransactResult next =
            usb.connection.exchange(reply, edidReadFrame(EdidAddress, 0x00), ReadReplyLength);
        QCOMPARE(next.outcome, TransactResult::OutOfStep);
        QVERIFY(!next.frameSent);
        QCOMPARE(bridge.frames(), QList<QByteArray>{toBytes(modeFrame(ModeSelector::Query))});
        QVERIFY(usb.sink.messages.isEmpty());
    }

    void silentBridgeTimesOut()
    {
        EmulatedBridge &bridge = m_bed->addBridge();
        bridge.setSilent(true);
        // 100 ms a reading: the 3 s limit passes after 30 queue checks.
        StepClock clock(0, 100);
        UsbLink &usb = link(clock.function());
        QVERIFY(usb.connection.openDevice());
        bridge.clearLog();
        const int readingsBefore = clock.readings();
        quint8 reply[StatusReplyLength] = {};
        const TransactResult result =
            usb.connection.exchange(reply, statusFrame(EdidAddress), StatusReplyLength);
        QCOMPARE(result.outcome, TransactResult::TimedOut);
        QVERIFY(quint32(clock.readings() - readingsBefore) * 100 >=
                DeviceConnection::ReplyTimeoutMs);
        // Every queue check was a bulk IN transfer that the USB layer gave up on.
        const int checks = int(linesOf(bridge, {"in 81"}).size());
        QVERIFY(checks >= 1);
        QVERIFY(checks <= clock.readings() - readingsBefore);
        QCOMPARE(linesOf(bridge, {"discard 81"}).size(), checks);
        QCOMPARE(bridge.frames(), QList<QByteArray>{toBytes(statusFrame(EdidAddress))});

        bridge.setSilent(false);
        QCOMPARE(
            usb.connection.exchange(reply, modeFrame(ModeSelector::Query), ModeReplyLength).outcome,
            TransactResult::Replied);
        QVERIFY(usb.sink.messages.isEmpty());
    }

    void opensTheBridgeWithTheSerial()
    {
        EmulatedBridge &varnex = m_bed->addBridge();
        EmulatedBridge &other = m_bed->addBridge({.serial = "1999"});
        setTable(other, sampleTable("dell-e178wfp-vga"));
        const EdidImage table = sampleTable("apple-cinemahd-30-dvi");
        setTable(varnex, table);
        UsbLink &usb = link();
        BridgeStatus status = -1;
        const QStringList serials{usb.deviceString(0, SerialNumberString, &status),
                                  usb.deviceString(1, SerialNumberString, &status)};
        QCOMPARE(QSet<QString>(serials.begin(), serials.end()), QSet<QString>({"1999", "2020"}));
        QVERIFY(usb.connection.openDevice());
        const EdidReadResult result = readEdidTable(usb.connection, EdidAddress, noProgress);
        usb.connection.closeDevice();
        QCOMPARE(EdidTestData::toBytes(result.image), EdidTestData::toBytes(table));
        QCOMPARE(other.frames(), QList<QByteArray>{});
        QCOMPARE(linesOf(other, {"claim", "control 40"}), QStringList{});
    }

    void gadgetWithoutSerialIsPassedOverQuietly()
    {
        EmulatedBridge &varnex = m_bed->addBridge();
        m_bed->addBridge({.serial = ""});
        UsbLink &usb = link();
        BridgeStatus first = -1;
        BridgeStatus second = -1;
        const QStringList serials{usb.deviceString(0, SerialNumberString, &first),
                                  usb.deviceString(1, SerialNumberString, &second)};
        QCOMPARE(QSet<QString>(serials.begin(), serials.end()), QSet<QString>({"", "2020"}));
        QCOMPARE(first, BridgeSuccess);
        QCOMPARE(second, BridgeSuccess);
        QVERIFY(usb.connection.openDevice());
        QVERIFY(varnex.isEnabled());
        QCOMPARE(usb.sink.messages, QStringList{});
    }

    void serialDriverIsDetachedOnceAndGivenBackAtTheEnd_data()
    {
        QTest::addColumn<bool>("bound");
        QTest::newRow("serial driver bound") << true;
        QTest::newRow("no driver") << false;
    }
    void serialDriverIsDetachedOnceAndGivenBackAtTheEnd()
    {
        QFETCH(bool, bound);
        EmulatedBridge &bridge = m_bed->addBridge({.serialDriverBound = bound});
        UsbLink &usb = link();
        for (int action = 0; action < 3; ++action) {
            QVERIFY(usb.connection.openDevice());
            usb.connection.closeDevice();
            // Between actions the interface stays free: no driver comes and goes.
            QCOMPARE(bridge.interfaceDriver(), QString());
        }
        QCOMPARE(linesOf(bridge, {"disconnect"}).size(), bound ? 1 : 0);
        QCOMPARE(linesOf(bridge, {"connect"}), QStringList{});
        m_link.reset();
        QCOMPARE(linesOf(bridge, {"connect"}), bound ? QStringList{"connect 0"} : QStringList{});
        QCOMPARE(bridge.interfaceDriver(), bound ? QStringLiteral("cp210x") : QString());
    }

    void unpluggedBridgeIsLeftAlone()
    {
        EmulatedBridge &bridge = m_bed->addBridge();
        UsbLink &usb = link();
        QVERIFY(usb.connection.openDevice());
        m_bed->unplug(bridge);
        // The check that nothing waits before the frame is the first to find out.
        QTest::ignoreMessage(QtWarningMsg,
                             "USB bridge: checking for received data failed: device disconnected");
        quint8 reply[ReadReplyLength] = {};
        QCOMPARE(
            usb.connection.exchange(reply, edidReadFrame(EdidAddress, 0), ReadReplyLength).outcome,
            TransactResult::Failed);
        QCOMPARE(usb.sink.messages.size(), 1);
        const int refused = linesOf(bridge, {"refused"}).size();
        QVERIFY(refused >= 1);

        // Every later call fails at once, without asking the device.
        const BridgeHandle handle = usb.connection.handle();
        quint32 count = 0;
        quint32 queueStatus = 0;
        QVERIFY(usb.library().write(handle, reply, 4, &count) != BridgeSuccess);
        QVERIFY(usb.library().checkRxQueue(handle, &count, &queueStatus) != BridgeSuccess);
        QVERIFY(usb.library().read(handle, reply, 4, &count) != BridgeSuccess);
        QVERIFY(usb.library().flushBuffers(handle, 1, 1) != BridgeSuccess);
        usb.connection.closeDevice();
        QCOMPARE(linesOf(bridge, {"refused"}).size(), refused);
        // Closing a device that has gone is no failure of its own.
        QCOMPARE(usb.sink.messages.size(), 1);
    }

    void goneBridgeHasNoLinkName()
    {
        EmulatedBridge &bridge = m_bed->addBridge();
        UsbLink &usb = link();
        quint32 count = 0;
        QCOMPARE(usb.library().getDeviceCount(&count), BridgeSuccess);
        QCOMPARE(count, 1u);
        m_bed->unplug(bridge);
        BridgeStatus status = BridgeSuccess;
        usb.deviceString(0, LinkNameString, &status);
        QVERIFY(status != BridgeSuccess);
    }

    void lateReplyIsFlushedAtTheNextOpen()
    {
        m_bed->addBridge();
        UsbLink &usb = link();
        QVERIFY(usb.connection.openDevice());
        // A reply that nobody reads waits in the device when the action ends.
        const CommandFrame read = edidReadFrame(EdidAddress, 0x00);
        quint32 written = 0;
        QCOMPARE(usb.library().write(usb.connection.handle(), read.data(), quint32(read.size()),
                                     &written),
                 BridgeSuccess);
        usb.connection.closeDevice();

        QVERIFY(usb.connection.openDevice());
        quint8 reply[StatusReplyLength] = {};
        QCOMPARE(
            usb.connection.exchange(reply, statusFrame(EdidAddress), StatusReplyLength).outcome,
            TransactResult::Replied);
        SimulatedSplitter reference;
        reference.answer(read);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(reply), StatusReplyLength),
                 *reference.answer(statusFrame(EdidAddress)).reply);
    }

    void fullPacketIsEndedByAZeroLengthPacket()
    {
        EmulatedBridge &bridge = m_bed->addBridge();
        UsbLink &usb = link();
        QVERIFY(usb.connection.openDevice());
        bridge.clearLog();
        const QByteArray block(64, '\x5A');
        quint32 written = 0;
        QCOMPARE(usb.library().write(usb.connection.handle(),
                                     reinterpret_cast<const quint8 *>(block.constData()),
                                     quint32(block.size()), &written),
                 BridgeSuccess);
        QCOMPARE(written, 64u);
        QCOMPARE(linesOf(bridge, {"out"}), QStringList({"out 01 64", "out 01 0"}));
        // Only the zero-length packet tells the bridge that the block is complete.
        QCOMPARE(bridge.frames(), QList<QByteArray>{block});
    }
};

QTEST_GUILESS_MAIN(EmulatedUsbTest)
#include "tst_emulatedusb.moc"
