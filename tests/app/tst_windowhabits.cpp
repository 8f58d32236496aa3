// What a new user tries first: the Edit menu and its keys, Alt keys over the
// editor, Help, Contents, and why the Details window's edits are off in AUTOMIX.
#include "DeviceMessages.h"
#include "EdidDetailsWindow.h"
#include "EdidTestData.h"
#include "FakeUserDialogs.h"
#include "HexText.h"
#include "MainWindow.h"
#include "MainWindowTestAccess.h"
#include "SimulatedWindowRig.h"
#include "decode/EdidDecoder.h"
#include "sim/SimulatedSplitter.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

using namespace varnex::edid;

namespace {

struct Fixture
{
    FakeUserDialogs dialogs;
    QPointer<MainWindow> window;

    Fixture()
    {
        MainWindowServices services;
        services.dialogs = &dialogs;
        services.endProcess = [](int) {};
        window = new MainWindow(services);
    }
    ~Fixture() { delete window.data(); }
    Ui::MainWindow &ui() { return MainWindowTestAccess(*window).ui(); }
    QTextEdit *editor() { return ui().EDIDtext; }
    QString text() { return editor()->toPlainText(); }
    // Shown and active, so that the window's shortcuts are live.
    bool showActive()
    {
        window->show();
        return QTest::qWaitForWindowActive(window);
    }
    EdidDetailsWindow *openDetails()
    {
        ui().actionDetails->trigger();
        auto *details = window->findChild<EdidDetailsWindow *>();
        if (details)
            details->flushPendingDecode();
        return details;
    }
};

EdidImage sampleTable(const char *name)
{
    return EdidTestData::toImage(EdidTestData::readSample(QString::fromLatin1(name)));
}

} // namespace

class TestWindowHabits : public QObject
{
    Q_OBJECT

private slots:
    // File, Edit, then the menus after them; the Edit menu's actions and
    // keys; Help, Contents on F1 and About on no key.
    void menus()
    {
        Fixture f;
        QStringList bar;
        for (const QAction *action : f.ui().menubar->actions())
            bar << action->menu()->objectName();
        QCOMPARE(bar, QStringList({"menuFile", "menuEdit", "menuView", "menuDevice", "menuHelp"}));
        const auto *edit = f.window->findChild<QMenu *>("menuEdit");
        QStringList names;
        for (const QAction *action : edit->actions())
            if (!action->isSeparator())
                names << action->objectName() + QLatin1Char('=') +
                             QKeySequence::listToString(action->shortcuts());
        QCOMPARE(
            names,
            QStringList({
                "actionUndo=" +
                    QKeySequence::listToString(QKeySequence::keyBindings(QKeySequence::Undo)),
                "actionRedo=" +
                    QKeySequence::listToString(QKeySequence::keyBindings(QKeySequence::Redo)) +
                    (QKeySequence::keyBindings(QKeySequence::Redo).contains(QKeySequence("Ctrl+Y"))
                         ? ""
                         : "; Ctrl+Y"),
                "actionCut=" +
                    QKeySequence::listToString(QKeySequence::keyBindings(QKeySequence::Cut)),
                "actionCopy=" +
                    QKeySequence::listToString(QKeySequence::keyBindings(QKeySequence::Copy)),
                "actionPaste=" +
                    QKeySequence::listToString(QKeySequence::keyBindings(QKeySequence::Paste)),
                "actionSelectAll=" +
                    QKeySequence::listToString(QKeySequence::keyBindings(QKeySequence::SelectAll)),
            }));
        const QList<QAction *> help = f.ui().menuHelp->actions();
        QCOMPARE(help.size(), 2);
        QCOMPARE(help[0]->objectName(), QString("actionHelpContents"));
        QCOMPARE(help[0]->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(help[1], f.ui().actionAbout);
        QVERIFY(f.ui().actionAbout->shortcut().isEmpty());
    }

    // Keys pressed on the editor (or on a button, for the menu's shortcuts)
    // after two tables were shown one after the other, with the first byte
    // selected. "first", "second": the text is that table's; "cut": the
    // second without its first byte.
    void keys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("onEditor");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Alt+F types nothing") << "Alt+F" << true << "second";
        QTest::newRow("Alt+D types nothing") << "Alt+D" << true << "second";
        QTest::newRow("Alt+Shift+A types nothing") << "Alt+Shift+A" << true << "second";
        QTest::newRow("a letter types") << "E" << true << "typed";
        QTest::newRow("Alt+Backspace is the editor's") << "Alt+Backspace" << true << "first";
        QTest::newRow("Ctrl+Z in the editor") << "Ctrl+Z" << true << "first";
        QTest::newRow("Ctrl+Z from a button") << "Ctrl+Z" << false << "first";
        QTest::newRow("Ctrl+Y redoes") << "Ctrl+Z, Ctrl+Y" << false << "second";
        QTest::newRow("Ctrl+Y redoes in the editor") << "Ctrl+Z, Ctrl+Y" << true << "second";
        QTest::newRow("Ctrl+Shift+Z redoes") << "Ctrl+Z, Ctrl+Shift+Z" << false << "second";
        QTest::newRow("Ctrl+X cuts from a button") << "Ctrl+X" << false << "cut";
        QTest::newRow("Ctrl+X, Ctrl+V pastes back") << "Ctrl+X, Ctrl+V" << false << "second";
        QTest::newRow("Ctrl+A, Ctrl+X cuts all") << "Ctrl+A, Ctrl+X" << false << "";
        QTest::newRow("Ctrl+C, Ctrl+A, Ctrl+V") << "Ctrl+C, Ctrl+A, Ctrl+V" << false << "byte";
    }

    void keys()
    {
        QFETCH(QString, keys);
        QFETCH(bool, onEditor);
        QFETCH(QString, expected);
        Fixture f;
        f.editor()->setEnabled(true);
        const EdidImage first = sampleTable("lg-oled-c9-hdmi");
        EdidImage second = first;
        second[0] = 0x12; // not a table any more, but text to edit all the same
        MainWindowTestAccess(*f.window).DisplayEDID(first);
        MainWindowTestAccess(*f.window).DisplayEDID(second);
        QVERIFY(f.showActive());
        QTextCursor cursor = f.editor()->textCursor();
        cursor.setPosition(0);
        cursor.setPosition(2, QTextCursor::KeepAnchor);
        f.editor()->setTextCursor(cursor);
        QWidget *target = onEditor ? static_cast<QWidget *>(f.editor()) : f.ui().ButReadEDID;
        target->setFocus();

        for (const QString &key : keys.split(QStringLiteral(", ")))
            QTest::keySequence(target, QKeySequence(key));

        const QMap<QString, QString> texts{
            {"first", textOf(first)},
            {"second", textOf(second)},
            {"typed", "e" + textOf(second).mid(2)},
            {"cut", textOf(second).mid(2)},
            {"byte", "12"},
            {"", ""},
        };
        QCOMPARE(f.text(), texts.value(expected));
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    // In AUTOMIX the editor is disabled, and the Edit menu with it.
    void editMenuFollowsTheEditor()
    {
        Fixture f;
        MainWindowTestAccess(*f.window).DisplayEDID(sampleTable("lg-oled-c9-hdmi"));
        auto *undo = f.window->findChild<QAction *>("actionUndo");
        auto *paste = f.window->findChild<QAction *>("actionPaste");
        f.editor()->setEnabled(false);
        QVERIFY(!undo->isEnabled());
        QVERIFY(!paste->isEnabled());
        f.editor()->setEnabled(true);
        QVERIFY(undo->isEnabled());
        QVERIFY(paste->isEnabled());
    }

    // An edit from the Details window is one undo step, one that changes
    // nothing is none, and Undo and Redo work from the Details window.
    void detailsEditsAndUndo()
    {
        Fixture f;
        f.editor()->setEnabled(true);
        const EdidImage table = sampleTable("lg-oled-c9-hdmi");
        MainWindowTestAccess(*f.window).DisplayEDID(table);
        const QString before = f.text();
        EdidDetailsWindow *details = f.openDetails();
        QVERIFY(details);
        QVERIFY(QTest::qWaitForWindowActive(details));

        const std::optional<QString> name = decodeEdid(EdidTestData::toBytes(table)).base->name();
        QVERIFY(name && !name->isEmpty());
        f.dialogs.textAnswers.enqueue(*name);
        details->findChild<QAction *>("editProductName")->trigger();
        QCOMPARE(f.text(), before);
        // Undo goes back past the table's display: the edit added no step.
        QTest::keySequence(details, QKeySequence::Undo);
        QCOMPARE(f.text(), QString());
        QTest::keySequence(details, QKeySequence("Ctrl+Y"));
        QCOMPARE(f.text(), before);

        f.dialogs.textAnswers.enqueue(QStringLiteral("Room 1"));
        details->findChild<QAction *>("editProductName")->trigger();
        const QString edited = f.text();
        QVERIFY(edited != before);
        QTest::keySequence(details, QKeySequence::Undo);
        QCOMPARE(f.text(), before);
        QTest::keySequence(details, QKeySequence("Ctrl+Y"));
        QCOMPARE(f.text(), edited);
        QCOMPARE(f.dialogs.calls.size(), 2); // the two name questions, nothing else
    }

    // F1 opens the guide, rendered from Markdown; every menu entry and
    // button of the window is in it, so that the guide keeps up with the window.
    void helpContents()
    {
        Fixture f;
        QVERIFY(f.showActive());
        QTest::keySequence(f.window, QKeySequence(Qt::Key_F1));
        auto *guide = f.window->findChild<QTextBrowser *>("guideWindow");
        QVERIFY(guide);
        QVERIFY(guide->isVisible());
        QVERIFY(guide->isWindow());
        const QString text = guide->toPlainText();
        QVERIFY(!text.contains(QStringLiteral("## ")));
        int headings = 0;
        for (QTextBlock block = guide->document()->begin(); block.isValid(); block = block.next())
            headings += block.blockFormat().headingLevel() > 0;
        QVERIFY(headings >= 10);

        QStringList names;
        for (QPushButton *button : f.window->findChildren<QPushButton *>())
            names << button->text();
        for (const QAction *menu : f.ui().menubar->actions()) {
            names << menu->text();
            for (const QAction *action : menu->menu()->actions())
                if (!action->isSeparator())
                    names << action->text();
        }
        names << f.ui().dynamicEDID->text() << f.ui().staticEDID->text();
        for (const QAction *action : f.ui().menuPresets->actions())
            names << action->text();
        for (const QString &name : std::as_const(names)) {
            const QString plain = QString(name).remove(QStringLiteral("..."));
            if (!text.contains(plain))
                QFAIL(qPrintable(QStringLiteral("The guide does not mention \"%1\"").arg(plain)));
        }
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    // Device, Splitter: with two Varnexes attached the window lists them by
    // link string and works with the one chosen; with one it is hidden.
    void severalSplitters()
    {
        using namespace varnex::device;
        SimulatedWindowRig rig({sim::SimulatedBridgeDevice{}, sim::SimulatedBridgeDevice{}});
        const EdidImage second = validTable();
        rig.device.sim.splitter(1).setMemory(DefaultEdidAddress, second);
        rig.device.sim.splitter(1).setMode(sim::SplitterMode::Custom);
        rig.start();
        const QString first = rig.ui().EDIDtext->toPlainText();
        QVERIFY(first != textOf(second));
        QVERIFY(rig.ui().dynamicEDID->isChecked());

        auto *menu = rig.window->findChild<QMenu *>("menuSplitter");
        emit rig.window->findChild<QMenu *>("menuDevice")->aboutToShow();
        QVERIFY(menu && menu->menuAction()->isVisible());
        QStringList links;
        for (const QAction *action : menu->actions())
            links << action->text() + (action->isChecked() ? "*" : "");
        QCOMPARE(links, QStringList({"sim:0*", "sim:1"}));

        menu->actions().at(1)->trigger();
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), textOf(second));
        QVERIFY(rig.ui().staticEDID->isChecked());
        QVERIFY(menu->actions().at(1)->isChecked());
        // The next read is the chosen one's too.
        rig.ui().actionReadEDID->trigger();
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), textOf(second));
        menu->actions().at(0)->trigger();
        QCOMPARE(rig.ui().EDIDtext->toPlainText(), first);
        QVERIFY(rig.dialogs.calls.isEmpty());

        SimulatedWindowRig single;
        single.start();
        emit single.window->findChild<QMenu *>("menuDevice")->aboutToShow();
        QVERIFY(!single.window->findChild<QMenu *>("menuSplitter")->menuAction()->isVisible());
    }

    // A bridge this user may not open: "Hardware not found" says so and what to do.
    void accessDenied()
    {
        SimulatedWindowRig rig;
        rig.device.sim.denyAccess();
        rig.start();
        rig.ui().actionReadEDID->trigger();
        QCOMPARE(rig.dialogs.calls.size(), 1);
        QCOMPARE(rig.dialogs.calls[0].text, QString("Hardware not found"));
        QCOMPARE(rig.dialogs.calls[0].detail,
                 QString::fromUtf8(varnex::device::messages::AccessDenied));
    }

    // In AUTOMIX the Details window says why its edits are off; in CUSTOM it
    // does not. Long finding messages wrap rather than end in an ellipsis.
    void detailsInAutomix()
    {
        Fixture f;
        MainWindowTestAccess(*f.window).DisplayEDID(sampleTable("lg-oled-c9-hdmi"));
        f.editor()->setEnabled(false);
        EdidDetailsWindow *details = f.openDetails();
        QVERIFY(details);
        details->show();
        auto *note = details->findChild<QLabel *>("editsNote");
        auto *button = details->findChild<QPushButton *>("editButton");
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QString("The table can be edited in CUSTOM mode; switching to "
                                       "CUSTOM changes the Varnex's mode."));
        QVERIFY(!button->isEnabled());
        QCOMPARE(button->toolTip(), note->text());
        f.editor()->setEnabled(true);
        QVERIFY(!note->isVisible());
        QVERIFY(button->isEnabled());

        auto *findings = details->findChild<QTreeWidget *>("findings");
        QCOMPARE(findings->textElideMode(), Qt::ElideNone);
        auto *item = new QTreeWidgetItem(
            findings, {"Warning", "1", "0x80", QString("word ").repeated(60).trimmed()});
        findings->resize(400, 300);
        findings->doItemsLayout();
        const QRect rect = findings->visualItemRect(item);
        QVERIFY2(rect.height() > 2 * findings->fontMetrics().height(),
                 qPrintable(QString::number(rect.height())));
    }
};

QTEST_MAIN(TestWindowHabits)
#include "tst_windowhabits.moc"
