#include "ComposeDialog.h"
#include "SimulatedWindowRig.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

// File, New from Several Displays... on the simulated Varnex, its file
// dialog answered by the recorded dialogs.
class TestComposeDialog : public QObject
{
    Q_OBJECT

private slots:
    void composesFilesAndTheSplitterIntoTheEditor();
};

void TestComposeDialog::composesFilesAndTheSplitterIntoTheEditor()
{
    SimulatedWindowRig rig;
    rig.start();
    auto *action = rig.window->findChild<QAction *>(QStringLiteral("actionCompose"));
    QVERIFY(action);
    QVERIFY(rig.ui().menuFile->actions().contains(action));
    const QString before = rig.ui().EDIDtext->toPlainText();

    action->trigger();
    auto *dialog = rig.window->findChild<ComposeDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    for (const char *name : {"lg-oled-c9-hdmi", "dell-p2415q-hdmi2.0"})
        rig.dialogs.fileNames.enqueue(EdidTestData::sampleDir() + QLatin1Char('/') +
                                      QLatin1String(name));
    auto *addFiles = dialog->findChild<QPushButton *>(QStringLiteral("composeAddFiles"));
    addFiles->click();
    addFiles->click();
    QCOMPARE(dialog->inputList()->count(), 2);
    dialog->splitterBox()->setChecked(true);

    auto *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    ok->click();
    QVERIFY2(dialog->result().ok(), qPrintable(dialog->reportView()->toPlainText()));
    QCOMPARE(rig.ui().EDIDtext->toPlainText(), textOf(*dialog->result().image));
    QVERIFY(dialog->reportView()->toPlainText().contains(
        QLatin1String("lg-oled-c9-hdmi: dropped 3840x2160@120 (not offered by")));
    QVERIFY(dialog->isVisible());
    ok->click();
    QVERIFY(!dialog->isVisible());

    // The composed table came in as one undo step.
    rig.ui().EDIDtext->undo();
    QCOMPARE(rig.ui().EDIDtext->toPlainText(), before);
}

QTEST_MAIN(TestComposeDialog)
#include "tst_composedialog.moc"
