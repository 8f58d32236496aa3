#include "CommandFrame.h"
#include "sim/DefaultEdid.h"
#include "sim/SimulatedVarnex.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace varnex::device;
using namespace varnex::device::sim;

namespace {

QByteArray toBytes(const CommandFrame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size()));
}

QByteArray memoryBytes(const EdidMemory &memory, int offset, int length)
{
    return QByteArray(reinterpret_cast<const char *>(memory.data()) + offset, length);
}

BridgeHandle openFirst(SimulatedVarnex &sim)
{
    BridgeHandle handle = NoDeviceHandle;
    if (sim.open(0, &handle) != BridgeSuccess)
        return NoDeviceHandle;
    return handle;
}

quint32 waiting(SimulatedVarnex &sim, BridgeHandle handle)
{
    quint32 count = 0;
    quint32 status = 0;
    if (sim.checkRxQueue(handle, &count, &status) != BridgeSuccess)
        return 0xFFFFFFFF;
    return count;
}

// Writes a frame and takes whatever reply waits afterwards.
QByteArray exchange(SimulatedVarnex &sim, BridgeHandle handle, const QByteArray &frame)
{
    quint32 written = 0;
    if (sim.write(handle, reinterpret_cast<const quint8 *>(frame.constData()),
                  quint32(frame.size()), &written) != BridgeSuccess)
        return "write failed";
    QByteArray reply(256, '\0');
    quint32 returned = 0;
    if (sim.read(handle, reinterpret_cast<quint8 *>(reply.data()), 256, &returned) != BridgeSuccess)
        return "read failed";
    return reply.left(returned);
}

// A state file of several splitters holding `records`.
QByteArray splittersFile(const QList<QByteArray> &records)
{
    QByteArray file("VNXSIMS1");
    for (const QByteArray &record : records) {
        const auto length = quint32(record.size());
        for (int shift = 24; shift >= 0; shift -= 8)
            file.append(char((length >> shift) & 0xFF));
        file.append(record);
    }
    return file;
}

QList<SimulatedBridgeDevice> varnexes(int count)
{
    return QList<SimulatedBridgeDevice>(count, SimulatedBridgeDevice{});
}

quint8 blockSum(const EdidMemory &edid, int block)
{
    quint8 sum = 0;
    for (int i = 128 * block; i < 128 * (block + 1); ++i)
        sum = quint8(sum + edid[std::size_t(i)]);
    return sum;
}

} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void defaultEdidIsValid();
    void answersEachFrame_data();
    void answersEachFrame();
    void writeIsReadBack();
    void modeFollowsSelections();
    void statusCountsReadings();
    void replyWaitsUntilReadOrFlushed();
    void rejectsCallsOnForeignHandles();
    void stopsAnsweringAfterFrames();
    void lengthenedReplyRepeatsItself_data();
    void lengthenedReplyRepeatsItself();
    void unpluggedBridgeFailsEveryCallButClose();
    void stateFileIsCreatedAndKept_data();
    void stateFileIsCreatedAndKept();
    void corruptStateFileFallsBackToDefaults_data();
    void corruptStateFileFallsBackToDefaults();
    void unwritableStateFileIsReported();
    void traceHasOneLinePerCall();
};

void TestSimulator::defaultEdidIsValid()
{
    const EdidMemory edid = defaultSimulatedEdid();
    QCOMPARE(memoryBytes(edid, 0, 8), QByteArray::fromHex("00FFFFFFFFFFFF00"));
    QCOMPARE(blockSum(edid, 0), quint8(0));
    QCOMPARE(blockSum(edid, 1), quint8(0));
    QCOMPARE(edid[18], quint8(1));                    // EDID version 1
    QVERIFY(edid[19] == 3 || edid[19] == 4);          // revision 3 or 4
    QCOMPARE(edid[126], quint8(1));                   // one extension
    QCOMPARE(edid[128], quint8(0x02));                // CTA-861 tag
    QVERIFY(edid[8] != 0 || edid[9] != 0);            // a manufacturer id
    QCOMPARE(edid, SimulatedSplitter().memory(0xA0)); // the simulator starts with it
}

void TestSimulator::answersEachFrame_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("reply");

    const EdidMemory edid = defaultSimulatedEdid();
    QTest::newRow("first EDID chunk")
        << toBytes(edidReadFrame(0xA0, 0x00)) << memoryBytes(edid, 0x00, 16);
    QTest::newRow("last EDID chunk")
        << toBytes(edidReadFrame(0xA0, 0xF0)) << memoryBytes(edid, 0xF0, 16);
    QTest::newRow("unaligned chunk")
        << toBytes(edidReadFrame(0xA0, 0x73)) << memoryBytes(edid, 0x73, 16);
    QTest::newRow("never written memory")
        << toBytes(edidReadFrame(0xB0, 0x00)) << QByteArray(16, char(0xFF));
    QTest::newRow("status before any read") << toBytes(statusFrame(0xA0)) << QByteArray(10, '\0');
    const std::array<quint8, 8> data = {1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("write") << toBytes(writeFrame(0xA0, 0x08, data)) << QByteArray(5, '\0');
    QTest::newRow("mode query, AUTOMIX at start")
        << toBytes(modeFrame(ModeSelector::Query)) << QByteArray::fromHex("01");
    QTest::newRow("select CUSTOM")
        << toBytes(modeFrame(ModeSelector::SelectCustom)) << QByteArray::fromHex("00");
    QTest::newRow("select AUTOMIX")
        << toBytes(modeFrame(ModeSelector::SelectAutomix)) << QByteArray::fromHex("01");
    QTest::newRow("four-byte read: ignored")
        << toBytes(readFrame(0x41, 0x10, 0xA0, 0)) << QByteArray();
    QTest::newRow("unknown bytes: ignored") << QByteArray::fromHex("7777") << QByteArray();
}

void TestSimulator::answersEachFrame()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, reply);

    SimulatedVarnex sim;
    const BridgeHandle handle = openFirst(sim);
    QCOMPARE(exchange(sim, handle, frame).toHex(' '), reply.toHex(' '));
}

void TestSimulator::writeIsReadBack()
{
    SimulatedVarnex sim;
    const BridgeHandle handle = openFirst(sim);
    const std::array<quint8, 8> data = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x0A, 0x7F, 0x80};

    exchange(sim, handle, toBytes(writeFrame(0xB2, 0xF8, data)));
    QCOMPARE(exchange(sim, handle, toBytes(edidReadFrame(0xB2, 0xF0))),
             QByteArray(8, char(0xFF)) + QByteArray::fromHex("DEADBEEF000A7F80"));
    // Other memories are untouched.
    QCOMPARE(sim.splitter().memory(0xA0), defaultSimulatedEdid());
}

void TestSimulator::modeFollowsSelections()
{
    SimulatedVarnex sim;
    const BridgeHandle handle = openFirst(sim);
    const QByteArray query = toBytes(modeFrame(ModeSelector::Query));

    exchange(sim, handle, toBytes(modeFrame(ModeSelector::SelectCustom)));
    QCOMPARE(exchange(sim, handle, query), QByteArray::fromHex("00"));
    QCOMPARE(sim.splitter().mode(), SplitterMode::Custom);
    exchange(sim, handle, toBytes(modeFrame(ModeSelector::SelectAutomix)));
    QCOMPARE(exchange(sim, handle, query), QByteArray::fromHex("01"));
}

void TestSimulator::statusCountsReadings()
{
    SimulatedVarnex sim;
    sim.splitter().setReadErrors(2);
    const BridgeHandle handle = openFirst(sim);
    for (quint8 offset : {0x00, 0x10, 0x20})
        exchange(sim, handle, toBytes(edidReadFrame(0xA0, offset)));

    const QByteArray status = exchange(sim, handle, toBytes(statusFrame(0xA0)));
    QCOMPARE(status.size(), 10);
    QCOMPARE(quint8(status[0]), quint8(2));
    QCOMPARE(quint8(status[1]), quint8(3));
}

void TestSimulator::replyWaitsUntilReadOrFlushed()
{
    SimulatedVarnex sim;
    const BridgeHandle handle = openFirst(sim);
    const QByteArray frame = toBytes(edidReadFrame(0xA0, 0));
    quint32 written = 0;
    QCOMPARE(waiting(sim, handle), 0u);

    sim.write(handle, reinterpret_cast<const quint8 *>(frame.constData()), 4, &written);
    QCOMPARE(written, 4u);
    QCOMPARE(waiting(sim, handle), 16u);
    quint8 part[10];
    quint32 returned = 0;
    QCOMPARE(sim.read(handle, part, 10, &returned), BridgeSuccess);
    QCOMPARE(returned, 10u);
    QCOMPARE(waiting(sim, handle), 6u);

    QCOMPARE(sim.flushBuffers(handle, 1, 0), BridgeSuccess);
    QCOMPARE(waiting(sim, handle), 6u);
    QCOMPARE(sim.flushBuffers(handle, 0, 1), BridgeSuccess);
    QCOMPARE(waiting(sim, handle), 0u);
}

void TestSimulator::rejectsCallsOnForeignHandles()
{
    SimulatedVarnex sim;
    const BridgeHandle handle = openFirst(sim);
    BridgeHandle second = NoDeviceHandle;
    QVERIFY(sim.open(0, &second) != BridgeSuccess); // one handle at a time
    QCOMPARE(second, NoDeviceHandle);
    QVERIFY(sim.open(1, &second) != BridgeSuccess); // no such device

    QCOMPARE(sim.close(handle), BridgeSuccess);
    QVERIFY(sim.close(handle) != BridgeSuccess);
    QCOMPARE(waiting(sim, handle), 0xFFFFFFFFu);
    QVERIFY(sim.flushBuffers(NoDeviceHandle, 1, 1) != BridgeSuccess);
}

void TestSimulator::stopsAnsweringAfterFrames()
{
    SimulatedVarnex sim;
    sim.stopAnsweringAfter(2);
    const BridgeHandle handle = openFirst(sim);
    const QByteArray query = toBytes(modeFrame(ModeSelector::Query));

    QCOMPARE(exchange(sim, handle, query).size(), 1);
    QCOMPARE(exchange(sim, handle, query).size(), 1);
    QCOMPARE(exchange(sim, handle, query).size(), 0);
    QCOMPARE(exchange(sim, handle, toBytes(modeFrame(ModeSelector::SelectCustom))).size(), 0);
    // An ignored frame changes nothing.
    QCOMPARE(sim.splitter().mode(), SplitterMode::Automix);
}

void TestSimulator::lengthenedReplyRepeatsItself_data()
{
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray chunk = memoryBytes(defaultSimulatedEdid(), 0x20, 16);
    const QByteArray query = toBytes(modeFrame(ModeSelector::Query));
    QTest::newRow("one byte") << 1 << -1 << toBytes(edidReadFrame(0xA0, 0x20))
                              << chunk + chunk.left(1);
    QTest::newRow("more than the reply") << 3 << -1 << query << QByteArray(4, '\1');
    QTest::newRow("then cut") << 4 << 18 << toBytes(edidReadFrame(0xA0, 0x20))
                              << chunk + chunk.left(2);
}

void TestSimulator::lengthenedReplyRepeatsItself()
{
    QFETCH(int, extra);
    QFETCH(int, limit);
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, reply);

    SimulatedVarnex sim;
    sim.lengthenReplies(extra);
    sim.limitReplies(limit);
    const BridgeHandle handle = openFirst(sim);
    QCOMPARE(exchange(sim, handle, frame), reply);
}

void TestSimulator::unpluggedBridgeFailsEveryCallButClose()
{
    SimulatedVarnex sim;
    sim.unplugAfter(2);
    const BridgeHandle handle = openFirst(sim);
    const QByteArray query = toBytes(modeFrame(ModeSelector::Query));
    const QByteArray custom = toBytes(modeFrame(ModeSelector::SelectCustom));

    QCOMPARE(exchange(sim, handle, query).size(), 1);
    // The second frame goes out, then the bridge is gone: its reply is never read.
    QCOMPARE(exchange(sim, handle, query), QByteArray("read failed"));
    QCOMPARE(waiting(sim, handle), 0xFFFFFFFFu);
    QCOMPARE(exchange(sim, handle, custom), QByteArray("write failed"));
    QCOMPARE(sim.splitter().mode(), SplitterMode::Automix);
    QVERIFY(sim.flushBuffers(handle, 1, 1) != BridgeSuccess);
    quint32 count = 0;
    QVERIFY(sim.getDeviceCount(&count) != BridgeSuccess);
    char text[DeviceStringBufferSize] = {};
    QVERIFY(sim.getDeviceString(0, text, SerialNumberString) != BridgeSuccess);

    QCOMPARE(sim.close(handle), BridgeSuccess);
    QVERIFY(!sim.isOpen(0));
    BridgeHandle again = NoDeviceHandle;
    QVERIFY(sim.open(0, &again) != BridgeSuccess);
}

void TestSimulator::stateFileIsCreatedAndKept_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<int>("changed"); // the device written to and put in CUSTOM mode
    QTest::addColumn<int>("devicesNext");

    QTest::newRow("one splitter") << 1 << 0 << 1;
    QTest::newRow("second of two") << 2 << 1 << 2;
    QTest::newRow("first of three") << 3 << 0 << 3;
    QTest::newRow("one-splitter file, two splitters") << 1 << 0 << 2;
    QTest::newRow("more splitters in the file") << 3 << 1 << 2;
}

// Each splitter keeps its own memories and mode, in memory and in the file.
void TestSimulator::stateFileIsCreatedAndKept()
{
    QFETCH(int, devices);
    QFETCH(int, changed);
    QFETCH(int, devicesNext);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.bin"));
    const std::array<quint8, 8> data = {9, 8, 7, 6, 5, 4, 3, 2};
    EdidMemory written = defaultSimulatedEdid();
    std::copy(data.begin(), data.end(), written.begin() + 0x10);
    {
        SimulatedVarnex sim(varnexes(devices));
        QString error;
        QVERIFY2(sim.useStateFile(path, &error), qPrintable(error));
        QVERIFY(QFile::exists(path));
        BridgeHandle handle = NoDeviceHandle;
        QCOMPARE(sim.open(quint32(changed), &handle), BridgeSuccess);
        exchange(sim, handle, toBytes(writeFrame(0xA0, 0x10, data)));
        exchange(sim, handle, toBytes(modeFrame(ModeSelector::SelectCustom)));
        for (int i = 0; i < devices; ++i)
            QCOMPARE(sim.splitter(quint32(i)).memory(0xA0),
                     i == changed ? written : defaultSimulatedEdid());
    }
    SimulatedVarnex next(varnexes(devicesNext));
    QVERIFY(next.useStateFile(path, nullptr));
    for (int i = 0; i < devicesNext; ++i) {
        QCOMPARE(next.splitter(quint32(i)).mode(),
                 i == changed ? SplitterMode::Custom : SplitterMode::Automix);
        QCOMPARE(next.splitter(quint32(i)).memory(0xA0),
                 i == changed ? written : defaultSimulatedEdid());
    }
}

void TestSimulator::corruptStateFileFallsBackToDefaults_data()
{
    QTest::addColumn<QByteArray>("content");

    const QByteArray valid = SimulatedSplitter().saveState();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("magic only") << valid.left(8);
    QTest::newRow("wrong magic") << QByteArray("XXXXXXXX") + valid.mid(8);
    QTest::newRow("unknown mode") << valid.left(8) + char(7) + valid.mid(9);
    QTest::newRow("truncated memory") << valid.chopped(1);
    QTest::newRow("trailing byte") << valid + char(0);
    QTest::newRow("text") << QByteArray("not a state file\n");
    QTest::newRow("several: no splitter") << splittersFile({});
    QTest::newRow("several: record cut") << splittersFile({valid}).chopped(1);
    QTest::newRow("several: length cut") << splittersFile({valid}) + char(0);
    QTest::newRow("several: bad record") << splittersFile({valid, valid.left(8)});
}

void TestSimulator::corruptStateFileFallsBackToDefaults()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("state.bin"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    SimulatedVarnex sim;
    sim.splitter().setMode(SplitterMode::Custom); // must be reset to the defaults
    QVERIFY(sim.useStateFile(path, nullptr));
    QCOMPARE(sim.splitter().mode(), SplitterMode::Automix);
    QCOMPARE(sim.splitter().memory(0xA0), defaultSimulatedEdid());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), SimulatedSplitter().saveState());
}

void TestSimulator::unwritableStateFileIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/dir/state.bin"));
    SimulatedVarnex sim;
    QString error;
    QVERIFY(!sim.useStateFile(path, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
}

void TestSimulator::traceHasOneLinePerCall()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    {
        SimulatedVarnex sim;
        QVERIFY(sim.useTraceFile(path, nullptr));
        const BridgeHandle handle = openFirst(sim);
        exchange(sim, handle, toBytes(edidReadFrame(0xA0, 0x20)));
    }
    {
        // A second run appends.
        SimulatedVarnex sim;
        QVERIFY(sim.useTraceFile(path, nullptr));
        quint32 count = 0;
        sim.getDeviceCount(&count);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 5); // open, write, read, count, and the empty rest
    QVERIFY(lines[0].startsWith("open "));
    QVERIFY2(lines[1].startsWith("write ") && lines[1].contains("bytes=11 10 A0 20"),
             lines[1].constData());
    QVERIFY2(lines[2].startsWith("read ") && lines[2].contains("length=256"), lines[2].constData());
    QVERIFY(lines[3].startsWith("getDeviceCount"));
    QVERIFY(lines[4].isEmpty());
}

QTEST_APPLESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
