// The window on the real USB backend (VARNEX_BRIDGE=usb) with an emulated
// bridge in a umockdev test bed: what it reads at start-up is the emulated
// splitter's table. Programs started as child processes reach the same bed.
#include "BridgeFactory.h"
#include "DeviceConnection.h"
#include "EdidTestData.h"
#include "EdidTransfers.h"
#include "FakeUserDialogs.h"
#include "HexText.h"
#include "MainWindow.h"
#include "ProcessState.h"
#include "RecordingMessageSink.h"
#include "UsbBridge.h"
#include "UsbTestBed.h"

#include <QProcess>
#include <QTextEdit>
#include <QtTest>

#include <memory>

using namespace varnex::device;
using namespace varnex::edid;
using namespace varnex::splitter;

namespace {

constexpr quint8 EdidAddress = 0xA0;
// The start-up read: 16 chunks and the status request, after the mode query.
constexpr int StartUpFrames = 1 + ReadChunkCount + 1;
// Device actions at start-up: the presence check, the mode query, the read.
constexpr int StartUpActions = 3;
const QString DisableRequest = QStringLiteral("control 40 02 0004 0000");

QProcessEnvironment usbEnvironment(QProcessEnvironment environment = {})
{
    environment.insert(QLatin1String(BridgeVariable), QStringLiteral("usb"));
    return environment;
}

// Puts a real display's table into the splitter, so that the window cannot
// show it by chance.
EdidImage giveTable(EmulatedBridge &bridge)
{
    const EdidImage image =
        EdidTestData::toImage(EdidTestData::readSample(QStringLiteral("dell-p2415q-hdmi2.0")));
    bridge.changeSplitter([&](varnex::device::sim::SimulatedSplitter &splitter) {
        varnex::device::sim::EdidMemory memory;
        std::copy(image.begin(), image.end(), memory.begin());
        splitter.setMemory(EdidAddress, memory);
    });
    return image;
}

int count(const QStringList &lines, const QString &line)
{
    return int(lines.count(line));
}

} // namespace

class EmulatedWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY2(UsbTestBed::isActive(), "run under umockdev-wrapper (LD_PRELOAD of "
                                         "libumockdev-preload), as ctest does");
    }

    void startUpShowsTheBridgesTable()
    {
        UsbTestBed bed;
        EmulatedBridge &emulated = bed.addBridge();
        const EdidImage table = giveTable(emulated);

        // The window's device link as main() builds it, boxes recorded instead of shown.
        BridgeBackend backend = createBridgeBackend(usbEnvironment());
        QVERIFY(backend.library);
        RecordingMessageSink sink;
        UsbBridge bridge(*backend.library, sink);
        DeviceConnection connection(bridge, processState().deviceSettings);
        FakeUserDialogs dialogs;
        auto window =
            std::make_unique<MainWindow>(MainWindowServices{&dialogs, &connection, [](int) {}});
        window->show();

        const auto *editor = window->findChild<QTextEdit *>(QStringLiteral("EDIDtext"));
        QVERIFY(editor);
        QCOMPARE(editor->toPlainText(), QString::fromLatin1(formatHexText(table)));
        QCOMPARE(dialogs.calls.size(), 0);
        QCOMPARE(sink.messages, QStringList{});
        QCOMPARE(emulated.frames().size(), StartUpFrames);
        QCOMPARE(count(emulated.log(), DisableRequest), StartUpActions);
        window.reset();
        backend.library.reset();
    }

    // The program itself, started inside the bed, makes its start-up read over
    // the emulated bridge: the way for tests of other programs of the project.
    void programInTheBedReadsAtStartUp()
    {
        UsbTestBed bed;
        EmulatedBridge &emulated = bed.addBridge();
        giveTable(emulated);
        QProcess program;
        QProcessEnvironment environment = usbEnvironment(bed.environment());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VARNEX_PROGRAM));
        QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(count(emulated.log(), DisableRequest) == StartUpActions, 10000);
        program.terminate();
        if (!program.waitForFinished(5000)) {
            program.kill();
            program.waitForFinished();
        }
        const QList<QByteArray> frames = emulated.frames();
        QCOMPARE(frames.size(), StartUpFrames);
        for (int chunk = 0; chunk < ReadChunkCount; ++chunk) {
            const CommandFrame read = edidReadFrame(EdidAddress, quint8(chunk * 16));
            QCOMPARE(frames[1 + chunk], QByteArray(reinterpret_cast<const char *>(read.data()),
                                                   qsizetype(read.size())));
        }
        // And every reply went to the program: the mode byte, the table, the status.
        QCOMPARE(emulated.bytesSent(),
                 qsizetype(ModeReplyLength + ReadChunkCount * ReadReplyLength + StatusReplyLength));
    }

    // The command-line tool reaches the emulated bridge the same way: its
    // read prints exactly the emulated splitter's table.
    void commandLineReadsTheTable()
    {
        UsbTestBed bed;
        EmulatedBridge &emulated = bed.addBridge();
        const EdidImage table = giveTable(emulated);
        QProcess cli;
        cli.setProcessEnvironment(usbEnvironment(bed.environment()));
        cli.start(QStringLiteral(VARNEX_CLI), {QStringLiteral("read")});
        QVERIFY2(cli.waitForFinished(10000), qPrintable(cli.errorString()));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(cli.readAllStandardOutput(), formatHexText(table));
    }
};

QTEST_MAIN(EmulatedWindowTest)
#include "tst_emulatedwindow.moc"
