#include "DeviceLinkMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class TestDeviceLinkBox : public QObject
{
    Q_OBJECT

private slots:
    void boxHasTheFixedForm();
    void showMessageRunsTheBoxUntilDismissed();
};

void TestDeviceLinkBox::boxHasTheFixedForm()
{
    const QString text = QStringLiteral("Unable to flush device bufers!");
    const std::unique_ptr<QMessageBox> box = DeviceLinkMessageBox::build(text);

    QCOMPARE(box->parent(), nullptr);
    QCOMPARE(box->windowTitle(), QStringLiteral(" "));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->text(), text);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(box->informativeText().isEmpty());
    QVERIFY(!box->isVisible());
}

void TestDeviceLinkBox::showMessageRunsTheBoxUntilDismissed()
{
    QString seenTitle;
    QString seenText;
    bool seenParentless = false;
    // Looks for the modal box as soon as the event loop runs and presses OK.
    QTimer poll;
    poll.setInterval(5);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenParentless = box->parentWidget() == nullptr;
        box->button(QMessageBox::Ok)->click();
    });
    poll.start();

    DeviceLinkMessageBox sink;
    sink.showMessage(QStringLiteral("Invalid Device Handle"));

    QVERIFY(!poll.isActive());
    QCOMPARE(seenTitle, QStringLiteral(" "));
    QCOMPARE(seenText, QStringLiteral("Invalid Device Handle"));
    QVERIFY(seenParentless);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

QTEST_MAIN(TestDeviceLinkBox)
#include "tst_devicelinkbox.moc"
