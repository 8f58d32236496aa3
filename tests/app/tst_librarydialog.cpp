#include "LibraryDialog.h"
#include "RecentFiles.h"
#include "SimulatedWindowRig.h"
#include "WindowFeedback.h"
#include "library/EdidLibrary.h"

#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

using namespace varnex::edid;

// File, Library... over a temporary library folder, and File, Recent Files
// over the settings of the test's own configuration folder.
class TestLibraryDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void loadsAnEntryAndAddsTheEditorsTable();
    void recentFiles_data();
    void recentFiles();

private:
    QTemporaryDir m_libraryDir;
};

void TestLibraryDialog::init()
{
    QVERIFY(m_libraryDir.isValid());
    qputenv(LibraryDirectoryVariable, m_libraryDir.path().toLocal8Bit());
    QSettings().remove(QStringLiteral("recentFiles"));
}

namespace {

LibraryDialog *openLibrary(SimulatedWindowRig &rig)
{
    auto *action = rig.window->findChild<QAction *>(QStringLiteral("actionLibrary"));
    if (!action)
        return nullptr;
    action->trigger();
    return rig.window->findChild<LibraryDialog *>();
}

void click(LibraryDialog *dialog, const char *button)
{
    dialog->findChild<QPushButton *>(QLatin1String(button))->click();
}

int visibleEntries(const QTreeWidget *list)
{
    int n = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        n += list->topLevelItem(i)->isHidden() ? 0 : 1;
    return n;
}

} // namespace

void TestLibraryDialog::loadsAnEntryAndAddsTheEditorsTable()
{
    EdidLibrary library(m_libraryDir.path());
    const EdidImage projector = validTable();
    QVERIFY(library.add({QStringLiteral("projector"), QStringLiteral("room 2"), {}, {}}, projector)
                .ok());
    QVERIFY(library.add({QStringLiteral("tv"), {}, {}, {}}, EdidTestData::countingImage()).ok());

    SimulatedWindowRig rig;
    rig.start();
    const QString before = rig.ui().EDIDtext->toPlainText();
    QVERIFY(before != textOf(projector));

    LibraryDialog *dialog = openLibrary(rig);
    QVERIFY(dialog && dialog->isVisible());
    QTreeWidget *list = dialog->entryList();
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("projector"));
    QCOMPARE(list->topLevelItem(0)->text(3), QStringLiteral("room 2"));
    dialog->filterBox()->setText(QStringLiteral("ROOM"));
    QCOMPARE(visibleEntries(list), 1);

    // Load: the entry's table into the editor, one undo step, the dialog closed.
    list->setCurrentItem(list->topLevelItem(0));
    click(dialog, "libraryLoad");
    QCOMPARE(rig.ui().EDIDtext->toPlainText(), textOf(projector));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(rig.dialogs.count(FakeUserDialogs::Kind::Warning), 0);
    rig.ui().EDIDtext->undo();
    QCOMPARE(rig.ui().EDIDtext->toPlainText(), before);
    rig.ui().EDIDtext->redo();
    QTest::qWait(0); // lets the closed dialog go

    // Add: a name that would leave the folder is refused and asked again;
    // an existing name is kept unless the user says to replace it.
    dialog = openLibrary(rig);
    QVERIFY(dialog);
    for (const char *answer : {"../escape", "conference room", "left wall", "tv", ""})
        rig.dialogs.textAnswers.enqueue(QString::fromLatin1(answer));
    click(dialog, "libraryAdd");
    QCOMPARE(rig.dialogs.count(FakeUserDialogs::Kind::Warning), 1);
    QCOMPARE(dialog->entryList()->topLevelItemCount(), 3);
    std::optional<LibraryEntry> added = library.find(QStringLiteral("conference room"));
    QVERIFY(added && added->image);
    QCOMPARE(*added->image, projector);
    QCOMPARE(added->note, QStringLiteral("left wall"));
    QVERIFY(!QFileInfo::exists(m_libraryDir.path() + QStringLiteral("/../escape.hex")));

    click(dialog, "libraryAdd"); // "tv", answered No
    QCOMPARE(rig.dialogs.count(FakeUserDialogs::Kind::ConfirmWarning), 1);
    QCOMPARE(*library.find(QStringLiteral("tv"))->image, EdidTestData::countingImage());
    QVERIFY(rig.dialogs.textAnswers.isEmpty());
}

void TestLibraryDialog::recentFiles_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QString>("missing"); // deleted, then chosen from the menu
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("newest first") << QStringList{"a", "b", "c"} << QString()
                                  << QStringList{"c", "b", "a"};
    QTest::newRow("a file again moves to the top")
        << QStringList{"a", "b", "c", "b"} << QString() << QStringList{"b", "c", "a"};
    QTest::newRow("eight at most")
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"} << QString()
        << QStringList{"10", "9", "8", "7", "6", "5", "4", "3"};
    QTest::newRow("a missing file is told and dropped")
        << QStringList{"a", "b", "c"} << "b" << QStringList{"c", "a"};
}

void TestLibraryDialog::recentFiles()
{
    QFETCH(QStringList, added);
    QFETCH(QString, missing);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const auto path = [&dir](const QString &name) { return dir.filePath(name); };
    QMainWindow window;
    FakeUserDialogs dialogs;
    WindowFeedback feedback(&window, &dialogs);
    QMenu menu;
    QStringList opened;
    RecentFiles recent(
        &menu, feedback, [&opened](const QString &name) { return opened.append(name), true; },
        nullptr);
    for (const QString &name : added) {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        recent.add(path(name));
    }
    if (!missing.isEmpty()) {
        QVERIFY(QFile::remove(path(missing)));
        emit menu.aboutToShow();
        const QList<QAction *> actions = menu.actions();
        const auto chosen = std::find_if(actions.begin(), actions.end(), [&](QAction *action) {
            return action->text() == path(missing);
        });
        QVERIFY(chosen != actions.end());
        (*chosen)->trigger();
        QCOMPARE(dialogs.count(FakeUserDialogs::Kind::Warning), 1);
        QVERIFY(dialogs.calls.last().text.contains(path(missing)));
        QVERIFY(opened.isEmpty());
    }
    QStringList expectedPaths;
    for (const QString &name : expected)
        expectedPaths.append(path(name));
    QCOMPARE(recent.files(), expectedPaths);
    // The menu lists them in that order; a present one opens.
    emit menu.aboutToShow();
    QCOMPARE(menu.actions().size(), expectedPaths.size());
    QCOMPARE(menu.actions().first()->text(), expectedPaths.first());
    menu.actions().first()->trigger();
    QCOMPARE(opened, QStringList{expectedPaths.first()});
}

QTEST_MAIN(TestLibraryDialog)
#include "tst_librarydialog.moc"
