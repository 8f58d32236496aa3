// The window's device actions (start-up, read, write, mode switch) on the
// simulated Varnex, with its fault injection.
#include "BridgeFactory.h"
#include "EdidTestData.h"
#include "SimulatedWindowRig.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include <memory>

using namespace varnex::device;
using namespace varnex::device::sim;
using namespace varnex::edid;
using Kind = FakeUserDialogs::Kind;

namespace {

const QString Title = "Varnex EDID Utility";
const QString NoHeader = "The table in the editor has no EDID header (00 FF FF FF FF FF FF 00), so "
                         "the video source will not accept it.";
const QString LayoutHint = " An EDID table is 16 lines of 16 two-digit hexadecimal values "
                           "separated by single spaces.";
const QString HardwareHint =
    "Check that the USB cable is connected and that the Varnex is powered. On Linux, the udev "
    "rule of this utility must be installed (see \"Hardware set-up\" in the README).";
const QByteArray ModeQuery = QByteArray::fromHex("1101D2");

// What the progress bar showed when a frame went out.
struct BarState
{
    bool visible = false;
    int value = 0;
    int maximum = 0;
    bool operator==(const BarState &) const = default;
};

// The window on the simulated splitter, with what the progress bar showed
// at each frame.
struct Rig : SimulatedWindowRig
{
    explicit Rig(QList<SimulatedBridgeDevice> devices = {SimulatedBridgeDevice{}})
        : SimulatedWindowRig(std::move(devices))
    {
        device.probe.onWrite = [this](const quint8 *frame, quint32 length) {
            lastFrame = QByteArray(reinterpret_cast<const char *>(frame), int(length));
            if (window && window->progressIndicator()) {
                QProgressBar *bar = window->progressIndicator();
                bars.append({bar->isVisible(), bar->value(), bar->maximum()});
            }
        };
    }

    QAction *verifyAction() { return window->findChild<QAction *>("actionVerifyAfterWrite"); }
    void press(QAbstractButton *button)
    {
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton);
    }
    // Forget what start-up did.
    void clear()
    {
        writesBefore += count(BridgeOperation::Write);
        window->statusBar()->clearMessage();
        device.sim.clearCalls();
        dialogs.calls.clear();
        device.sink.messages.clear();
        device.pauses.clear();
        bars.clear();
    }
    QList<BridgeOperation> operations() const
    {
        QList<BridgeOperation> result;
        for (const BridgeCall &call : device.sim.calls())
            result << call.operation;
        return result;
    }
    QStringList warnings() const
    {
        QStringList texts;
        for (const FakeUserDialogs::Call &call : dialogs.calls)
            if (call.kind == Kind::Warning)
                texts << call.text;
        return texts;
    }
    QString deviceLabel() const
    {
        return window->statusBar()->findChild<QLabel *>("deviceLabel")->text();
    }
    // The boxes shown, but the reset reminder, as "kind: text | informative text".
    QStringList boxes() const
    {
        QStringList result;
        for (const FakeUserDialogs::Call &call : dialogs.calls) {
            if (call.kind == Kind::Warning)
                result << "warning: " + call.text + " | " + call.detail;
            else if (call.kind == Kind::ConfirmWarning)
                result << "confirm: " + call.text + " | " + call.detail;
            else if (call.kind != Kind::Information)
                result << "other: " + call.text;
        }
        return result;
    }

    QByteArray lastFrame;
    QList<BarState> bars;
    // The simulator counts frames and calls from its start; faults are
    // injected relative to what clear() forgot.
    int writesBefore = 0;
};

// True when every character of the editor has the given look.
bool wholeTextLooks(QTextEdit *editor, const QColor &colour, qreal pointSize, int weight)
{
    for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.foreground().color() != colour || format.fontPointSize() != pointSize ||
                format.fontWeight() != weight)
                return false;
        }
    }
    return true;
}

} // namespace

class TstDeviceWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { processState() = ProcessState{}; }

    void startupWithoutSplitter()
    {
        Rig rig(QList<SimulatedBridgeDevice>{});
        rig.start();
        QCOMPARE(rig.deviceLabel(), QString("No Varnex found"));
        QVERIFY(rig.dialogs.calls.isEmpty());
        QVERIFY(rig.device.sink.messages.isEmpty());
        QVERIFY(rig.ui().dynamicEDID->isChecked());
        QVERIFY(!rig.ui().staticEDID->isChecked());
        QVERIFY(!rig.ui().EDIDtext->isEnabled());
        QVERIFY(rig.ui().EDIDtext->toPlainText().isEmpty());
        QCOMPARE(processState().deviceSettings.automix, quint8(1));
        QCOMPARE(rig.count(BridgeOperation::Open), 0);
        QCOMPARE(rig.device.connection.handle(), NoDeviceHandle);
    }

    // The mode query's reply decides the state; the table is read in both.
    void startupFollowsTheSplitter_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<bool>("custom");
        QTest::newRow("reply 0: CUSTOM") << 0 << true;
        QTest::newRow("reply 1: AUTOMIX") << 1 << false;
        QTest::newRow("reply 7: AUTOMIX") << 7 << false;
    }

    void startupFollowsTheSplitter()
    {
        QFETCH(int, reply);
        QFETCH(bool, custom);
        Rig rig;
        rig.device.probe.onRead = [&rig, reply](quint8 *buffer, quint32 returned) {
            if (rig.lastFrame == ModeQuery && returned >= 1)
                buffer[0] = quint8(reply);
        };
        rig.start();

        QCOMPARE(rig.ui().staticEDID->isChecked(), custom);
        QCOMPARE(rig.ui().dynamicEDID->isChecked(), !custom);
        QCOMPARE(rig.ui().EDIDtext->isEnabled(), custom);
        QCOMPARE(processState().deviceSettings.automix, quint8(custom ? 0 : 1));
        QCOMPARE(rig.deviceLabel(), QString(custom ? "Varnex: CUSTOM" : "Varnex: AUTOMIX"));
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), textOf(rig.device.sim.splitter().memory(0xA0)));
        QVERIFY(rig.dialogs.calls.isEmpty());
        // Presence test, mode query and read: three opens, each closed again.
        QCOMPARE(rig.count(BridgeOperation::Open), 3);
        QCOMPARE(rig.count(BridgeOperation::Close), 3);
        QCOMPARE(rig.device.sim.writtenFrames().first(), ModeQuery);
        QCOMPARE(rig.device.sim.writtenFrames().size(), 1 + 17);
        QCOMPARE(rig.device.connection.handle(), NoDeviceHandle);
    }

    // Without a reply to the mode query the window takes AUTOMIX, in which
    // writing is refused, even when the splitter is in CUSTOM mode.
    void silentModeQueryMeansAutomix_data()
    {
        QTest::addColumn<bool>("timeOut");
        QTest::addColumn<QStringList>("deviceMessages");
        QTest::newRow("reply times out") << true << QStringList();
        QTest::newRow("reply cannot be read") << false << QStringList{"Error Reading Data"};
    }

    void silentModeQueryMeansAutomix()
    {
        QFETCH(bool, timeOut);
        QFETCH(QStringList, deviceMessages);
        Rig rig;
        rig.device.sim.splitter().setMode(SplitterMode::Custom);
        if (timeOut)
            rig.device.probe.onCheckRxQueue = [&rig](quint32 *waiting) {
                if (rig.lastFrame == ModeQuery)
                    *waiting = 0;
            };
        else
            rig.device.sim.failCall(BridgeOperation::Read, 1);
        rig.start();

        QVERIFY(rig.ui().dynamicEDID->isChecked());
        QVERIFY(!rig.ui().EDIDtext->isEnabled());
        QCOMPARE(processState().deviceSettings.automix, quint8(1));
        QCOMPARE(rig.device.sink.messages, deviceMessages);
        // The table is still read and shown.
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), textOf(rig.device.sim.splitter().memory(0xA0)));
    }

    void readShowsTheTableInBoldBlack()
    {
        Rig rig;
        rig.start();
        const EdidImage table = validTable();
        rig.device.sim.splitter().setMemory(0xA0, table);
        rig.clear();
        rig.press(rig.ui().ButReadEDID);

        const QString text = rig.ui().EDIDtext->toPlainText();
        QCOMPARE(text.size(), 768);
        QCOMPARE(text, textOf(table));
        QVERIFY(wholeTextLooks(rig.ui().EDIDtext, Qt::black, 8, QFont::Bold));
        QCOMPARE(rig.status(), QString("EDID values read."));
        QVERIFY(rig.dialogs.calls.isEmpty());
        QCOMPARE(QByteArray(processState().EdidTextBuffer.data()), text.toLatin1());

        // One open, 16 reads and the status request, one close.
        const QList<BridgeOperation> ops = rig.operations();
        QCOMPARE(rig.count(BridgeOperation::Open), 1);
        QCOMPARE(ops.last(), BridgeOperation::Close);
        QCOMPARE(rig.device.sim.writtenFrames().size(), 17);
        QCOMPARE(rig.device.sim.writtenFrames().last(), QByteArray::fromHex("0210A0F000000000"));
    }

    void readDrivesTheProgressBar()
    {
        Rig rig;
        rig.start();
        rig.clear();
        rig.press(rig.ui().ButReadEDID);

        QList<BarState> expected{{false, 0, 0}};
        QProgressBar *bar = rig.window->progressIndicator();
        expected[0] = {false, bar->value(), bar->maximum()};
        for (int offset = 16; offset < 256; offset += 16)
            expected.append({true, offset, 255});
        expected.append({true, 240, 255}); // the status request
        QCOMPARE(rig.bars.size(), 17);
        QCOMPARE(rig.bars.mid(1), expected.mid(1));
        QVERIFY(!rig.bars[0].visible);
        QVERIFY(bar->isHidden());
    }

    // A reply that does not arrive leaves the editor as it was, with a warning.
    void readWithLostChunkKeepsTheEditor_data()
    {
        QTest::addColumn<int>("answered");
        QTest::addColumn<QString>("offset");
        QTest::newRow("sixth chunk silent") << 5 << "0x50";
        QTest::newRow("splitter silent") << 0 << "0x00";
    }

    void readWithLostChunkKeepsTheEditor()
    {
        QFETCH(int, answered);
        QFETCH(QString, offset);
        Rig rig;
        rig.start();
        rig.ui().EDIDtext->setPlainText("typed by the user");
        const QString before = rig.ui().EDIDtext->toHtml();
        rig.clear();
        rig.device.sim.stopAnsweringAfter(rig.writesBefore + answered);

        QVERIFY(!rig.access().ReadEDIDfromDevice());
        QCOMPARE(rig.ui().EDIDtext->toHtml(), before);
        QCOMPARE(rig.warnings().size(), 1);
        QVERIFY(rig.warnings()[0].contains("could not be read completely"));
        QVERIFY(rig.warnings()[0].contains(offset));
        QCOMPARE(rig.dialogs.calls[0].parent.data(), rig.window.data());
        QCOMPARE(rig.dialogs.calls[0].title, Title);
        QVERIFY(rig.status() != "EDID values read.");
        QCOMPARE(rig.operations().last(), BridgeOperation::Close);
        QVERIFY(rig.window->progressIndicator()->isHidden());
    }

    void readWithoutSplitter()
    {
        Rig rig(QList<SimulatedBridgeDevice>{});
        rig.start();
        rig.ui().EDIDtext->setPlainText("old");
        QVERIFY(!rig.access().ReadEDIDfromDevice());
        QCOMPARE(rig.warnings(), QStringList{"Hardware not found"});
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), QString("old"));
        QVERIFY(rig.window->progressIndicator()->isHidden());
    }

    // The write, then with verification the read-back in its own open and close.
    void writeSendsTheTable_data()
    {
        QTest::addColumn<bool>("verify");
        QTest::newRow("verified") << true;
        QTest::newRow("verification off") << false;
    }

    void writeSendsTheTable()
    {
        QFETCH(bool, verify);
        Rig rig;
        rig.device.sim.splitter().setMode(SplitterMode::Custom);
        rig.start();
        rig.verifyAction()->setChecked(verify);
        const EdidImage table = validTable();
        rig.ui().EDIDtext->setPlainText(textOf(table).toLower());
        const QString typed = rig.ui().EDIDtext->toPlainText();
        rig.clear();
        rig.press(rig.ui().ButWriteEDID);

        QVERIFY(rig.device.sim.splitter().memory(0xA0) == table);
        const QList<QByteArray> frames = rig.device.sim.writtenFrames();
        QCOMPARE(frames.size(), verify ? 32 + 17 : 32);
        QCOMPARE(rig.count(BridgeOperation::Open), verify ? 2 : 1);
        QCOMPARE(rig.count(BridgeOperation::Close), verify ? 2 : 1);
        QCOMPARE(rig.operations().last(), BridgeOperation::Close);
        if (verify) { // the read-back follows the close of the write
            QCOMPARE(frames[32], QByteArray::fromHex("1110A000"));
            QVERIFY(rig.operations().indexOf(BridgeOperation::Close) <
                    rig.operations().lastIndexOf(BridgeOperation::Open));
        }
        QCOMPARE(rig.device.pauses, QList<quint32>(32, 50));
        QCOMPARE(rig.status(), QString("EDID values written..."));
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), typed);
        // Only the reset reminder follows.
        QCOMPARE(rig.dialogs.calls.size(), 1);
        QCOMPARE(rig.dialogs.calls[0].kind, Kind::Information);

        QCOMPARE(rig.bars.size(), frames.size());
        QVERIFY(!rig.bars[0].visible);
        for (int i = 1; i < 32; ++i)
            QCOMPARE(rig.bars[i], (BarState{true, i, 32}));
        for (int i = 33; i < rig.bars.size() - 1; ++i) // the read-back's bar
            QCOMPARE(rig.bars[i], (BarState{true, (i - 32) * 16, 255}));
        QVERIFY(rig.window->progressIndicator()->isHidden());
    }

    // A read-back that does not match, or does not come, is no success; the
    // editor keeps the user's table and the reset reminder follows.
    void writeVerificationFails_data()
    {
        QTest::addColumn<QList<int>>("stuck");
        QTest::addColumn<int>("answeredReads"); // read-back frames answered, -1: all
        QTest::addColumn<bool>("unplug");       // the read-back finds no Varnex
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("advice");
        const QString again = "Write the table again. If the same bytes differ again, the EDID "
                              "memory of the Varnex may be faulty.";
        const QString check = "Check the connection to the Varnex, then read its table to see "
                              "what it holds, or write the table again.";
        QTest::newRow("stuck 0x40") << QList<int>{0x40} << -1 << false
                                    << "The Varnex holds a different table after the write: 1 "
                                       "byte differs, at 0x40."
                                    << again;
        QTest::newRow("three stuck") << QList<int>{0x7F, 0x12, 0x13} << -1 << false
                                     << "The Varnex holds a different table after the write: 3 "
                                        "bytes differ, at 0x12, 0x13 and 0x7F."
                                     << again;
        QTest::newRow("ten stuck") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 0x80, 0xFF} << -1 << false
                                   << "The Varnex holds a different table after the write: 10 "
                                      "bytes differ, at 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, "
                                      "0x06, 0x07 and 2 more."
                                   << again;
        QTest::newRow("read-back times out")
            << QList<int>{} << 5 << false
            << "The write could not be verified: when the table was read back, the bytes from "
               "offset 0x50 did not arrive."
            << check;
        QTest::newRow("Varnex gone before the read-back")
            << QList<int>{} << -1 << true
            << "The write could not be verified: the Varnex could not be opened to read the "
               "table back."
            << check;
    }

    void writeVerificationFails()
    {
        QFETCH(QList<int>, stuck);
        QFETCH(int, answeredReads);
        QFETCH(bool, unplug);
        QFETCH(QString, warning);
        QFETCH(QString, advice);
        Rig rig;
        rig.device.sim.splitter().setMode(SplitterMode::Custom);
        rig.start();
        // Every byte differs from the simulator's own table at the stuck offsets.
        EdidImage table = rig.device.sim.splitter().memory(0xA0);
        for (const int offset : stuck) {
            table[std::size_t(offset)] ^= 0x5A;
            rig.device.sim.ignoreWritesAt(quint8(offset));
        }
        rig.ui().EDIDtext->setPlainText(textOf(table));
        const QString typed = rig.ui().EDIDtext->toPlainText();
        rig.clear();
        if (answeredReads >= 0)
            rig.device.sim.stopAnsweringAfter(rig.writesBefore + 32 + answeredReads);
        if (unplug) // the start-up asked for the device count three times, the write once
            rig.device.sim.failCall(BridgeOperation::GetDeviceCount, 5);
        // Stuck header or checksum bytes, and the errors they make: write anyway.
        rig.dialogs.confirmAnswers << true << true;
        rig.dialogs.questionAnswers.enqueue(true);
        rig.press(rig.ui().ButWriteEDID);

        QVERIFY(rig.count(BridgeOperation::Write) >= 32);
        QStringList warnings;
        for (const FakeUserDialogs::Call &call : rig.dialogs.calls) {
            if (call.kind == Kind::Warning)
                warnings << call.text + " | " + call.detail;
        }
        QCOMPARE(warnings, QStringList{warning + " | " + advice});
        QVERIFY(rig.status() != "EDID values written...");
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), typed);
        QCOMPARE(rig.dialogs.calls.last().kind, Kind::Information); // the reset reminder
        QCOMPARE(rig.deviceLabel(), QString(unplug ? "No Varnex found" : "Varnex: CUSTOM"));
        QVERIFY(rig.window->progressIndicator()->isHidden());
    }

    void writeAsksAboutWrongChecksums_data()
    {
        QTest::addColumn<int>("wrongByte");
        QTest::addColumn<bool>("yes");
        QTest::newRow("block 0, Yes") << 127 << true;
        QTest::newRow("block 1, Yes") << 255 << true;
        QTest::newRow("block 0, No") << 127 << false;
    }

    void writeAsksAboutWrongChecksums()
    {
        QFETCH(int, wrongByte);
        QFETCH(bool, yes);
        Rig rig;
        rig.device.sim.splitter().setMode(SplitterMode::Custom);
        rig.start();
        EdidImage table = validTable();
        table[std::size_t(wrongByte)] ^= 0x01;
        rig.ui().EDIDtext->setPlainText(textOf(table));
        const EdidImage before = rig.device.sim.splitter().memory(0xA0);
        rig.clear();
        rig.dialogs.questionAnswers.enqueue(yes);
        rig.press(rig.ui().ButWriteEDID);

        QCOMPARE(rig.dialogs.calls[0].kind, Kind::Question);
        QCOMPARE(rig.dialogs.calls[0].title, Title);
        QCOMPARE(rig.dialogs.calls[0].text, QString("The EDID Checksum is not correct."));
        QCOMPARE(rig.dialogs.calls[0].detail, QString("Write anyway?"));
        if (yes) {
            // Written unchanged, wrong checksum byte included.
            QVERIFY(rig.device.sim.splitter().memory(0xA0) == table);
            QCOMPARE(rig.status(), QString("EDID values written..."));
        } else {
            QVERIFY(rig.device.sim.calls().isEmpty());
            QVERIFY(rig.device.sim.splitter().memory(0xA0) == before);
        }
        QCOMPARE(rig.dialogs.calls.last().kind, Kind::Information);
    }

    // Text the device must not get: nothing is opened or sent.
    void writeRefusesIncompleteTables_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("warning");
        const QString full = textOf(validTable());
        QTest::newRow("bad digit") << QString(full).replace(0, 2, "0G") << "Hex Format Error";
        QTest::newRow("two spaces") << QString(full).replace(2, 1, "  ") << "Hex Format Error";
        QTest::newRow("empty editor")
            << QString() << "The EDID table must have 256 bytes; the editor holds 0.";
        QTest::newRow("255 bytes")
            << full.left(255 * 3) << "The EDID table must have 256 bytes; the editor holds 255.";
    }

    void writeRefusesIncompleteTables()
    {
        QFETCH(QString, text);
        QFETCH(QString, warning);
        Rig rig;
        rig.device.sim.splitter().setMode(SplitterMode::Custom);
        rig.start();
        rig.ui().EDIDtext->setPlainText(text);
        rig.clear();
        rig.press(rig.ui().ButWriteEDID);

        QVERIFY(rig.device.sim.calls().isEmpty());
        QCOMPARE(rig.warnings().size(), 1);
        QVERIFY2(rig.warnings()[0].startsWith(warning), qPrintable(rig.warnings()[0]));
        QCOMPARE(rig.dialogs.count(Kind::Question), 0);
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), text);
    }

    void writeWithoutSplitter()
    {
        Rig rig(QList<SimulatedBridgeDevice>{});
        rig.start();
        QTest::mouseClick(rig.ui().staticEDID, Qt::LeftButton);
        QCOMPARE(rig.warnings(), QStringList{"Hardware not found"});
        rig.ui().EDIDtext->setPlainText(textOf(validTable()));
        rig.clear();
        rig.press(rig.ui().ButWriteEDID);
        QCOMPARE(rig.warnings(), QStringList{"Hardware not found"});
        QCOMPARE(rig.dialogs.calls.last().kind, Kind::Information);
        QCOMPARE(rig.count(BridgeOperation::Write), 0);
    }

    // The write stops at the failed frame; the user learns the table may be mixed.
    void writeReportsLostFrames()
    {
        Rig rig;
        rig.device.sim.splitter().setMode(SplitterMode::Custom);
        rig.start();
        rig.ui().EDIDtext->setPlainText(textOf(validTable()));
        rig.clear();
        rig.device.sim.failCall(BridgeOperation::Write, rig.writesBefore + 4);

        QVERIFY(!rig.access().WriteEDIDtoDevice());
        QCOMPARE(rig.count(BridgeOperation::Write), 4);
        QCOMPARE(rig.device.pauses.size(), 3);
        QCOMPARE(rig.device.sink.messages, QStringList{"Error Sending Code"});
        QCOMPARE(rig.warnings().size(), 1);
        QVERIFY(rig.warnings()[0].contains("0x18"));
        QVERIFY(rig.warnings()[0].contains("0x00 to 0x17 were confirmed"));
        QVERIFY(rig.warnings()[0].contains("may now hold a mixed table"));
        QVERIFY(rig.status() != "EDID values written...");
    }

    // The Device menu's comparisons, shown through the dialog seam; the editor
    // and the splitter stay as they were.
    void comparisonsShowTheDifferences_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("changeOther"); // the file's or the splitter's pixel clock
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("report");
        const QString clock = "Modes only in B: 3840x2160@15.56 (DTD 1)\n"
                              "Preferred mode: 3840x2160@60 -> 3840x2160@15.56\n\n"
                              "0x36-0x37 Descriptor 1: detailed timing: Pixel clock: 594.00 MHz "
                              "-> 154.00 MHz\n  0x36: 08 -> 28\n  0x37: E8 -> 3C\n";
        QTest::newRow("file, identical")
            << "actionCompareFile" << false
            << "The table in the editor compared with the file other.bin:"
            << "The tables are identical.\n";
        QTest::newRow("file, different")
            << "actionCompareFile" << true
            << "The table in the editor (A, left of each arrow) compared with the file other.bin "
               "(B, right): 2 bytes differ, at 0x36 and 0x37."
            << clock;
        QTest::newRow("Varnex, identical")
            << "actionCompareDevice" << false
            << "The table in the editor compared with the table of the Varnex:"
            << "The tables are identical.\n";
        QTest::newRow("Varnex, different")
            << "actionCompareDevice" << true
            << "The table in the editor (A, left of each arrow) compared with the table of the "
               "Varnex (B, right): 2 bytes differ, at 0x36 and 0x37."
            << clock;
    }

    void comparisonsShowTheDifferences()
    {
        QFETCH(QString, action);
        QFETCH(bool, changeOther);
        QFETCH(QString, heading);
        QFETCH(QString, report);
        const EdidImage table =
            EdidTestData::toImage(EdidTestData::readSample("dell-p2415q-hdmi2.0"));
        EdidImage other = table;
        if (changeOther) {
            other[0x36] = 0x28;
            other[0x37] = 0x3C;
        }
        QTemporaryDir dir;
        const QString file = dir.filePath("other.bin");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(EdidTestData::toBytes(other));
        out.close();
        Rig rig;
        rig.device.sim.splitter().setMemory(0xA0, other);
        rig.start();
        rig.ui().EDIDtext->setPlainText(textOf(table));
        rig.clear();
        rig.dialogs.fileNames.enqueue(file);
        rig.window->findChild<QAction *>(action)->trigger();

        const FakeUserDialogs::Call &shown = rig.dialogs.calls.last();
        QCOMPARE(shown.kind, Kind::Report);
        QCOMPARE(shown.parent.data(), rig.window.data());
        QCOMPARE(shown.text, heading);
        QCOMPARE(shown.detail, report);
        QCOMPARE(rig.warnings(), QStringList{});
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), textOf(table));
        // Only the Varnex comparison reads: 16 chunks and the status request.
        QCOMPARE(rig.device.sim.writtenFrames().size(), action == "actionCompareDevice" ? 17 : 0);
        QVERIFY(rig.device.sim.splitter().memory(0xA0) == other);
    }

    // The editor's table must be whole to be compared.
    void comparisonNeedsTheWholeTable()
    {
        Rig rig;
        rig.start();
        rig.ui().EDIDtext->setPlainText(textOf(validTable()).left(255 * 3));
        rig.clear();
        rig.window->findChild<QAction *>("actionCompareDevice")->trigger();
        QCOMPARE(rig.warnings(),
                 QStringList{"The EDID table must have 256 bytes to be compared; the editor "
                             "holds 255."});
        QCOMPARE(rig.dialogs.count(Kind::Report), 0);
        QVERIFY(rig.device.sim.calls().isEmpty());
    }

    void verificationIsOnAtStart()
    {
        Rig rig(QList<SimulatedBridgeDevice>{});
        rig.start();
        QMenu *device = rig.window->findChild<QMenu *>("menuDevice");
        QCOMPARE(device->title(), QString("Device"));
        QStringList names;
        for (QAction *action : device->actions())
            names << action->objectName();
        // The Splitter submenu (and its separator) first, shown with several Varnexes only.
        QCOMPARE(names, (QStringList{"", "", "actionVerifyAfterWrite", "", "actionCompareFile",
                                     "actionCompareDevice"}));
        QVERIFY(rig.verifyAction()->isCheckable());
        QVERIFY(rig.verifyAction()->isChecked());
    }

    void modeClicksSendTheSelection()
    {
        Rig rig;
        rig.start();
        rig.clear();

        QTest::mouseClick(rig.ui().staticEDID, Qt::LeftButton);
        QCOMPARE(rig.deviceLabel(), QString("Varnex: CUSTOM"));
        QCOMPARE(rig.device.sim.writtenFrames(), QList<QByteArray>{QByteArray::fromHex("1101D0")});
        QCOMPARE(rig.operations().count(BridgeOperation::Open), 1);
        QCOMPARE(rig.operations().last(), BridgeOperation::Close);
        QCOMPARE(rig.device.sim.splitter().mode(), SplitterMode::Custom);
        QVERIFY(rig.ui().EDIDtext->isEnabled());

        rig.clear();
        QTest::mouseClick(rig.ui().staticEDID, Qt::LeftButton); // already checked: sent again
        QCOMPARE(rig.device.sim.writtenFrames(), QList<QByteArray>{QByteArray::fromHex("1101D0")});

        rig.clear();
        QTest::mouseClick(rig.ui().dynamicEDID, Qt::LeftButton);
        QCOMPARE(rig.device.sim.writtenFrames(), QList<QByteArray>{QByteArray::fromHex("1101D1")});
        QCOMPARE(rig.device.sim.splitter().mode(), SplitterMode::Automix);
        QCOMPARE(rig.deviceLabel(), QString("Varnex: AUTOMIX"));
        QVERIFY(!rig.ui().EDIDtext->isEnabled());
        QVERIFY(rig.dialogs.calls.isEmpty());
    }

    // What the window tells the user before and after an action: the
    // questions that guard the splitter, where a text went wrong, that the
    // checksums are right, what to check when no Varnex answers.
    void guardsAndMessages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("present"); // at start
        QTest::addColumn<bool>("unplug");  // before the action
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("label");
        const QString zeros = textOf(EdidImage{}); // what an empty file loads as
        const QString full = textOf(validTable());
        const QString custom = "Varnex: CUSTOM";
        const QString missing = "No Varnex found";
        QTest::newRow("no header, No") << zeros << true << false << "ButWriteEDID" << false
                                       << QStringList{"confirm: " + NoHeader + " | Write anyway?"}
                                       << QString() << false << custom;
        // The decoder's errors are asked about after the header, naming the first.
        QTest::newRow("no header, Yes")
            << zeros << true << false << "ButWriteEDID" << true
            << QStringList{"confirm: " + NoHeader + " | Write anyway?",
                           "confirm: The table has 2 errors that sources may reject; the first: "
                           "EDID version 0.0 is not 1.x; sources will not read the table. Set "
                           "the version byte to 1. [version] | Write anyway?"}
            << "EDID values written..." << true << custom;
        // Headers and checksums right, but a count of blocks that are not there.
        EdidImage counted = validTable();
        counted[BaseLayout::ExtensionCount] = 2;
        correctChecksums(counted);
        const QString countError =
            "confirm: The table has an error that sources may reject: The base block counts 2 "
            "extension blocks but the table holds 1; sources read missing blocks and reject "
            "them. Set byte 0x7E to 1. [extension-count] | Write anyway?";
        QTest::newRow("error finding, No")
            << textOf(counted) << true << false << "ButWriteEDID" << false
            << QStringList{countError} << QString() << false << custom;
        QTest::newRow("error finding, Yes")
            << textOf(counted) << true << false << "ButWriteEDID" << true << QStringList{countError}
            << "EDID values written..." << true << custom;
        QTest::newRow("bad digit at verify")
            << QString(full).replace(2 * 48 + 6, 1, "G") << true << false << "ButCalculateCheckSum"
            << false
            << QStringList{"warning: Hex Format Error | Line 3, column 7: expected a hexadecimal "
                           "digit." +
                           LayoutHint}
            << QString() << false << custom;
        QTest::newRow("tab at write")
            << QString(full).replace(4 * 48 + 2, 1, "\t") << true << false << "ButWriteEDID"
            << false
            << QStringList{"warning: Hex Format Error | Line 5, column 3: expected a space or the "
                           "end of the line." +
                           LayoutHint}
            << QString() << false << custom;
        QTest::newRow("checksums correct")
            << full << true << false << "ButCalculateCheckSum" << false << QStringList{}
            << "Checksums are correct." << false << custom;
        QTest::newRow("no splitter at read")
            << QString() << false << false << "ButReadEDID" << false
            << QStringList{"warning: Hardware not found | " + HardwareHint} << QString() << false
            << missing;
        QTest::newRow("splitter gone at write")
            << full << true << true << "ButWriteEDID" << false
            << QStringList{"warning: Hardware not found | " + HardwareHint} << QString() << false
            << missing;
    }

    void guardsAndMessages()
    {
        QFETCH(QString, text);
        QFETCH(bool, present);
        QFETCH(bool, unplug);
        QFETCH(QString, button);
        QFETCH(bool, answer);
        QFETCH(QStringList, boxes);
        QFETCH(QString, status);
        QFETCH(bool, written);
        QFETCH(QString, label);
        Rig rig(present ? QList<SimulatedBridgeDevice>{{}} : QList<SimulatedBridgeDevice>{});
        rig.device.sim.splitter().setMode(SplitterMode::Custom);
        rig.start();
        if (!text.isEmpty())
            rig.ui().EDIDtext->setPlainText(text);
        rig.clear();
        if (unplug) // the start-up asked for the device count three times
            rig.device.sim.failCall(BridgeOperation::GetDeviceCount, 4);
        rig.dialogs.confirmAnswers << answer << answer;
        rig.press(rig.window->findChild<QPushButton *>(button));

        QCOMPARE(rig.boxes(), boxes);
        for (const FakeUserDialogs::Call &call : rig.dialogs.calls) {
            QCOMPARE(call.parent.data(), rig.window.data());
            QCOMPARE(call.title, Title);
        }
        QCOMPARE(rig.status(), status);
        QCOMPARE(rig.count(BridgeOperation::Write) > 0, written);
        if (written)
            QCOMPARE(textOf(rig.device.sim.splitter().memory(0xA0)), text);
        QCOMPARE(rig.deviceLabel(), label);
    }

    // The real libusb backend on a machine without the bridge.
    void directUsbWithoutBridgeSaysHardwareNotFound()
    {
        QProcessEnvironment environment;
        // Ids no device carries, so the test holds wherever it runs.
        environment.insert("VARNEX_USB_IDS", "0001:0001");
        const std::unique_ptr<BridgeLibrary> usb = createUsbBackend(environment);
        RecordingMessageSink sink;
        UsbBridge bridge(*usb, sink);
        DeviceConnection connection(bridge, processState().deviceSettings);
        FakeUserDialogs dialogs;
        MainWindow window({&dialogs, &connection, [](int) {}});
        QVERIFY(dialogs.calls.isEmpty());
        QVERIFY(!MainWindowTestAccess(window).ui().EDIDtext->isEnabled());

        QTest::mousePress(MainWindowTestAccess(window).ui().ButReadEDID, Qt::LeftButton);
        QCOMPARE(dialogs.calls.size(), 1);
        QCOMPARE(dialogs.calls[0].text, QString("Hardware not found"));
        QVERIFY(sink.messages.isEmpty());
    }

    // What the user wrote is there after a restart, in the mode they chose.
    void restartShowsTheWrittenTable()
    {
        QTemporaryDir dir;
        const QString statePath = dir.filePath("state.bin");
        const EdidImage table = validTable();
        QString error;
        {
            Rig rig;
            QVERIFY2(rig.device.sim.useStateFile(statePath, &error), qPrintable(error));
            rig.start();
            QTest::mouseClick(rig.ui().staticEDID, Qt::LeftButton);
            rig.ui().EDIDtext->setPlainText(textOf(table));
            rig.press(rig.ui().ButWriteEDID);
            QCOMPARE(rig.status(), QString("EDID values written..."));
        }
        processState() = ProcessState{};
        Rig again;
        QVERIFY2(again.device.sim.useStateFile(statePath, &error), qPrintable(error));
        again.start();
        QVERIFY(again.ui().staticEDID->isChecked());
        QCOMPARE(again.ui().EDIDtext->toPlainText(), textOf(table));
    }
};

QTEST_MAIN(TstDeviceWindow)
#include "tst_devicewindow.moc"
