// The EDID Details window, the presets menu and the edits made from the window.
#include "EdidDetailsWindow.h"
#include "EdidTestData.h"
#include "FakeUserDialogs.h"
#include "HexText.h"
#include "MainWindow.h"
#include "MainWindowTestAccess.h"
#include "ShapeDialog.h"
#include "capability/Capabilities.h"
#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidSummary.h"
#include "edit/BaseBlockEdits.h"
#include "edit/CtaEdits.h"
#include "edit/ModeRequest.h"
#include "edit/Presets.h"
#include "edit/ShapeRequest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include <functional>
#include <optional>

using namespace varnex::edid;
using EdidTestData::readSample;
using EdidTestData::toImage;
using Kind = FakeUserDialogs::Kind;

namespace {

// A 4K HDR television: HDMI VSDB, HDMI Forum VSDB, HDR metadata, audio.
const QString TvSample = QStringLiteral("lg-oled-c9-hdmi");

struct Fixture
{
    FakeUserDialogs dialogs;
    MainWindow *window = nullptr;

    explicit Fixture(const QString &sample = TvSample)
    {
        MainWindowServices services;
        services.dialogs = &dialogs;
        window = new MainWindow(services);
        // The editor takes typing in CUSTOM mode only.
        editor()->setEnabled(true);
        if (!sample.isEmpty())
            access().DisplayEDID(toImage(readSample(sample)));
    }
    ~Fixture() { delete window; }
    MainWindowTestAccess access() { return MainWindowTestAccess(*window); }
    QTextEdit *editor() { return access().ui().EDIDtext; }

    EdidDetailsWindow *openDetails()
    {
        access().ui().actionDetails->trigger();
        auto *details = window->findChild<EdidDetailsWindow *>();
        if (details)
            details->flushPendingDecode();
        return details;
    }
    EdidImage table()
    {
        EdidImage image{};
        access().ParseEDIDText(image);
        return image;
    }
};

DecodedEdid decode(const EdidImage &image)
{
    return decodeEdid(EdidTestData::toBytes(image));
}

QString summaryText(EdidDetailsWindow *details)
{
    return details->findChild<QLabel *>(QStringLiteral("summary"))->text();
}

QTreeWidget *tree(EdidDetailsWindow *details, const char *name)
{
    return details->findChild<QTreeWidget *>(QLatin1String(name));
}

// Where byte `i` starts in the editor's text.
int textPosition(int i)
{
    return (i / 16) * 48 + (i % 16) * 3;
}

// One edit from the window: its action, the user's answer and the same edit
// made straight with the core.
struct EditCase
{
    const char *action;
    QString sample;
    std::optional<QString> answer;
    std::function<EditResult(const EdidImage &)> expected;
};

const QList<EditCase> &editCases()
{
    static const QList<EditCase> cases{
        {"editProductName", TvSample, QStringLiteral("Varnex Test"),
         [](const EdidImage &i) {
             return setDisplayProductName(i, QStringLiteral("Varnex Test"));
         }},
        {"editPreferredTiming", TvSample, QStringLiteral("1280x720@60"),
         [](const EdidImage &i) { return setPreferredMode(i, QStringLiteral("1280x720@60")); }},
        // A mode from the list keeps the table's own timing.
        {"editPreferredTiming", TvSample, QStringLiteral("1360x768@60.02"),
         [](const EdidImage &i) { return setPreferredTiming(i, offeredModes(i).at(1).timing); }},
        // The name field stops at 13 characters as the user types.
        {"editProductName", TvSample, QStringLiteral("Conference room"),
         [](const EdidImage &i) {
             return setDisplayProductName(i, QStringLiteral("Conference ro"));
         }},
        {"editAddVic", QStringLiteral("dell-p2415q-hdmi2.0"), QStringLiteral("35"),
         [](const EdidImage &i) { return addVic(i, 35); }},
        {"editAudio", TvSample, QStringLiteral("lpcm:2 ac3:6"),
         [](const EdidImage &i) {
             QString error;
             return setAudioDescriptors(i, {*parseAudioSpec(QStringLiteral("lpcm:2"), &error),
                                            *parseAudioSpec(QStringLiteral("ac3:6"), &error)});
         }},
        {"editSpeakers", QStringLiteral("dell-p2415q-hdmi2.0"), QStringLiteral("5.1"),
         [](const EdidImage &i) { return setSpeakerAllocation(i, Speakers::Surround51); }},
        {"editMaxTmds", TvSample, QStringLiteral("165"),
         [](const EdidImage &i) { return setHdmiMaxTmdsClock(i, 165); }},
        {"editRemoveHdr", TvSample, std::nullopt, removeHdrStaticMetadata},
        {"editRemoveHdmiForum", TvSample, std::nullopt, removeHdmiForumBlocks},
    };
    return cases;
}

} // namespace

class TestDetailsWindow : public QObject
{
    Q_OBJECT

private slots:
    void opensFromViewMenu();
    void opensWithShortcut();
    void showsDecodedTable_data();
    void showsDecodedTable();
    void followsEditorAfterPause();
    void unparsableTextShowsReason();
    void selectedRowSelectsItsBytes_data();
    void selectedRowSelectsItsBytes();
    void presetFillsEditor_data();
    void presetFillsEditor();
    void presetAsksBeforeDiscardingTyping();
    void editRewritesTable_data();
    void editRewritesTable();
    void editsFollowEditorState();
    void refusedEditLeavesTable_data();
    void refusedEditLeavesTable();
    void dialogsStartFromTheTable();
    void shapeAppliesChoicesAsOneStep();
    void shapeDialogReadsItsChecks();
};

void TestDetailsWindow::opensFromViewMenu()
{
    Fixture f;
    QStringList menus;
    for (QAction *action : f.window->menuBar()->actions())
        menus << action->text();
    // Edit comes between File and View.
    QCOMPARE(menus.indexOf("View"), menus.indexOf("File") + 2);
    QVERIFY(menus.indexOf("View") < menus.indexOf("Help"));
    QCOMPARE(f.access().ui().actionDetails->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
    QCOMPARE(f.access().ui().actionDetails->text(), "EDID Details");

    EdidDetailsWindow *details = f.openDetails();
    QVERIFY(details);
    QVERIFY(details->isVisible());
    QVERIFY(details->isWindow());
    QCOMPARE(details->objectName(), "EdidDetailsWindow");
    QCOMPARE(details->windowTitle(), "EDID Details");
    // Opening again shows the same window.
    f.openDetails();
    QCOMPARE(f.window->findChildren<EdidDetailsWindow *>().size(), 1);
}

void TestDetailsWindow::opensWithShortcut()
{
    Fixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowActive(f.window));
    f.editor()->setFocus();
    QTest::keySequence(f.window, QKeySequence(QStringLiteral("Ctrl+D")));
    auto *details = f.window->findChild<EdidDetailsWindow *>();
    QVERIFY(details);
    QVERIFY(details->isVisible());
}

void TestDetailsWindow::showsDecodedTable_data()
{
    QTest::addColumn<QString>("sample");
    for (const char *name : {"lg-oled-c9-hdmi", "dell-p2415q-hdmi2.0", "acer-xv273k-dp1-corrupted",
                             "sony-gdmf520-vga"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestDetailsWindow::showsDecodedTable()
{
    QFETCH(QString, sample);
    Fixture f(sample);
    EdidDetailsWindow *details = f.openDetails();
    const DecodedEdid decoded = decode(f.table());
    const EdidSummary summary = summarize(decoded);
    const QString shown = summaryText(details);
    QVERIFY2(shown.contains(summary.product.toHtmlEscaped()), qPrintable(shown));
    QVERIFY2(shown.contains(summary.preferredMode), qPrintable(shown));
    QVERIFY2(shown.contains(summary.status), qPrintable(shown));

    const DecodedNode root = decodedTree(decoded);
    QTreeWidget *fields = tree(details, "fields");
    QCOMPARE(fields->topLevelItemCount(), root.children.size());
    const DecodedNode &firstField = root.children.first().children.first();
    QCOMPARE(fields->topLevelItem(0)->child(0)->text(0), firstField.name);
    QCOMPARE(fields->topLevelItem(0)->child(0)->text(1), firstField.value);

    QTreeWidget *findings = tree(details, "findings");
    QCOMPARE(findings->topLevelItemCount(), decoded.findings.size());
    for (int i = 0; i < decoded.findings.size(); ++i) {
        const Finding &finding = decoded.findings.at(i);
        const QTreeWidgetItem *item = findings->topLevelItem(i);
        QCOMPARE(item->text(0), severityName(finding.severity));
        QCOMPARE(item->text(1), QString::number(finding.block));
        QCOMPARE(item->text(2).toInt(nullptr, 16), finding.offset);
        QCOMPARE(item->text(3), finding.message);
    }
}

void TestDetailsWindow::followsEditorAfterPause()
{
    Fixture f;
    EdidDetailsWindow *details = f.openDetails();
    const QString before = summaryText(details);
    f.access().DisplayEDID(toImage(readSample("dell-p2415q-hdmi2.0")));
    // Nothing is decoded before the pause ends.
    QCOMPARE(summaryText(details), before);
    details->flushPendingDecode();
    const EdidSummary summary = summarize(decode(f.table()));
    QVERIFY(summaryText(details) != before);
    QVERIFY(summaryText(details).contains(summary.product));
}

void TestDetailsWindow::unparsableTextShowsReason()
{
    Fixture f;
    EdidDetailsWindow *details = f.openDetails();
    const QString text = QStringLiteral("00 FF FF\nFF XF 00\n");
    f.editor()->setPlainText(text);
    details->flushPendingDecode();
    auto *problem = details->findChild<QLabel *>(QStringLiteral("problem"));
    QVERIFY(problem->isVisible());
    QCOMPARE(problem->text(), describeHexTextProblem(*findHexTextProblem(text.toLatin1())));
    QVERIFY(!tree(details, "fields")->isVisible());

    // A table again brings the tree back.
    f.access().DisplayEDID(toImage(readSample(TvSample)));
    details->flushPendingDecode();
    QVERIFY(!problem->isVisible());
    QVERIFY(tree(details, "fields")->topLevelItemCount() > 0);

    // An empty editor is no table, not one of zeros with findings of its own.
    f.editor()->clear();
    details->flushPendingDecode();
    QCOMPARE(summaryText(details), QStringLiteral("<b>No table</b>"));
    QVERIFY(problem->isVisible());
    QCOMPARE(tree(details, "findings")->topLevelItemCount(), 0);
    QCOMPARE(tree(details, "fields")->topLevelItemCount(), 0);
}

void TestDetailsWindow::selectedRowSelectsItsBytes_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("minLength");
    // A field of several bytes in the base block and one in the extension,
    // then a finding.
    QTest::newRow("base field") << TvSample << "fields" << 2;
    QTest::newRow("finding") << QStringLiteral("acer-xv273k-dp1-corrupted") << "findings" << 1;
}

void TestDetailsWindow::selectedRowSelectsItsBytes()
{
    QFETCH(QString, sample);
    QFETCH(QString, view);
    QFETCH(int, minLength);
    Fixture f(sample);
    EdidDetailsWindow *details = f.openDetails();
    QTreeWidget *rows = tree(details, qPrintable(view));
    const EdidImage image = f.table();

    int checked = 0;
    for (QTreeWidgetItemIterator it(rows); *it; ++it) {
        const QString offsetText = (*it)->text(view == "fields" ? 2 : 2);
        bool ok = false;
        const int offset = offsetText.toInt(&ok, 16);
        if (!ok || offset >= 256)
            continue;
        const int length = (*it)->data(0, Qt::UserRole + 1).toInt();
        if (length < minLength || offset + length > 256)
            continue;
        rows->setCurrentItem(*it);
        const QTextCursor cursor = f.editor()->textCursor();
        QCOMPARE(cursor.selectionStart(), textPosition(offset));
        QCOMPARE(cursor.selectionEnd(), textPosition(offset + length - 1) + 2);
        QCOMPARE(cursor.selectedText().left(2),
                 QString::number(image[offset], 16).toUpper().rightJustified(2, '0'));
        ++checked;
        if (offset >= 128)
            break;
    }
    QVERIFY(checked > 0);
}

void TestDetailsWindow::presetFillsEditor_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : presetNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestDetailsWindow::presetFillsEditor()
{
    QFETCH(QString, name);
    Fixture f;
    const QString before = f.editor()->toPlainText();
    auto *action = f.window->findChild<QAction *>("preset_" + name);
    QVERIFY(action);
    QVERIFY(f.access().ui().menuPresets->actions().contains(action));
    QCOMPARE(action->text(), presetTitle(name));
    action->trigger();
    QCOMPARE(f.table(), *buildPreset(name));
    const DecodedEdid decoded = decode(f.table());
    QCOMPARE(decoded.count(Severity::Error), 0);
    QCOMPARE(decoded.count(Severity::Warning), 0);
    QCOMPARE(f.dialogs.calls.size(), 0);
    f.editor()->undo();
    QCOMPARE(f.editor()->toPlainText(), before);
}

void TestDetailsWindow::presetAsksBeforeDiscardingTyping()
{
    Fixture f;
    QTest::keyClicks(f.editor(), "0");
    const QString typed = f.editor()->toPlainText();
    f.dialogs.confirmAnswers.enqueue(false);
    f.window->findChild<QAction *>("preset_" + presetNames().first())->trigger();
    QCOMPARE(f.dialogs.count(Kind::ConfirmWarning), 1);
    QCOMPARE(f.editor()->toPlainText(), typed);
}

void TestDetailsWindow::editRewritesTable_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < editCases().size(); ++i)
        QTest::addRow("%d %s", i, editCases().at(i).action) << i;
}

void TestDetailsWindow::editRewritesTable()
{
    QFETCH(int, index);
    const EditCase &edit = editCases().at(index);
    Fixture f(edit.sample);
    EdidDetailsWindow *details = f.openDetails();
    const EdidImage before = f.table();
    const QString beforeSummary = summaryText(details);
    const EditResult expected = edit.expected(before);
    QVERIFY2(expected.ok(), qPrintable(expected.error));
    QVERIFY(*expected.image != before);

    if (edit.answer)
        f.dialogs.textAnswers.enqueue(*edit.answer);
    auto *action = details->findChild<QAction *>(edit.action);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(f.dialogs.count(Kind::Warning), 0);
    QCOMPARE(f.dialogs.count(Kind::Text), edit.answer ? 1 : 0);
    QCOMPARE(f.table(), *expected.image);
    details->flushPendingDecode();
    QCOMPARE(tree(details, "findings")->topLevelItemCount(),
             decode(*expected.image).findings.size());

    QTest::keySequence(f.editor(), QKeySequence::Undo);
    QCOMPARE(f.table(), before);
    details->flushPendingDecode();
    QCOMPARE(summaryText(details), beforeSummary);
}

void TestDetailsWindow::refusedEditLeavesTable_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("name not ASCII") << "editProductName"
                                    << "Salle à 1"
                                    << "ASCII";
    QTest::newRow("VIC not a number") << "editAddVic"
                                      << "sixteen"
                                      << "sixteen";
    QTest::newRow("audio not a format") << "editAudio"
                                        << "lpcm:2 flac:2"
                                        << "flac";
    QTest::newRow("speakers unknown") << "editSpeakers"
                                      << "9.2"
                                      << "9.2";
}

void TestDetailsWindow::refusedEditLeavesTable()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QString, reasonPart);
    Fixture f;
    EdidDetailsWindow *details = f.openDetails();
    const QString before = f.editor()->toPlainText();
    const int undoSteps = f.editor()->document()->availableUndoSteps();

    f.dialogs.textAnswers.enqueue(answer);
    details->findChild<QAction *>(action)->trigger();
    QCOMPARE(f.dialogs.count(Kind::Warning), 1);
    const FakeUserDialogs::Call &warning = f.dialogs.calls.last();
    QCOMPARE(warning.parent.data(), details);
    QCOMPARE(warning.title, "Varnex EDID Utility");
    QVERIFY2(warning.detail.contains(reasonPart), qPrintable(warning.detail));
    QCOMPARE(f.editor()->toPlainText(), before);
    QCOMPARE(f.editor()->document()->availableUndoSteps(), undoSteps);

    // Cancelling asks nothing more and changes nothing either.
    details->findChild<QAction *>(action)->trigger();
    QCOMPARE(f.dialogs.count(Kind::Warning), 1);
    QCOMPARE(f.editor()->toPlainText(), before);
}

void TestDetailsWindow::editsFollowEditorState()
{
    Fixture f;
    EdidDetailsWindow *details = f.openDetails();
    auto *edit = details->findChild<QAction *>("editRemoveHdr");
    QVERIFY(edit->isEnabled());
    // AUTOMIX mode: the editor takes no changes, nor does the window.
    f.editor()->setEnabled(false);
    QVERIFY(!edit->isEnabled());
    f.editor()->setEnabled(true);
    QVERIFY(edit->isEnabled());
    // Text that is no table cannot be edited either.
    f.editor()->setPlainText("0G");
    details->flushPendingDecode();
    QVERIFY(!edit->isEnabled());
}

void TestDetailsWindow::dialogsStartFromTheTable()
{
    // OK alone changes nothing: the TV's table says 300 MHz and "LG TV".
    Fixture f;
    EdidDetailsWindow *details = f.openDetails();
    details->findChild<QAction *>("editMaxTmds")->trigger();
    details->findChild<QAction *>("editProductName")->trigger();
    QCOMPARE(f.dialogs.count(Kind::Text), 2);
    QCOMPARE(f.dialogs.calls.at(0).detail.section(QLatin1Char('\n'), 0, 0), QStringLiteral("300"));
    QCOMPARE(f.dialogs.calls.at(1).detail.section(QLatin1Char('\n'), 0, 0),
             QStringLiteral("LG TV"));
    QCOMPARE(f.dialogs.calls.at(1).maxLength, MaxProductNameLength);
}

void TestDetailsWindow::shapeAppliesChoicesAsOneStep()
{
    Fixture f;
    EdidDetailsWindow *details = f.openDetails();
    const EdidImage before = f.table();
    ShapeRequest choices;
    choices.modes = {*parseModeRequest(QStringLiteral("1920x1080@60"))};
    choices.rgbOnly = choices.noHdr = choices.noDeepColor = true;
    choices.audio = QList<ShortAudioDescriptor>{ShortAudioDescriptor{}};
    f.dialogs.shapeAnswers.enqueue(choices);
    details->findChild<QAction *>("editShape")->trigger();

    QCOMPARE(f.dialogs.count(Kind::Shape), 1);
    const FakeUserDialogs::Call &offer = f.dialogs.calls.first();
    QCOMPARE(offer.parent.data(), details);
    // The preferred mode first, each mode with where the table offers it.
    QVERIFY2(offer.detail.startsWith(QLatin1String("3840x2160@60 (DTD 1, VIC 97")),
             qPrintable(offer.detail));
    QVERIFY(offer.detail.contains(QLatin1String("1920x1080@60 (")));
    QCOMPARE(f.dialogs.count(Kind::Warning), 0);
    QCOMPARE(f.table(), *applyShape(before, choices).image);
    details->flushPendingDecode();
    QVERIFY(!summaryText(details).contains(QLatin1String("3840")));

    QTest::keySequence(f.editor(), QKeySequence::Undo);
    QCOMPARE(f.table(), before);
}

void TestDetailsWindow::shapeDialogReadsItsChecks()
{
    const QList<CapabilityMode> modes =
        capabilitiesOf(decodeEdid(readSample(TvSample).left(256))).modes.mid(0, 3);
    ShapeDialog dialog(modes, nullptr);
    auto *list = dialog.findChild<QListWidget *>(QStringLiteral("shapeModes"));
    auto *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    QCOMPARE(list->count(), 3);
    // Every mode checked keeps the modes as they are.
    QVERIFY(dialog.request().modes.isEmpty());
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(Qt::Unchecked);
    QVERIFY(!ok->isEnabled());
    list->item(1)->setCheckState(Qt::Checked);
    QVERIFY(ok->isEnabled());
    dialog.findChild<QCheckBox *>(QStringLiteral("shapeRgbOnly"))->setChecked(true);
    dialog.findChild<QComboBox *>(QStringLiteral("shapeAudio"))->setCurrentIndex(1);

    const ShapeRequest request = dialog.request();
    QCOMPARE(request.modes.size(), 1);
    QCOMPARE(request.modes.first().width, modes.at(1).width);
    QCOMPARE(request.modes.first().refreshHz, modes.at(1).refreshHz);
    QVERIFY(request.rgbOnly && !request.noHdr && !request.noAudio && !request.noDeepColor);
    QVERIFY(request.audio && request.audio->size() == 1 && request.audio->first().channels == 2);
    dialog.findChild<QCheckBox *>(QStringLiteral("shapeNoAudio"))->setChecked(true);
    QVERIFY(dialog.request().noAudio && !dialog.request().audio);
}

QTEST_MAIN(TestDetailsWindow)
#include "tst_detailswindow.moc"
