// The EDID read, write and mode sequences against the simulated Varnex.
#include "EdidTransfers.h"
#include "SimulatedRig.h"

#include <QElapsedTimer>
#include <QTest>

using namespace varnex::device;
using namespace varnex::device::sim;
using namespace varnex::edid;

namespace {

using Progress = QList<QPair<int, int>>;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

EdidImage countingImage(int start)
{
    EdidImage image;
    for (int i = 0; i < EdidImageSize; ++i)
        image[std::size_t(i)] = quint8(start + i);
    return image;
}

} // namespace

class TstTransfers : public QObject
{
    Q_OBJECT

private slots:
    void readSendsSixteenChunksThenStatus()
    {
        DeviceSettings settings;
        SimulatedRig rig(settings);
        QVERIFY(rig.connection.openDevice());
        rig.sim.clearCalls();
        Progress progress;
        const EdidReadResult result =
            readEdidTable(rig.connection, 0xA0, [&](int value, int maximum) {
                progress.append({value, maximum});
            });

        QList<QByteArray> expected;
        Progress expectedProgress;
        for (int offset = 0; offset < 256; offset += 16) {
            expected << (hex("1110A0") + char(offset));
            expectedProgress.append({offset, 255});
        }
        expected << hex("0210A0F000000000");
        QCOMPARE(rig.sim.writtenFrames(), expected);
        QCOMPARE(progress, expectedProgress);
        QCOMPARE(result.firstMissingOffset(), -1);
        QVERIFY(result.image == rig.sim.splitter().memory(0xA0));
        QVERIFY(rig.sink.messages.isEmpty());
    }

    void readUsesTheSelectedAddress()
    {
        DeviceSettings settings;
        SimulatedRig rig(settings);
        rig.sim.splitter().setMemory(0xB2, EdidMemory{});
        QVERIFY(rig.connection.openDevice());
        rig.sim.clearCalls();
        const EdidReadResult result = readEdidTable(rig.connection, 0xB2, [](int, int) {});
        QCOMPARE(rig.sim.writtenFrames().first(), hex("1110B200"));
        QCOMPARE(rig.sim.writtenFrames().last(), hex("0210B2F000000000"));
        QVERIFY(result.image == EdidImage{});
    }

    // A chunk that does not come in full is missing; it never shows the bytes
    // of the chunk before it.
    void readReportsLostChunks_data()
    {
        QTest::addColumn<int>("answeredFrames");
        QTest::addColumn<int>("failingRead");
        QTest::addColumn<int>("replyLimit");
        QTest::addColumn<int>("firstMissing");
        QTest::newRow("silent from the sixth chunk") << 5 << 0 << -1 << 0x50;
        QTest::newRow("silent from the start") << 0 << 0 << -1 << 0x00;
        QTest::newRow("third read call fails") << -1 << 3 << -1 << 0x20;
        QTest::newRow("short replies") << -1 << 0 << 8 << 0x00;
        QTest::newRow("only the status request is lost") << 16 << 0 << -1 << -1;
    }

    void readReportsLostChunks()
    {
        QFETCH(int, answeredFrames);
        QFETCH(int, failingRead);
        QFETCH(int, replyLimit);
        QFETCH(int, firstMissing);
        DeviceSettings settings;
        SimulatedRig rig(settings);
        QVERIFY(rig.connection.openDevice());
        if (answeredFrames >= 0)
            rig.sim.stopAnsweringAfter(answeredFrames);
        if (failingRead > 0)
            rig.sim.failCall(BridgeOperation::Read, failingRead);
        if (replyLimit >= 0)
            rig.sim.limitReplies(replyLimit);

        const EdidReadResult result = readEdidTable(rig.connection, 0xA0, [](int, int) {});
        QCOMPARE(result.firstMissingOffset(), firstMissing);
        QCOMPARE(rig.sim.writtenFrames().size(), 17);
        // Chunks before the first lost one are the splitter's bytes; the lost
        // one stays zero. After a loss the reply stream may be out of step, so
        // nothing later is trusted: the read as a whole is incomplete.
        const EdidImage memory = rig.sim.splitter().memory(0xA0);
        const int lastChecked = firstMissing < 0 ? EdidImageSize : firstMissing + 16;
        for (int i = 0; i < lastChecked; ++i) {
            const quint8 expected =
                i < firstMissing || firstMissing < 0 ? memory[std::size_t(i)] : 0;
            QCOMPARE(result.image[std::size_t(i)], expected);
        }
    }

    void writeSendsThirtyTwoFramesEachFollowedByThePause()
    {
        DeviceSettings settings;
        SimulatedRig rig(settings);
        const EdidImage image = countingImage(7);
        QVERIFY(rig.connection.openDevice());
        rig.sim.clearCalls();
        Progress progress;
        const EdidWriteResult result =
            writeEdidTable(rig.connection, 0xA0, image, [&](int value, int maximum) {
                progress.append({value, maximum});
            });

        const QList<QByteArray> frames = rig.sim.writtenFrames();
        QCOMPARE(frames.size(), 32);
        for (int i = 0; i < 32; ++i) {
            QByteArray expected = hex("100CA0") + char(8 * i);
            expected += QByteArray(reinterpret_cast<const char *>(image.data()) + 8 * i, 8);
            QCOMPARE(frames[i], expected);
            QCOMPARE(progress[i], qMakePair(i, 32));
        }
        QCOMPARE(rig.pauses, QList<quint32>(32, 50));
        QList<int> framesAtPause;
        for (int i = 1; i <= 32; ++i)
            framesAtPause << i;
        QCOMPARE(rig.framesAtPause, framesAtPause);
        QCOMPARE(result.firstFailedOffset(), -1);
        QVERIFY(rig.sim.splitter().memory(0xA0) == image);
    }

    // Every frame is still sent after a failure; the first failed offset is reported.
    void writeReportsFailedFrames_data()
    {
        QTest::addColumn<int>("answeredFrames");
        QTest::addColumn<int>("failingWrite");
        QTest::addColumn<int>("failingRead");
        QTest::addColumn<int>("firstFailed");
        QTest::newRow("fourth write call fails") << -1 << 4 << 0 << 0x18;
        QTest::newRow("silent after ten frames") << 10 << 0 << 0 << 0x50;
        QTest::newRow("last reply cannot be read") << -1 << 0 << 32 << 0xF8;
    }

    void writeReportsFailedFrames()
    {
        QFETCH(int, answeredFrames);
        QFETCH(int, failingWrite);
        QFETCH(int, failingRead);
        QFETCH(int, firstFailed);
        DeviceSettings settings;
        SimulatedRig rig(settings);
        QVERIFY(rig.connection.openDevice());
        if (answeredFrames >= 0)
            rig.sim.stopAnsweringAfter(answeredFrames);
        if (failingWrite > 0)
            rig.sim.failCall(BridgeOperation::Write, failingWrite);
        if (failingRead > 0)
            rig.sim.failCall(BridgeOperation::Read, failingRead);

        const EdidWriteResult result =
            writeEdidTable(rig.connection, 0xA0, countingImage(0), [](int, int) {});
        QCOMPARE(result.firstFailedOffset(), firstFailed);
        QCOMPARE(rig.count(BridgeOperation::Write), 32);
        QCOMPARE(rig.pauses.size(), 32);
    }

    // The one test that lets the real pause run: 32 frames take at least 1.6 s.
    void writeReallyPauses()
    {
        DeviceSettings settings;
        SimulatedVarnex sim;
        RecordingMessageSink sink;
        UsbBridge bridge(sim, sink);
        DeviceConnection connection(bridge, settings, StepClock().function());
        QVERIFY(connection.openDevice());
        QElapsedTimer timer;
        timer.start();
        const EdidWriteResult result =
            writeEdidTable(connection, 0xA0, countingImage(1), [](int, int) {});
        QVERIFY(timer.elapsed() >= qint64(WriteFrameCount * WriteFramePauseMs));
        QCOMPARE(result.firstFailedOffset(), -1);
    }

    void modeRequests_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("selector");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("reply");
        QTest::addColumn<int>("modeAfter");
        const int custom = int(SplitterMode::Custom);
        const int automix = int(SplitterMode::Automix);
        QTest::newRow("query in AUTOMIX")
            << automix << int(ModeSelector::Query) << hex("1101D2") << 1 << automix;
        QTest::newRow("query in CUSTOM")
            << custom << int(ModeSelector::Query) << hex("1101D2") << 0 << custom;
        QTest::newRow("select CUSTOM")
            << automix << int(ModeSelector::SelectCustom) << hex("1101D0") << -1 << custom;
        QTest::newRow("select AUTOMIX")
            << custom << int(ModeSelector::SelectAutomix) << hex("1101D1") << -1 << automix;
        QTest::newRow("select CUSTOM again")
            << custom << int(ModeSelector::SelectCustom) << hex("1101D0") << -1 << custom;
    }

    void modeRequests()
    {
        QFETCH(int, mode);
        QFETCH(int, selector);
        QFETCH(QByteArray, frame);
        QFETCH(int, reply);
        QFETCH(int, modeAfter);
        DeviceSettings settings;
        SimulatedRig rig(settings);
        rig.sim.splitter().setMode(SplitterMode(mode));
        QVERIFY(rig.connection.openDevice());
        rig.sim.clearCalls();

        const ModeRequestResult result = sendModeFrame(rig.connection, ModeSelector(selector));
        QCOMPARE(rig.sim.writtenFrames(), QList<QByteArray>{frame});
        QVERIFY(result.replied);
        if (reply >= 0)
            QCOMPARE(int(result.reply), reply);
        QCOMPARE(int(rig.sim.splitter().mode()), modeAfter);
    }

    void silentModeQueryHasNoReply()
    {
        DeviceSettings settings;
        SimulatedRig rig(settings);
        rig.sim.splitter().setMode(SplitterMode::Custom);
        QVERIFY(rig.connection.openDevice());
        rig.sim.stopAnsweringAfter(0);
        const ModeRequestResult result = sendModeFrame(rig.connection, ModeSelector::Query);
        QVERIFY(!result.replied);
        QVERIFY(rig.sink.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstTransfers)
#include "tst_transfers.moc"
