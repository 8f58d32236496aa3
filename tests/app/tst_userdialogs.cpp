// The real message boxes behind the dialog seam: opened for real, inspected
// while they run, then closed.
#include "QtUserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

struct SeenBox
{
    bool seen = false;
    QPointer<QWidget> parent;
    QString title, text, informativeText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool modal = false;
};

// Inspects the modal box once it runs, then presses `answer` on it.
void inspectNextBox(SeenBox &seen, QMessageBox::StandardButton answer)
{
    QTimer::singleShot(0, [&seen, answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.seen = true;
        seen.parent = box->parentWidget();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.informativeText = box->informativeText();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->standardButton(box->defaultButton());
        seen.modal = box->isModal();
        box->button(answer)->click();
    });
}

} // namespace

class TstUserDialogs : public QObject
{
    Q_OBJECT

private slots:
    void warningBox()
    {
        QMainWindow window;
        window.setWindowTitle("Varnex EDID Utility");
        QtUserDialogs dialogs;
        SeenBox seen;
        inspectNextBox(seen, QMessageBox::Ok);
        dialogs.warning(&window, "Varnex EDID Utility", "Hardware not found", "Check the cable.");

        QVERIFY(seen.seen);
        QCOMPARE(seen.parent.data(), &window);
        QCOMPARE(seen.title, QString("Varnex EDID Utility"));
        QCOMPARE(seen.text, QString("Hardware not found"));
        QCOMPARE(seen.informativeText, QString("Check the cable."));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(seen.modal);
    }

    void informationBox()
    {
        QMainWindow window;
        QtUserDialogs dialogs;
        SeenBox seen;
        inspectNextBox(seen, QMessageBox::Ok);
        dialogs.information(&window, "Varnex EDID Utility", "Reminder\n");

        QVERIFY(seen.seen);
        QCOMPARE(seen.parent.data(), &window);
        QCOMPARE(seen.icon, QMessageBox::Information);
        QCOMPARE(seen.text, QString("Reminder\n"));
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void questionBox_data()
    {
        QTest::addColumn<QString>("windowTitle");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("expected");
        QTest::newRow("no title, Yes") << QString() << int(QMessageBox::Yes) << true;
        QTest::newRow("no title, No") << QString() << int(QMessageBox::No) << false;
        QTest::newRow("titled, Yes")
            << QString("Varnex EDID Utility") << int(QMessageBox::Yes) << true;
    }

    void questionBox()
    {
        QFETCH(QString, windowTitle);
        QFETCH(int, answer);
        QFETCH(bool, expected);
        QtUserDialogs dialogs;
        SeenBox seen;
        inspectNextBox(seen, QMessageBox::StandardButton(answer));
        const bool yes =
            dialogs.askYesNo(windowTitle, "The EDID Checksum is not correct.", "Write anyway?");

        QVERIFY(seen.seen);
        QCOMPARE(yes, expected);
        QVERIFY(seen.parent.isNull());
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.text, QString("The EDID Checksum is not correct."));
        QCOMPARE(seen.informativeText, QString("Write anyway?"));
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
        if (!windowTitle.isEmpty())
            QCOMPARE(seen.title, windowTitle);
    }

    void confirmWarningBox_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("No") << int(QMessageBox::No) << false;
    }

    void confirmWarningBox()
    {
        QFETCH(int, answer);
        QFETCH(bool, expected);
        QMainWindow window;
        QtUserDialogs dialogs;
        SeenBox seen;
        inspectNextBox(seen, QMessageBox::StandardButton(answer));
        const bool yes = dialogs.confirmWarning(&window, "Varnex EDID Utility",
                                                "Discard the changes in the editor?", "details");

        QVERIFY(seen.seen);
        QCOMPARE(yes, expected);
        QCOMPARE(seen.parent.data(), &window);
        QCOMPARE(seen.title, QString("Varnex EDID Utility"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.text, QString("Discard the changes in the editor?"));
        QCOMPARE(seen.informativeText, QString("details"));
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(seen.defaultButton, QMessageBox::No);
        QVERIFY(seen.modal);
    }

    void textInputStopsAtMaxLength()
    {
        // The user types past the limit; the field keeps the first characters.
        QtUserDialogs dialogs;
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            auto *edit = dialog->findChild<QLineEdit *>();
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("Conference room 12"));
            shown = edit->text();
            dialog->accept();
        });
        const std::optional<QString> text =
            dialogs.askText(nullptr, QStringLiteral("Name"), QStringLiteral("Name:"),
                            QStringLiteral("LG TV"), {}, 13);
        QCOMPARE(shown, QStringLiteral("Conference ro"));
        QCOMPARE(text, std::optional<QString>(QStringLiteral("Conference ro")));
    }

    void questionBoxHasNoDefaultButtonSet()
    {
        auto box = QtUserDialogs::makeQuestionBox({}, "text", "info");
        QCOMPARE(box->defaultButton(), nullptr);
        auto warning = QtUserDialogs::makeWarningBox(nullptr, "t", "x");
        QCOMPARE(warning->defaultButton(), nullptr);
    }
};

QTEST_MAIN(TstUserDialogs)
#include "tst_userdialogs.moc"
