// The window shell: its form, its slots and what the window does itself.
#include "ApplicationIdentity.h"
#include "DialogFont.h"
#include "FakeUserDialogs.h"
#include "MainWindow.h"
#include "MainWindowTestAccess.h"
#include "ProcessState.h"

#include <QApplication>
#include <QDir>
#include <QMetaMethod>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QResource>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>

#include <memory>
#include <optional>

namespace {

using Kind = FakeUserDialogs::Kind;

const QString Title = "Varnex EDID Utility";
const QString AutomixRefusal =
    "Writing is disabled in AUTOMIX mode.\nChoose CUSTOM mode to upload an EDID table\n";
const QString ResetReminder = "Press the reset button on the Varnex after every EDID table write\n";

// One window with fake dialogs and a recorded exit instead of a real one.
struct Fixture
{
    FakeUserDialogs dialogs;
    std::optional<int> exitStatus;
    QPointer<MainWindow> window;

    Fixture()
    {
        MainWindowServices services;
        services.dialogs = &dialogs;
        services.endProcess = [this](int status) { exitStatus = status; };
        window = new MainWindow(services);
    }
    ~Fixture() { delete window.data(); }
    Ui::MainWindow &ui() { return MainWindowTestAccess(*window).ui(); }
    MainWindowTestAccess access() { return MainWindowTestAccess(*window); }
};

void dirtyEdidTextBuffer()
{
    processState().EdidTextBuffer.fill('x');
}

bool edidTextBufferIsZero()
{
    for (char c : processState().EdidTextBuffer)
        if (c != 0)
            return false;
    return true;
}

// Child-process modes of this executable, for the ways the program ends.
int runChild(const QString &mode, int argc, char **argv)
{
    QApplication app(argc, argv);
    applyDialogFont(app);
    auto *window = new MainWindow;
    window->show();
    if (mode == "close-button")
        QTimer::singleShot(0, window, [window] {
            QTest::mousePress(MainWindowTestAccess(*window).ui().ButClose, Qt::LeftButton);
        });
    else if (mode == "exit-action")
        QTimer::singleShot(0, window,
                           [window] { MainWindowTestAccess(*window).ui().actionExit->trigger(); });
    else if (mode == "frame-close")
        QTimer::singleShot(0, window, [window] { window->close(); });
    else
        return 99;
    // Every way out comes back here, so that what main() holds is destroyed
    // (the USB backend gives the serial driver back); std::exit would not.
    const int status = app.exec();
    std::fputs("returned from the event loop\n", stdout);
    return status;
}

} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { processState() = ProcessState{}; }

    void windowProperties()
    {
        Fixture f;
        MainWindow &w = *f.window;
        QCOMPARE(w.metaObject()->className(), "MainWindow");
        QCOMPARE(w.objectName(), QString("MainWindow"));
        QCOMPARE(w.windowTitle(), Title);
        QCOMPARE(w.size(), QSize(380, 500));
        QCOMPARE(w.maximumSize(), QSize(380, 500));
        QCOMPARE(w.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(w.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(w.centralWidget(), f.ui().centralwidget);
        QCOMPARE(w.menuBar(), f.ui().menubar);
        QCOMPARE(f.ui().menubar->geometry(), QRect(0, 0, 380, 21));
        QCOMPARE(w.statusBar(), f.ui().statusbar);
        QVERIFY(w.statusBar()->currentMessage().isEmpty());
    }

    // Fixed at 380 x 500: shrinking would hide the buttons.
    void windowSizeIsFixed()
    {
        Fixture f;
        f.window->show();
        QCOMPARE(f.window->minimumSize(), QSize(380, 500));
        f.window->resize(800, 900);
        QCOMPARE(f.window->size(), QSize(380, 500));
        f.window->resize(200, 100);
        QCOMPARE(f.window->size(), QSize(380, 500));
    }

    void widgetTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");

        QTest::newRow("ButReadEDID") << "ButReadEDID"
                                     << "QPushButton" << QRect(15, 390, 101, 23) << "Read EDID";
        QTest::newRow("ButWriteEDID") << "ButWriteEDID"
                                      << "QPushButton" << QRect(265, 390, 101, 23) << "Write EDID";
        QTest::newRow("EDIDtext") << "EDIDtext"
                                  << "QTextEdit" << QRect(15, 100, 351, 251) << QString();
        QTest::newRow("ButLoadEDID")
            << "ButLoadEDID"
            << "QPushButton" << QRect(15, 425, 101, 23) << "Load from File";
        QTest::newRow("ButSaveEDID") << "ButSaveEDID"
                                     << "QPushButton" << QRect(135, 425, 111, 23) << "Save to File";
        QTest::newRow("ButClose") << "ButClose"
                                  << "QPushButton" << QRect(265, 425, 101, 23) << "Close";
        QTest::newRow("ButCalculateCheckSum")
            << "ButCalculateCheckSum"
            << "QPushButton" << QRect(135, 390, 111, 23) << "Verify Checksum";
        QTest::newRow("dynamicEDID") << "dynamicEDID"
                                     << "QRadioButton" << QRect(15, 50, 291, 17)
                                     << "AUTOMIX: Allow Varnex to create the EDID table";
        QTest::newRow("staticEDID")
            << "staticEDID"
            << "QRadioButton" << QRect(15, 70, 221, 17) << "CUSTOM: Use the EDID table below";
        QTest::newRow("label") << "label"
                               << "QLabel" << QRect(15, 20, 181, 16) << "Current EDID selection:";
    }

    void widgetTable()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);

        Fixture f;
        auto *widget = f.ui().centralwidget->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
        QVERIFY(widget);
        QCOMPARE(widget->metaObject()->className(), className.toLatin1());
        QCOMPARE(widget->geometry(), geometry);
        const QVariant shown = widget->property("text");
        if (!text.isNull())
            QCOMPARE(shown.toString(), text);
    }

    void widgetCreationOrder()
    {
        Fixture f;
        QStringList names;
        for (QObject *child : f.ui().centralwidget->children())
            if (child->isWidgetType())
                names << child->objectName();
        QCOMPARE(names, QStringList({"ButReadEDID", "ButWriteEDID", "EDIDtext", "ButLoadEDID",
                                     "ButSaveEDID", "ButClose", "ButCalculateCheckSum",
                                     "dynamicEDID", "staticEDID", "label"}));
    }

    void fontsAndInitialState()
    {
        Fixture f;
        QCOMPARE(f.ui().EDIDtext->font().family(), QString("Courier New"));
        QCOMPARE(f.ui().label->font().pointSize(), 12);
        QVERIFY(f.ui().dynamicEDID->isChecked());
        QVERIFY(!f.ui().staticEDID->isChecked());
        // Without a splitter the window starts in AUTOMIX with an empty, disabled editor.
        QVERIFY(!f.ui().EDIDtext->isEnabled());
        QVERIFY(f.ui().EDIDtext->toPlainText().isEmpty());
        QCOMPARE(processState().deviceSettings.automix, quint8(1));
        QVERIFY(f.ui().ButReadEDID->isEnabled());
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    void menusAndActions()
    {
        Fixture f;
        Ui::MainWindow &ui = f.ui();
        const QList<QAction *> menus = ui.menubar->actions();
        QCOMPARE(menus.size(), 5);
        QCOMPARE(menus[0], ui.menuFile->menuAction());
        QCOMPARE(menus[1]->menu()->objectName(), QString("menuEdit"));
        QCOMPARE(menus[2], ui.menuView->menuAction());
        QCOMPARE(menus[3]->menu()->objectName(), QString("menuDevice"));
        QCOMPARE(menus[4], ui.menuHelp->menuAction());
        QCOMPARE(ui.menuView->title(), QString("View"));
        QCOMPARE(ui.menuView->actions(), QList<QAction *>{ui.actionDetails});
        QCOMPARE(ui.menuFile->title(), QString("File"));
        QCOMPARE(ui.menuHelp->title(), QString("Help"));
        const QList<QAction *> file = ui.menuFile->actions();
        QCOMPARE(file.size(), 11);
        QCOMPARE(file[0], ui.actionReadEDID);
        QCOMPARE(file[1], ui.actionLoadFromFile);
        QCOMPARE(file[2]->menu()->objectName(), QString("menuRecentFiles"));
        QCOMPARE(file[2]->text(), QString("Recent Files"));
        QCOMPARE(file[3], ui.menuLoadFromDisplay->menuAction());
        QCOMPARE(file[4], ui.menuPresets->menuAction());
        QCOMPARE(file[5]->objectName(), QString("actionCompose"));
        QCOMPARE(file[6]->objectName(), QString("actionLibrary"));
        QCOMPARE(file[6]->text(), QString("Library..."));
        QCOMPARE(file[6]->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
        QCOMPARE(file[7], ui.actionSaveToFile);
        QCOMPARE(file[8], ui.actionSaveHexText);
        QVERIFY(file[9]->isSeparator());
        QCOMPARE(file[10], ui.actionExit);
        QCOMPARE(ui.menuLoadFromDisplay->title(), QString("Load from Display"));
        QCOMPARE(ui.menuPresets->title(), QString("New from Preset"));
        QCOMPARE(ui.actionSaveHexText->text(), QString("Save as Hex Text..."));
        QCOMPARE(ui.menuHelp->actions().size(), 2);
        QCOMPARE(ui.menuHelp->actions().constLast(), ui.actionAbout);
        QCOMPARE(ui.actionExit->text(), QString("Exit"));
        QCOMPARE(ui.actionAbout->text(), QString("About"));
        QCOMPARE(ui.actionExit->parent(), f.window.data());
    }

    // Every shortcut reaches its action from anywhere in the window; none writes.
    void shortcuts_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("dialog"); // the dialog the action opens, or -1 for the exit
        QTest::addColumn<QString>("text");
        QTest::newRow("Ctrl+R Read EDID") << "Ctrl+R" << int(Kind::Warning) << "Hardware not found";
        QTest::newRow("Ctrl+O Load from File") << "Ctrl+O" << int(Kind::OpenFile) << QString();
        QTest::newRow("Ctrl+S Save to File")
            << "Ctrl+S" << int(Kind::SaveFile) << "Varnex_edid0.bin";
        QTest::newRow("Ctrl+Q Exit") << "Ctrl+Q" << -1 << QString();
    }

    void shortcuts()
    {
        QFETCH(QString, keys);
        QFETCH(int, dialog);
        QFETCH(QString, text);
        Fixture f;
        f.ui().EDIDtext->setEnabled(true);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        f.ui().EDIDtext->setFocus();
        QTest::keySequence(f.window, QKeySequence(keys));
        if (dialog < 0) {
            QCOMPARE(f.exitStatus, std::optional<int>(0));
            return;
        }
        QCOMPARE(f.dialogs.calls.size(), 1);
        QCOMPARE(int(f.dialogs.calls[0].kind), dialog);
        if (!text.isNull())
            QCOMPARE(f.dialogs.calls[0].text, text);
        QVERIFY(f.ui().EDIDtext->toPlainText().isEmpty());

        // The Edit menu's standard keys are tested with the menu (tst_windowhabits).
        QStringList all;
        for (const QAction *action : f.window->findChildren<QAction *>())
            if (!action->shortcut().isEmpty() &&
                action->parent() != f.window->findChild<QMenu *>("menuEdit"))
                all << action->shortcut().toString();
        all.sort();
        QCOMPARE(all,
                 QStringList({"Ctrl+D", "Ctrl+L", "Ctrl+O", "Ctrl+Q", "Ctrl+R", "Ctrl+S", "F1"}));
        QVERIFY(f.ui().ButWriteEDID->shortcut().isEmpty());
    }

    // Tab follows the layout and leaves the editor without typing into it.
    // The two radio buttons are one stop, at the checked one; the arrow keys
    // move between them.
    void tabOrder()
    {
        Fixture f;
        f.ui().EDIDtext->setEnabled(true);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        QCOMPARE(f.ui().dynamicEDID->nextInFocusChain(), f.ui().staticEDID);
        f.ui().dynamicEDID->setFocus();
        QStringList order{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, QStringList({"dynamicEDID", "EDIDtext", "ButReadEDID",
                                     "ButCalculateCheckSum", "ButWriteEDID", "ButLoadEDID",
                                     "ButSaveEDID", "ButClose", "dynamicEDID"}));
        QVERIFY(f.ui().EDIDtext->toPlainText().isEmpty());
    }

    // Typed changes are not replaced or ended without a question; program
    // changes and stored tables never bring it up.
    void discardQuestion_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("happens");
        QTest::newRow("nothing typed, read") << "nothing"
                                             << "read" << false << false << true;
        QTest::newRow("drawn and verified, load") << "program"
                                                  << "load" << false << false << true;
        QTest::newRow("typed, read, No") << "typed"
                                         << "read" << false << true << false;
        QTest::newRow("typed, read, Yes") << "typed"
                                          << "read" << true << true << true;
        QTest::newRow("typed, load, No") << "typed"
                                         << "load" << false << true << false;
        QTest::newRow("typed, Close, No") << "typed"
                                          << "close" << false << true << false;
        QTest::newRow("typed, Exit, Yes") << "typed"
                                          << "exit" << true << true << true;
        QTest::newRow("typed, frame close, No") << "typed"
                                                << "frame" << false << true << false;
        QTest::newRow("typed and saved, Close") << "saved"
                                                << "close" << false << false << true;
    }

    void discardQuestion()
    {
        QFETCH(QString, before);
        QFETCH(QString, action);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, happens);
        Fixture f;
        QTemporaryDir dir;
        Ui::MainWindow &ui = f.ui();
        ui.EDIDtext->setEnabled(true);
        f.window->show();
        if (before == "program") {
            f.access().DisplayEDID(varnex::edid::EdidImage{});
            QVERIFY(f.access().VerifyEDIDChecksum());
        } else if (before != "nothing") {
            QTest::keyClicks(ui.EDIDtext, "0a 1b");
        }
        if (before == "saved") {
            f.dialogs.fileNames.enqueue(dir.filePath("saved.bin"));
            QVERIFY(f.access().WriteEDIDtoFile());
        }
        const QString text = ui.EDIDtext->toPlainText();
        f.dialogs.calls.clear();
        f.dialogs.confirmAnswers.enqueue(answer);

        bool closed = false;
        if (action == "read")
            QTest::mousePress(ui.ButReadEDID, Qt::LeftButton);
        else if (action == "load")
            QTest::mousePress(ui.ButLoadEDID, Qt::LeftButton);
        else if (action == "close")
            QTest::mousePress(ui.ButClose, Qt::LeftButton);
        else if (action == "exit")
            ui.actionExit->trigger();
        else
            closed = f.window->close();

        QCOMPARE(f.dialogs.count(Kind::ConfirmWarning), asked ? 1 : 0);
        if (asked) {
            const FakeUserDialogs::Call &question = f.dialogs.calls[0];
            QCOMPARE(question.text, QString("Discard the changes in the editor?"));
            QCOMPARE(question.title, Title);
            QCOMPARE(question.parent.data(), f.window.data());
        }
        const int actionDialogs = f.dialogs.calls.size() - (asked ? 1 : 0);
        if (action == "read" || action == "load")
            QCOMPARE(actionDialogs, happens ? 1 : 0); // "Hardware not found", the open dialog
        else if (action == "frame")
            QCOMPARE(closed, happens);
        else
            QCOMPARE(f.exitStatus.has_value(), happens);
        if (!happens)
            QCOMPARE(ui.EDIDtext->toPlainText(), text);
    }

    void slotsInMetaObjectOrder()
    {
        const QMetaObject &mo = MainWindow::staticMetaObject;
        const QStringList expected = {"on_ProgressChange(int,int)",
                                      "SaveEDIDtoFile()",
                                      "LoadEDIDfromFile()",
                                      "FileExit()",
                                      "FileAbout()",
                                      "ReadEDID()",
                                      "WriteEDID()",
                                      "SelectEdid(int)",
                                      "CalculateChkSum()",
                                      "CheckEDIDStatus()"};
        QCOMPARE(mo.methodCount() - mo.methodOffset(), int(expected.size()));
        for (int i = 0; i < expected.size(); ++i) {
            const QMetaMethod method = mo.method(mo.methodOffset() + i);
            QCOMPARE(QString::fromLatin1(method.methodSignature()), expected[i]);
            QCOMPARE(method.methodType(), QMetaMethod::Slot);
            QCOMPARE(method.access(), i == 0 ? QMetaMethod::Public : QMetaMethod::Private);
        }
        QCOMPARE(mo.propertyCount(), mo.propertyOffset());
    }

    void formResourceIsCompressedCopyOfForm()
    {
        QResource resource(":/QT/forms/DoctorForm.ui");
        QVERIFY(resource.isValid());
        QCOMPARE(resource.compressionAlgorithm(), QResource::ZlibCompression);
        QFile source(VARNEX_FORM_FILE);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QCOMPARE(resource.uncompressedData(), source.readAll());
    }

    // Each push button acts when the mouse goes down, before it is released.
    void buttonsActOnPress_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Read EDID") << "ButReadEDID";
        QTest::newRow("Write EDID") << "ButWriteEDID";
        QTest::newRow("Load from File") << "ButLoadEDID";
        QTest::newRow("Save to File") << "ButSaveEDID";
        QTest::newRow("Verify Checksum") << "ButCalculateCheckSum";
    }

    void buttonsActOnPress()
    {
        QFETCH(QString, button);
        Fixture f;
        f.window->show();
        auto *widget = f.window->findChild<QPushButton *>(button);
        QVERIFY(widget);
        dirtyEdidTextBuffer();
        QTest::mousePress(widget, Qt::LeftButton);
        QVERIFY(widget->isDown());
        QVERIFY(edidTextBufferIsZero());
        QTest::mouseRelease(widget, Qt::LeftButton);
    }

    void closeButtonEndsWithStatusZeroOnPress()
    {
        Fixture f;
        f.window->show();
        QTest::mousePress(f.ui().ButClose, Qt::LeftButton);
        QCOMPARE(f.exitStatus, std::optional<int>(0));
        QVERIFY(f.window.isNull());
    }

    void exitActionEndsWithStatusZero()
    {
        Fixture f;
        f.ui().actionExit->trigger();
        QCOMPARE(f.exitStatus, std::optional<int>(0));
        QVERIFY(f.window.isNull());
    }

    void aboutBox()
    {
        Fixture f;
        f.ui().actionAbout->trigger();
        QCOMPARE(f.dialogs.calls.size(), 1);
        const FakeUserDialogs::Call &call = f.dialogs.calls[0];
        QCOMPARE(call.kind, Kind::About);
        QCOMPARE(call.parent.data(), f.window.data());
        QCOMPARE(call.title, QString("About Varnex EDID Utility"));
        QVERIFY(call.text.startsWith("<h2>Varnex EDID Utility Version 1.0</h2><p>"));
        QCOMPARE(call.text.count("<p>"), 1);
        QVERIFY(call.text.endsWith("</p>"));
    }

    void writeRefusedInAutomix()
    {
        Fixture f;
        dirtyEdidTextBuffer();
        QTest::mousePress(f.ui().ButWriteEDID, Qt::LeftButton);
        QVERIFY(edidTextBufferIsZero());
        QCOMPARE(f.dialogs.calls.size(), 1);
        QCOMPARE(f.dialogs.calls[0].kind, Kind::Warning);
        QCOMPARE(f.dialogs.calls[0].parent.data(), f.window.data());
        QCOMPARE(f.dialogs.calls[0].title, Title);
        QCOMPARE(f.dialogs.calls[0].text, AutomixRefusal);
        QVERIFY(!processState().ResetReminderShown);
    }

    // The reminder follows the first write attempt in CUSTOM mode, also a
    // failed one (no splitter here), and never again in the same run.
    void resetReminderOncePerRun()
    {
        Fixture f;
        f.window->show();
        QTest::mousePress(f.ui().ButWriteEDID, Qt::LeftButton); // refused in AUTOMIX
        QTest::mouseRelease(f.ui().ButWriteEDID, Qt::LeftButton);
        QTest::mouseClick(f.ui().staticEDID, Qt::LeftButton);
        QCOMPARE(processState().deviceSettings.automix, quint8(0));

        f.dialogs.calls.clear();
        QTest::mousePress(f.ui().ButWriteEDID, Qt::LeftButton);
        QTest::mouseRelease(f.ui().ButWriteEDID, Qt::LeftButton);
        QVERIFY(!f.dialogs.calls.isEmpty());
        QCOMPARE(f.dialogs.calls.last().kind, Kind::Information);
        QCOMPARE(f.dialogs.calls.last().title, Title);
        QCOMPARE(f.dialogs.calls.last().text, ResetReminder);
        QCOMPARE(f.dialogs.count(Kind::Information), 1);
        QVERIFY(processState().ResetReminderShown);

        f.dialogs.calls.clear();
        QTest::mousePress(f.ui().ButWriteEDID, Qt::LeftButton);
        QCOMPARE(f.dialogs.count(Kind::Information), 0);

        // Back in AUTOMIX the write is refused again.
        QTest::mouseClick(f.ui().dynamicEDID, Qt::LeftButton);
        f.dialogs.calls.clear();
        QTest::mousePress(f.ui().ButWriteEDID, Qt::LeftButton);
        QCOMPARE(f.dialogs.calls.size(), 1);
        QCOMPARE(f.dialogs.calls[0].text, AutomixRefusal);
    }

    void radioClickSwitchesModeButCodeDoesNot()
    {
        Fixture f;
        f.window->show();
        Ui::MainWindow &ui = f.ui();

        ui.staticEDID->setChecked(true); // from code: no slot runs
        QCOMPARE(processState().deviceSettings.automix, quint8(1));
        QVERIFY(!ui.EDIDtext->isEnabled());
        ui.dynamicEDID->setChecked(true);

        processState().EdidTextBuffer.fill('x');
        QTest::mouseClick(ui.staticEDID, Qt::LeftButton);
        QVERIFY(ui.staticEDID->isChecked());
        QVERIFY(!ui.dynamicEDID->isChecked());
        QCOMPARE(processState().deviceSettings.automix, quint8(0));
        QVERIFY(ui.EDIDtext->isEnabled());
        // The mode switch leaves the text buffer alone.
        QCOMPARE(processState().EdidTextBuffer[0], 'x');

        QTest::mouseClick(ui.dynamicEDID, Qt::LeftButton);
        QVERIFY(!ui.staticEDID->isChecked());
        QCOMPARE(processState().deviceSettings.automix, quint8(1));
        QVERIFY(!ui.EDIDtext->isEnabled());
    }

    void progressIndicator_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("visible");
        QTest::newRow("start of read") << 0 << 255 << false;
        QTest::newRow("second chunk") << 16 << 255 << true;
        QTest::newRow("last write frame") << 31 << 32 << true;
        QTest::newRow("no maximum") << 16 << 0 << false;
        QTest::newRow("negative value") << -1 << 10 << false;
        QTest::newRow("end of transfer") << 0 << 0 << false;
    }

    void progressIndicator()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, visible);
        Fixture f;
        f.window->show();
        f.window->on_ProgressChange(5, 10); // no indicator yet: nothing happens
        QCOMPARE(f.window->progressIndicator(), nullptr);

        f.access().createProgressIndicator();
        QProgressBar *bar = f.window->progressIndicator();
        QVERIFY(bar);
        QVERIFY(bar->isHidden());
        QVERIFY(!bar->isTextVisible());
        QCOMPARE(bar->parentWidget(), f.window->statusBar());

        f.window->on_ProgressChange(8, 64);
        f.window->on_ProgressChange(a, b);
        QCOMPARE(bar->isVisible(), visible);
        if (visible) {
            QCOMPARE(bar->maximum(), b);
            QCOMPARE(bar->value(), a);
        }
    }

    void freshIndicatorPerTransfer()
    {
        Fixture f;
        f.access().createProgressIndicator();
        QProgressBar *first = f.window->progressIndicator();
        f.access().createProgressIndicator();
        QProgressBar *second = f.window->progressIndicator();
        QVERIFY(first != second);
        QCOMPARE(first->parentWidget(), f.window->statusBar());
        f.window->show();
        f.window->on_ProgressChange(16, 255);
        QVERIFY(second->isVisible());
        QVERIFY(first->isHidden());
    }

    void selectEdid_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("address");
        QTest::newRow("0") << 0 << 0xB0;
        QTest::newRow("1") << 1 << 0xA0;
        QTest::newRow("2") << 2 << 0xB2;
        QTest::newRow("3") << 3 << 0xB4;
        QTest::newRow("4") << 4 << 0xB6;
        QTest::newRow("5 keeps") << 5 << 0xB2;
        QTest::newRow("-1 keeps") << -1 << 0xB2;
    }

    void selectEdid()
    {
        QFETCH(int, index);
        QFETCH(int, address);
        Fixture f;
        QCOMPARE(processState().deviceSettings.edidAddress, quint8(0xA0));
        f.access().SelectEdid(2);
        f.access().SelectEdid(index);
        QCOMPARE(processState().deviceSettings.edidAddress, quint8(address));
    }

    void programEnds_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("Close button") << "close-button";
        QTest::newRow("File, Exit") << "exit-action";
        QTest::newRow("frame close") << "frame-close";
    }

    void programEnds()
    {
        QFETCH(QString, mode);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {"--child", mode});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(child.readAllStandardOutput(), QByteArray("returned from the event loop\n"));
    }

    // The desktop matches the window to its launcher and shows the packaged
    // icon; drawing it needs Qt's SVG plugin at run time.
    void desktopIdentity()
    {
        setApplicationIdentity();
        applyWindowIcon();
        Fixture f;
        QCOMPARE(QGuiApplication::desktopFileName(), QString("io.github.varnex.EdidUtility"));
        const QImage icon = f.window->windowIcon().pixmap(QSize(64, 64)).toImage();
        QCOMPARE(icon.size(), QSize(64, 64));
        QVERIFY(icon.pixelColor(32, 32).alpha() > 0); // the drawing, not an empty pixmap
    }

    // The installed program's command line. Help and version come without a
    // window system: the platform named here does not exist, and creating the
    // application object would abort.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // patterns
        QTest::addColumn<QString>("err");
        const QString usage = "^Usage: varnex-edid-utility \\[options\\] \\[file\\]\n.*--version.*";
        QTest::newRow("--help") << QStringList{"--help"} << "none" << 0 << usage << "^$";
        QTest::newRow("-h after Qt's options")
            << QStringList{"-platform", "none", "-h"} << "none" << 0 << usage << "^$";
        QTest::newRow("--version") << QStringList{"--version"} << "none" << 0
                                   << "^varnex-edid-utility \\d+\\.\\d+\\.\\d+\n$"
                                   << "^$";
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << "offscreen" << 1 << "^$"
            << "varnex-edid-utility: Unknown option 'bogus'.\nTry 'varnex-edid-utility --help'.\n$";
        QTest::newRow("two files") << QStringList{"a.bin", "b.bin"} << "offscreen" << 1 << "^$"
                                   << "varnex-edid-utility: Only one file can be loaded.\n";
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", platform);
        environment.insert("VARNEX_BRIDGE", "sim");
        environment.insert("VARNEX_SIM_STATE", dir.filePath("state.bin"));
        environment.insert("XDG_RUNTIME_DIR", dir.path());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VARNEX_BUILD_DIR "/bin/varnex-edid-utility"), arguments);
        QVERIFY(program.waitForFinished(30000));
        const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const auto dotAll = QRegularExpression::DotMatchesEverythingOption;
        QVERIFY2(QRegularExpression(out, dotAll).match(stdOut).hasMatch(), qPrintable(stdOut));
        QVERIFY2(QRegularExpression(err, dotAll).match(stdErr).hasMatch(), qPrintable(stdErr));
    }

    void screenshot()
    {
        Fixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window));
        const QString dir = QStringLiteral(VARNEX_BUILD_DIR) + "/screenshots";
        QVERIFY(QDir().mkpath(dir));
        const QImage image = f.window->grab().toImage();
        QCOMPARE(image.size() / image.devicePixelRatio(), QSize(380, 500));
        QVERIFY(image.save(dir + "/mainwindow.png"));
    }
};

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return runChild(QString::fromLocal8Bit(argv[2]), argc, argv);
    QApplication app(argc, argv);
    applyDialogFont(app);
    TstMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
