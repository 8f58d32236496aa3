// The EDID read, write and mode sequences against the simulated Varnex.
#include "DeviceSettings.h"
#include "EdidTransfers.h"
#include "SimulatedRig.h"

#include <QElapsedTimer>
#include <QTest>

using namespace varnex::device;
using namespace varnex::device::sim;
using namespace varnex::edid;
using namespace varnex::splitter;

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

    // A chunk that does not come exactly is missing and ends the read; it
    // never shows the bytes of another chunk.
    void readReportsLostChunks_data()
    {
        QTest::addColumn<int>("answeredFrames");
        QTest::addColumn<int>("failingRead");
        QTest::addColumn<int>("replyLimit");
        QTest::addColumn<int>("longerBy");  // every reply
        QTest::addColumn<int>("longFrame"); // only this frame's reply (from 1) a byte longer
        QTest::addColumn<int>("unplugAfter");
        QTest::addColumn<int>("firstMissing");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        QTest::newRow("silent from the sixth chunk")
            << 5 << 0 << -1 << 0 << 0 << -1 << 0x50 << none;
        QTest::newRow("silent from the start") << 0 << 0 << -1 << 0 << 0 << -1 << 0x00 << none;
        QTest::newRow("third read call fails")
            << -1 << 3 << -1 << 0 << 0 << -1 << 0x20 << QStringList{"Error Reading Data"};
        QTest::newRow("short replies") << -1 << 0 << 8 << 0 << 0 << -1 << 0x00 << none;
        QTest::newRow("replies a byte longer") << -1 << 0 << -1 << 1 << 0 << -1 << 0x00 << none;
        QTest::newRow("third reply a byte longer") << -1 << 0 << -1 << 0 << 3 << -1 << 0x20 << none;
        QTest::newRow("last reply a byte longer") << -1 << 0 << -1 << 0 << 16 << -1 << 0xF0 << none;
        QTest::newRow("unplugged after three frames")
            << -1 << 0 << -1 << 0 << 0 << 3 << 0x20 << QStringList{"Error Checking Queue"};
        QTest::newRow("only the status request is lost")
            << 16 << 0 << -1 << 0 << 0 << -1 << -1 << none;
    }

    void readReportsLostChunks()
    {
        QFETCH(int, answeredFrames);
        QFETCH(int, failingRead);
        QFETCH(int, replyLimit);
        QFETCH(int, longerBy);
        QFETCH(int, longFrame);
        QFETCH(int, unplugAfter);
        QFETCH(int, firstMissing);
        QFETCH(QStringList, messages);
        DeviceSettings settings;
        SimulatedRig rig(settings);
        QVERIFY(rig.connection.openDevice());
        if (answeredFrames >= 0)
            rig.sim.stopAnsweringAfter(answeredFrames);
        if (failingRead > 0)
            rig.sim.failCall(BridgeOperation::Read, failingRead);
        if (replyLimit >= 0)
            rig.sim.limitReplies(replyLimit);
        if (unplugAfter >= 0)
            rig.sim.unplugAfter(unplugAfter);
        rig.sim.lengthenReplies(longerBy);
        int frames = 0;
        rig.probe.onWrite = [&](const quint8 *, quint32) {
            if (longFrame > 0)
                rig.sim.lengthenReplies(++frames == longFrame ? 1 : 0);
        };

        const EdidReadResult result = readEdidTable(rig.connection, 0xA0, [](int, int) {});
        rig.connection.closeDevice();
        QCOMPARE(result.firstMissingOffset(), firstMissing);
        // The read ends at the lost chunk; the status request follows a whole table only.
        QCOMPARE(rig.sim.writtenFrames().size(), firstMissing < 0 ? 17 : firstMissing / 16 + 1);
        // One message at most, and none from the close.
        QCOMPARE(rig.sink.messages, messages);
        // The chunks before the lost one are the splitter's bytes, the rest
        // stays zero: never a shifted table.
        const EdidImage memory = rig.sim.splitter().memory(0xA0);
        const int kept = firstMissing < 0 ? EdidImageSize : firstMissing;
        for (int i = 0; i < EdidImageSize; ++i)
            QCOMPARE(result.image[std::size_t(i)], quint8(i < kept ? memory[std::size_t(i)] : 0));
    }

    // A reply repeated after the check behind it, which every later chunk
    // would take for its own, ends the sequence at the next request.
    void lateRepeatedReplyEndsTheSequence_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("repeatedFrame");
        QTest::addColumn<int>("failedOffset");
        QTest::addColumn<bool>("outOfStep");
        QTest::addColumn<int>("framesWritten");
        QTest::newRow("read, fourth chunk") << false << 4 << 0x40 << false << 4;
        // Only the status request sees it: the whole table is in doubt.
        QTest::newRow("read, last chunk") << false << 16 << 0x00 << true << 16;
        QTest::newRow("read, status reply") << false << 17 << -1 << false << 17;
        QTest::newRow("write, fifth frame") << true << 5 << 0x28 << false << 5;
        QTest::newRow("write, last frame") << true << 32 << -1 << false << 32;
    }

    void lateRepeatedReplyEndsTheSequence()
    {
        QFETCH(bool, write);
        QFETCH(int, repeatedFrame);
        QFETCH(int, failedOffset);
        QFETCH(bool, outOfStep);
        QFETCH(int, framesWritten);
        DeviceSettings settings;
        SimulatedRig rig(settings);
        QVERIFY(rig.connection.openDevice());
        rig.sim.repeatReplyLate(repeatedFrame);

        if (write) {
            const EdidWriteResult result =
                writeEdidTable(rig.connection, 0xA0, countingImage(0), [](int, int) {});
            QCOMPARE(result.firstFailedOffset(), failedOffset);
            QCOMPARE(result.framesSent, framesWritten);
        } else {
            const EdidReadResult result = readEdidTable(rig.connection, 0xA0, [](int, int) {});
            QCOMPARE(result.firstMissingOffset(), failedOffset);
            QCOMPARE(result.outOfStep, outOfStep);
            if (outOfStep)
                QVERIFY(result.image == EdidImage{});
        }
        QCOMPARE(rig.sim.writtenFrames().size(), framesWritten);
        QVERIFY(rig.sink.messages.isEmpty());
    }

    // A silent Varnex costs one time-out, not one per request.
    void silentDeviceCostsOneTimeOut_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("answeredFrames");
        QTest::newRow("read, silent at once") << false << 0;
        QTest::newRow("read, silent from the sixth chunk") << false << 5;
        QTest::newRow("write, silent at once") << true << 0;
        QTest::newRow("write, silent from the eleventh frame") << true << 10;
    }

    void silentDeviceCostsOneTimeOut()
    {
        QFETCH(bool, write);
        QFETCH(int, answeredFrames);
        DeviceSettings settings;
        SimulatedRig rig(settings);
        QVERIFY(rig.connection.openDevice());
        rig.sim.stopAnsweringAfter(answeredFrames);

        if (write)
            writeEdidTable(rig.connection, 0xA0, countingImage(0), [](int, int) {});
        else
            readEdidTable(rig.connection, 0xA0, [](int, int) {});
        QCOMPARE(rig.sim.writtenFrames().size(), answeredFrames + 1);
        // Each answered request: one check finds nothing before the frame, one
        // finds the reply, one nothing behind it. The silent one: the check
        // before it and 29 checks at 100 ms a reading.
        QCOMPARE(rig.count(BridgeOperation::CheckRxQueue), 3 * answeredFrames + 30);
        QCOMPARE(rig.pauses.size(), write ? answeredFrames : 0);
        QVERIFY(rig.sink.messages.isEmpty());
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

    // The write stops at the first frame not confirmed; the result tells
    // how far it got.
    void writeReportsFailedFrames_data()
    {
        QTest::addColumn<int>("answeredFrames");
        QTest::addColumn<int>("failingWrite");
        QTest::addColumn<int>("failingRead");
        QTest::addColumn<int>("replyLimit");
        QTest::addColumn<int>("longerBy");
        QTest::addColumn<int>("unplugAfter");
        QTest::addColumn<int>("firstFailed");
        QTest::addColumn<int>("framesSent");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("fourth write call fails")
            << -1 << 4 << 0 << -1 << 0 << -1 << 0x18 << 3 << QStringList{"Error Sending Code"};
        QTest::newRow("silent after ten frames")
            << 10 << 0 << 0 << -1 << 0 << -1 << 0x50 << 11 << QStringList();
        QTest::newRow("last reply cannot be read")
            << -1 << 0 << 32 << -1 << 0 << -1 << 0xF8 << 32 << QStringList{"Error Reading Data"};
        QTest::newRow("short replies")
            << -1 << 0 << 0 << 4 << 0 << -1 << 0x00 << 1 << QStringList();
        QTest::newRow("replies a byte longer")
            << -1 << 0 << 0 << -1 << 1 << -1 << 0x00 << 1 << QStringList();
        QTest::newRow("unplugged after five frames")
            << -1 << 0 << 0 << -1 << 0 << 5 << 0x20 << 5 << QStringList{"Error Checking Queue"};
    }

    void writeReportsFailedFrames()
    {
        QFETCH(int, answeredFrames);
        QFETCH(int, failingWrite);
        QFETCH(int, failingRead);
        QFETCH(int, replyLimit);
        QFETCH(int, longerBy);
        QFETCH(int, unplugAfter);
        QFETCH(int, firstFailed);
        QFETCH(int, framesSent);
        QFETCH(QStringList, messages);
        DeviceSettings settings;
        SimulatedRig rig(settings);
        QVERIFY(rig.connection.openDevice());
        if (answeredFrames >= 0)
            rig.sim.stopAnsweringAfter(answeredFrames);
        if (failingWrite > 0)
            rig.sim.failCall(BridgeOperation::Write, failingWrite);
        if (failingRead > 0)
            rig.sim.failCall(BridgeOperation::Read, failingRead);
        if (replyLimit >= 0)
            rig.sim.limitReplies(replyLimit);
        if (unplugAfter >= 0)
            rig.sim.unplugAfter(unplugAfter);
        rig.sim.lengthenReplies(longerBy);

        const EdidWriteResult result =
            writeEdidTable(rig.connection, 0xA0, countingImage(0), [](int, int) {});
        rig.connection.closeDevice();
        QCOMPARE(result.firstFailedOffset(), firstFailed);
        QCOMPARE(result.framesConfirmed(), firstFailed / 8);
        QCOMPARE(result.framesSent, framesSent);
        QCOMPARE(int(rig.sim.writtenFrames().size()), framesSent);
        QCOMPARE(rig.count(BridgeOperation::Write), firstFailed / 8 + 1);
        // Each confirmed frame gets its pause; the failed one ends the write.
        QCOMPARE(rig.pauses.size(), firstFailed / 8);
        QCOMPARE(rig.sink.messages, messages);
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

    void modeQueryWithoutItsReply_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("longerBy");
        QTest::newRow("silent") << true << 0;
        QTest::newRow("reply a byte longer") << false << 1;
    }

    void modeQueryWithoutItsReply()
    {
        QFETCH(bool, silent);
        QFETCH(int, longerBy);
        DeviceSettings settings;
        SimulatedRig rig(settings);
        rig.sim.splitter().setMode(SplitterMode::Custom);
        QVERIFY(rig.connection.openDevice());
        if (silent)
            rig.sim.stopAnsweringAfter(0);
        rig.sim.lengthenReplies(longerBy);
        const ModeRequestResult result = sendModeFrame(rig.connection, ModeSelector::Query);
        QVERIFY(!result.replied);
        QVERIFY(rig.sink.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstTransfers)
#include "tst_transfers.moc"
