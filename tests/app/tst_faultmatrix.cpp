// Every bridge call failing, every reply lost and the bridge unplugged, at
// every position of the window's start-up, read, write and mode switch, on
// the simulated Varnex: the window never reports a failure as success, never
// loses the editor's text and always closes the device.
#include "SimulatedWindowRig.h"

#include <QProgressBar>
#include <QStatusBar>
#include <QtTest>

#include <map>
#include <set>

using namespace varnex::device;
using namespace varnex::device::sim;
using namespace varnex::edid;

namespace {

enum class Action
{
    StartUp,
    Read,
    Write,
    ModeSwitch,
};

enum class Fault
{
    None,
    FailCall,    // the position-th call of the operation fails
    LoseReply,   // the reply to the position-th frame never shows in the queue
    StopAnswers, // the Varnex ignores the position-th frame and every later one
    Unplug,      // the bridge goes once position frames have been written
};

const QString ReadDone = "EDID values read.";
const QString WriteDone = "EDID values written...";
const QString TypedText = "typed by the user";

constexpr BridgeOperation AllOperations[] = {
    BridgeOperation::GetDeviceCount, BridgeOperation::GetDeviceString,
    BridgeOperation::Open,           BridgeOperation::Close,
    BridgeOperation::Read,           BridgeOperation::Write,
    BridgeOperation::FlushBuffers,   BridgeOperation::CheckRxQueue,
};

const char *actionName(Action action)
{
    switch (action) {
    case Action::StartUp:
        return "start-up";
    case Action::Read:
        return "read";
    case Action::Write:
        return "write";
    case Action::ModeSwitch:
        return "mode switch";
    }
    return "";
}

// The window on a simulated Varnex in CUSTOM mode, one action on it, and
// what the action did.
struct Run : SimulatedWindowRig
{
    Run()
    {
        device.sim.splitter().setMode(SplitterMode::Custom);
        device.probe.onWrite = [this](const quint8 *, quint32) { ++framesInAction; };
        device.probe.onCheckRxQueue = [this](quint32 *waiting) {
            if (fault == Fault::LoseReply && acting && framesInAction == position)
                *waiting = 0;
        };
    }
    // Makes the fault happen inside the action about to start.
    void arm()
    {
        std::map<BridgeOperation, int> before;
        for (const BridgeCall &call : device.sim.calls())
            ++before[call.operation];
        const int frames = before[BridgeOperation::Write];
        switch (fault) {
        case Fault::None:
        case Fault::LoseReply:
            break;
        case Fault::FailCall:
            device.sim.failCall(operation, before[operation] + position);
            break;
        case Fault::StopAnswers:
            device.sim.stopAnsweringAfter(frames + position - 1);
            break;
        case Fault::Unplug:
            device.sim.unplugAfter(frames + position);
            break;
        }
        // The start-up's own confirmation would pass for the action's.
        if (window)
            window->statusBar()->clearMessage();
        framesInAction = 0;
        callsBefore = int(device.sim.calls().size());
        acting = true;
    }

    void perform(Action action)
    {
        if (action == Action::StartUp)
            arm();
        start();
        Ui::MainWindow &ui = this->ui();
        switch (action) {
        case Action::StartUp:
            break;
        case Action::Read:
            ui.EDIDtext->setPlainText(TypedText);
            dialogs.confirmAnswers.enqueue(true); // discard what was typed
            arm();
            QTest::mouseClick(ui.ButReadEDID, Qt::LeftButton);
            break;
        case Action::Write:
            ui.EDIDtext->setPlainText(textOf(validTable()));
            arm();
            QTest::mouseClick(ui.ButWriteEDID, Qt::LeftButton);
            break;
        case Action::ModeSwitch:
            ui.EDIDtext->setPlainText(TypedText);
            QTest::mouseClick(ui.dynamicEDID, Qt::LeftButton);
            arm();
            QTest::mouseClick(ui.staticEDID, Qt::LeftButton);
            break;
        }
        acting = false;
    }

    // Calls of each operation that the action made.
    std::map<BridgeOperation, int> callsInAction() const
    {
        std::map<BridgeOperation, int> counts;
        for (qsizetype i = callsBefore; i < device.sim.calls().size(); ++i)
            ++counts[device.sim.calls()[i].operation];
        return counts;
    }

    // Handles the simulator opened that no close call was made for.
    int handlesLeftOpen() const
    {
        std::set<BridgeHandle> open;
        for (const BridgeCall &call : device.sim.calls()) {
            if (call.operation == BridgeOperation::Open && call.status == BridgeSuccess)
                open.insert(call.handle);
            else if (call.operation == BridgeOperation::Close)
                open.erase(call.handle);
        }
        return int(open.size());
    }

    bool somethingTold() const
    {
        return !device.sink.messages.isEmpty() || dialogs.count(FakeUserDialogs::Kind::Warning) > 0;
    }

    Fault fault = Fault::None;
    BridgeOperation operation = BridgeOperation::GetDeviceCount;
    int position = 0;
    int framesInAction = 0;
    int callsBefore = 0;
    bool acting = false;
};

} // namespace

class TstFaultMatrix : public QObject
{
    Q_OBJECT

private slots:
    void init() { processState() = ProcessState{}; }

    void everyFaultAtEveryPosition_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<BridgeOperation>("operation");
        QTest::addColumn<int>("position");
        for (const Action action :
             {Action::StartUp, Action::Read, Action::Write, Action::ModeSwitch}) {
            // A faultless run tells how many calls and frames the action makes.
            processState() = ProcessState{};
            Run clean;
            clean.perform(action);
            const std::map<BridgeOperation, int> calls = clean.callsInAction();
            QVERIFY2(calls.count(BridgeOperation::Write) != 0, actionName(action));
            for (const BridgeOperation operation : AllOperations) {
                const auto found = calls.find(operation);
                for (int n = 1; found != calls.end() && n <= found->second; ++n)
                    QTest::addRow("%s: %s #%d fails", actionName(action),
                                  qPrintable(operationName(operation)), n)
                        << action << Fault::FailCall << operation << n;
            }
            for (int frame = 1; frame <= clean.framesInAction; ++frame) {
                QTest::addRow("%s: reply %d lost", actionName(action), frame)
                    << action << Fault::LoseReply << BridgeOperation::Write << frame;
                QTest::addRow("%s: silent from frame %d", actionName(action), frame)
                    << action << Fault::StopAnswers << BridgeOperation::Write << frame;
                QTest::addRow("%s: unplugged after frame %d", actionName(action), frame)
                    << action << Fault::Unplug << BridgeOperation::Write << frame;
            }
        }
    }

    void everyFaultAtEveryPosition()
    {
        QFETCH(Action, action);
        QFETCH(Fault, fault);
        QFETCH(BridgeOperation, operation);
        QFETCH(int, position);
        Run run;
        run.fault = fault;
        run.operation = operation;
        run.position = position;
        const EdidImage before = run.device.sim.splitter().memory(DefaultEdidAddress);
        run.perform(action);

        const QString editor = run.ui().EDIDtext->toPlainText();
        const QString status = run.status();
        const QString table = textOf(run.device.sim.splitter().memory(DefaultEdidAddress));

        // Success is claimed only for the exact table; a failure is told.
        if (status == ReadDone)
            QCOMPARE(editor, table);
        if (status == WriteDone)
            QCOMPARE(editor, table);
        switch (action) {
        case Action::StartUp:
            QVERIFY2(editor.isEmpty() || editor == table, qPrintable(editor));
            break;
        case Action::Read:
            QVERIFY2(editor == TypedText || editor == table, qPrintable(editor));
            QCOMPARE(status == ReadDone, editor == table);
            if (editor != table)
                QVERIFY(run.somethingTold());
            break;
        case Action::Write:
            QCOMPARE(editor, textOf(validTable()));
            if (status != WriteDone)
                QVERIFY(run.somethingTold());
            if (table != textOf(validTable()) && table != textOf(before))
                QVERIFY2(run.dialogs.count(FakeUserDialogs::Kind::Warning) > 0,
                         "a part-written table needs a warning");
            break;
        case Action::ModeSwitch:
            QCOMPARE(editor, TypedText);
            break;
        }

        // The device is closed: no handle kept, every opened handle closed.
        QCOMPARE(run.device.connection.handle(), NoDeviceHandle);
        QCOMPARE(run.handlesLeftOpen(), 0);
        if (!(fault == Fault::FailCall && operation == BridgeOperation::Close))
            QVERIFY(!run.device.sim.isOpen(0));
        if (QProgressBar *bar = run.window->progressIndicator())
            QVERIFY(bar->isHidden());
    }
};

QTEST_MAIN(TstFaultMatrix)
#include "tst_faultmatrix.moc"
