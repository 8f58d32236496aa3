#include "Checksum.h"
#include "DisplayEdids.h"
#include "EdidFile.h"
#include "EdidTestData.h"
#include "FakeUserDialogs.h"
#include "FileSizeLimit.h"
#include "HexText.h"
#include "ImportSamples.h"
#include "MainWindow.h"
#include "MainWindowTestAccess.h"
#include "ProcessState.h"
#include "TestFiles.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QUrl>

#include <memory>

using namespace varnex::edid;
using EdidTestData::toBytes;
using EdidTestData::toImage;
using TestFiles::readAll;
using TestFiles::writeAll;
using Kind = FakeUserDialogs::Kind;

namespace {

const QString AppTitle = QStringLiteral("Varnex EDID Utility");

// The character format of every position of the document, separators included.
QList<QTextCharFormat> formatsByPosition(const QTextDocument &document)
{
    QList<QTextCharFormat> formats(document.characterCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            for (int i = 0; i < fragment.length(); ++i)
                formats[fragment.position() + i] = fragment.charFormat();
        }
    }
    return formats;
}

bool isBoldRed(const QTextCharFormat &format)
{
    return format.fontWeight() == QFont::Bold && format.foreground().color() == QColor(Qt::red);
}

bool isBoldBlue8(const QTextCharFormat &format)
{
    return format.fontWeight() == QFont::Bold &&
           format.foreground().color() == QColor(0, 0, 255, 255) && format.fontPointSize() == 8;
}

// Byte i of the layout starts at line i/16, column 3*(i%16); a line and its separator take 48.
int bytePosition(int i)
{
    return (i / 16) * HexTextLineLength + 3 * (i % 16);
}

QByteArray withCorrectChecksums(EdidImage image)
{
    correctChecksums(image);
    return toBytes(image);
}

// Lower case, one group per line: a layout the user might type.
QString typedText(const QByteArray &image)
{
    QString text;
    for (char byte : image)
        text += QString::number(quint8(byte), 16).rightJustified(2, QLatin1Char('0')) + '\n';
    return text;
}

// The sentence after the left-out one when a cut table's count follows the one extension kept.
QString countNote(const QByteArray &table)
{
    return QStringLiteral(" The extension count (byte 0x7E) was set from %1 to 1, the extension "
                          "blocks the table holds; the checksum of block 0 was adjusted to match.")
        .arg(int(quint8(table[0x7E])));
}

} // namespace

class TestEdidPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void parseReadsTheEditor_data();
    void parseReadsTheEditor();
    void displayHighlightsChecksumBytes_data();
    void displayHighlightsChecksumBytes();

    void verifyRightChecksums_data();
    void verifyRightChecksums();
    void verifyCorrectsOnYes_data();
    void verifyCorrectsOnYes();
    void verifyNoKeepsText();
    void verifyFormatError_data();
    void verifyFormatError();

    void loadCancelled();
    void loadUnreadable();
    void loadRawFile_data();
    void loadRawFile();
    void loadTextFile_data();
    void loadTextFile();

    void saveFormatError();
    void saveCancelled();
    void saveReplacesLongerFile();
    void saveFailureKeepsOldFile_data();
    void saveFailureKeepsOldFile();
    void saveThenLoad_data();
    void saveThenLoad();
    void savedTextLikeImageComesBackAsText();

    void oneUndoStepPerProgramChange_data();
    void oneUndoStepPerProgramChange();

    void loadImportedFile_data();
    void loadImportedFile();
    void loadFromDisplay_data();
    void loadFromDisplay();
    void dropLoadsTheFile_data();
    void dropLoadsTheFile();
    void saveHexText();

private:
    QTextEdit &editor() { return *access().ui().EDIDtext; }
    MainWindowTestAccess access() { return MainWindowTestAccess(*m_window); }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // The image the editor holds now, or an empty array if it does not parse.
    QByteArray editorImage()
    {
        EdidImage image;
        return access().ParseEDIDText(image) < 0 ? QByteArray() : toBytes(image);
    }
    void verifyDisplayed(const QByteArray &image);

    std::unique_ptr<FakeUserDialogs> m_dialogs;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSignalSpy> m_messages;
};

void TestEdidPanel::init()
{
    processState() = ProcessState{};
    m_dialogs = std::make_unique<FakeUserDialogs>();
    m_window = std::make_unique<MainWindow>(MainWindowServices{m_dialogs.get(), nullptr, {}});
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_messages = std::make_unique<QSignalSpy>(m_window->statusBar(), &QStatusBar::messageChanged);
}

void TestEdidPanel::cleanup()
{
    m_messages.reset();
    m_window.reset();
    m_dialogs.reset();
    m_dir.reset();
}

// The editor shows `image` as DisplayEDID draws it: the layout, bytes 127 and
// 255 bold red, every other byte black and not bold.
void TestEdidPanel::verifyDisplayed(const QByteArray &image)
{
    QCOMPARE(editor().toPlainText(), QString::fromLatin1(formatHexText(toImage(image))));
    const QList<QTextCharFormat> formats = formatsByPosition(*editor().document());
    for (int i = 0; i < EdidImageSize; ++i) {
        for (int digit = 0; digit < 2; ++digit) {
            const QTextCharFormat &format = formats[bytePosition(i) + digit];
            if (i == 127 || i == 255) {
                QVERIFY2(isBoldRed(format), qPrintable(QString("byte %1").arg(i)));
            } else {
                QVERIFY2(format.foreground().color() == QColor(Qt::black) &&
                             format.fontWeight() != QFont::Bold,
                         qPrintable(QString("byte %1").arg(i)));
            }
        }
    }
}

void TestEdidPanel::parseReadsTheEditor_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty editor") << QString() << 0 << QByteArray(256, '\0');
    const QByteArray counting = toBytes(EdidTestData::countingImage());
    QTest::newRow("one group per line") << typedText(counting) << 256 << counting;
    QTest::newRow("outside Latin-1") << QString::fromUtf8("0\u0661") << -1 << QByteArray();
}

void TestEdidPanel::parseReadsTheEditor()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QByteArray, bytes);
    editor().setPlainText(text);
    EdidImage image;
    image.fill(0xAA);
    QCOMPARE(access().ParseEDIDText(image), count);
    if (count >= 0)
        QCOMPARE(toBytes(image), bytes);
    QCOMPARE(editor().toPlainText(), text);
}

void TestEdidPanel::displayHighlightsChecksumBytes_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::newRow("zeros") << QByteArray(256, '\0');
    QTest::newRow("counting") << toBytes(EdidTestData::countingImage());
    QTest::newRow("random") << toBytes(EdidTestData::randomImage(77));
    for (const QString &name : EdidTestData::sampleNames())
        QTest::newRow(qPrintable(name)) << toBytes(toImage(EdidTestData::readSample(name)));
}

void TestEdidPanel::displayHighlightsChecksumBytes()
{
    QFETCH(QByteArray, image);
    // Leftover formatting from an earlier bold blue text must not show through.
    QTextCharFormat blue;
    blue.setForeground(QColor(0, 0, 255));
    blue.setFontWeight(QFont::Bold);
    editor().setCurrentCharFormat(blue);
    editor().setPlainText("junk\nmore junk");

    access().DisplayEDID(toImage(image));
    verifyDisplayed(image);
    QCOMPARE(editorImage(), image);
}

void TestEdidPanel::verifyRightChecksums_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::newRow("zeros") << QByteArray(256, '\0');
    QTest::newRow("random, corrected") << withCorrectChecksums(EdidTestData::randomImage(8));
    for (const QString &name : EdidTestData::sampleNames())
        QTest::newRow(qPrintable(name)) << toBytes(toImage(EdidTestData::readSample(name)));
}

void TestEdidPanel::verifyRightChecksums()
{
    QFETCH(QByteArray, image);
    editor().setPlainText(typedText(image));
    QVERIFY(access().VerifyEDIDChecksum());
    QVERIFY(m_dialogs->calls.isEmpty());
    verifyDisplayed(image);
}

void TestEdidPanel::verifyCorrectsOnYes_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("block0Wrong");
    QTest::addColumn<bool>("block1Wrong");
    const QByteArray good = withCorrectChecksums(EdidTestData::randomImage(9));
    QByteArray bad0 = good;
    bad0[20] = char(bad0[20] ^ 0x11);
    QByteArray bad1 = good;
    bad1[255] = char(bad1[255] + 1);
    QByteArray both = bad0;
    both[128] = char(both[128] + 3);
    QTest::newRow("block 0") << bad0 << true << false;
    QTest::newRow("block 1") << bad1 << false << true;
    QTest::newRow("both") << both << true << true;
    // Bytes the text leaves out count as 0: "00 01" sums to 1 in block 0.
    QTest::newRow("short text") << QByteArray("\x00\x01", 2) << true << false;
}

void TestEdidPanel::verifyCorrectsOnYes()
{
    QFETCH(QByteArray, image);
    QFETCH(bool, block0Wrong);
    QFETCH(bool, block1Wrong);
    QStringList groups;
    for (char byte : image)
        groups << QString::number(quint8(byte), 16).rightJustified(2, QLatin1Char('0'));
    editor().setPlainText(groups.join(' '));
    m_dialogs->questionAnswers.enqueue(true);

    QVERIFY(access().VerifyEDIDChecksum());

    QCOMPARE(m_dialogs->calls.size(), 1);
    const FakeUserDialogs::Call &question = m_dialogs->calls.first();
    QCOMPARE(question.kind, Kind::Question);
    QCOMPARE(question.title, QString());
    QCOMPARE(question.text, QStringLiteral("The EDID Checksum is not correct."));
    QCOMPARE(question.detail, QStringLiteral("Do you want to calculate a new checksum?"));

    const QByteArray padded = image + QByteArray(256 - image.size(), '\0');
    const QByteArray shown = editorImage();
    QCOMPARE(shown.size(), 256);
    for (int i = 0; i < 256; ++i) {
        if (i != 127 && i != 255)
            QCOMPARE(shown[i], padded[i]);
    }
    QCOMPARE(shown[127] != padded[127], block0Wrong);
    QCOMPARE(shown[255] != padded[255], block1Wrong);
    QVERIFY(blockChecksumCorrect(toImage(shown), 0));
    QVERIFY(blockChecksumCorrect(toImage(shown), 1));
    verifyDisplayed(shown);
}

void TestEdidPanel::verifyNoKeepsText()
{
    QByteArray image = withCorrectChecksums(EdidTestData::randomImage(10));
    image[127] = char(image[127] + 1);
    const QString typed = typedText(image);
    editor().setPlainText(typed);
    m_dialogs->questionAnswers.enqueue(false);

    QVERIFY(!access().VerifyEDIDChecksum());
    QCOMPARE(m_dialogs->count(Kind::Question), 1);
    QCOMPARE(m_dialogs->calls.size(), 1);
    QCOMPARE(editor().toPlainText(), typed);
}

void TestEdidPanel::verifyFormatError_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("G1") << "00 G1";
    QTest::newRow("257 groups") << QString("00 ").repeated(257);
    QTest::newRow("1024 characters")
        << QString::fromLatin1(formatHexText(EdidImage{})) + QString(256, '\n');
}

void TestEdidPanel::verifyFormatError()
{
    QFETCH(QString, text);
    editor().setPlainText(text);
    QVERIFY(!access().VerifyEDIDChecksum());
    QCOMPARE(m_dialogs->calls.size(), 1);
    const FakeUserDialogs::Call &warning = m_dialogs->calls.first();
    QCOMPARE(warning.kind, Kind::Warning);
    QCOMPARE(warning.parent.data(), m_window.get());
    QCOMPARE(warning.title, AppTitle);
    QCOMPARE(warning.text, QStringLiteral("Hex Format Error"));
    QCOMPARE(editor().toPlainText(), text);
}

void TestEdidPanel::loadCancelled()
{
    editor().setPlainText("01 02");
    QVERIFY(!access().ReadEDIDfromFile());
    QCOMPARE(m_dialogs->calls.size(), 1);
    const FakeUserDialogs::Call &dialog = m_dialogs->calls.first();
    QCOMPARE(dialog.kind, Kind::OpenFile);
    QCOMPARE(dialog.parent.data(), m_window.get());
    QCOMPARE(dialog.title, QStringLiteral("Open file"));
    QCOMPARE(dialog.text, QString());
    // "*", not "*.*": files without a dot in their name are shown too.
    QCOMPARE(dialog.detail, QStringLiteral("Binary Files (*.bin);;All files (*)"));
    QCOMPARE(editor().toPlainText(), QStringLiteral("01 02"));
    QCOMPARE(m_messages->count(), 0);
}

void TestEdidPanel::loadUnreadable()
{
    const QString missing = path("missing.bin");
    m_dialogs->fileNames.enqueue(missing);
    editor().setPlainText("01 02");
    QVERIFY(!access().ReadEDIDfromFile());
    QCOMPARE(m_dialogs->count(Kind::Warning), 1);
    const FakeUserDialogs::Call &warning = m_dialogs->calls.last();
    QCOMPARE(warning.title, AppTitle);
    QCOMPARE(warning.parent.data(), m_window.get());
    const QString prefix = "Cannot read file " + missing + ":\n";
    QVERIFY2(warning.text.startsWith(prefix) && warning.text.endsWith('.') &&
                 warning.text.size() > prefix.size() + 1,
             qPrintable(warning.text));
    QCOMPARE(editor().toPlainText(), QStringLiteral("01 02"));
    QCOMPARE(m_messages->count(), 0);
}

void TestEdidPanel::loadRawFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("image");
    QByteArray random = toBytes(EdidTestData::randomImage(31));
    random[0] = '\0';
    QTest::newRow("empty") << QByteArray() << QByteArray(256, '\0');
    QTest::newRow("128 bytes") << random.left(128) << random.left(128) + QByteArray(128, '\0');
    QTest::newRow("512 bytes") << random + QByteArray(256, '\x33') << random;
    QTest::newRow("2000 bytes") << random + QByteArray(1744, '\x44') << random;
    for (const QString &name : EdidTestData::sampleNames()) {
        const QByteArray sample = EdidTestData::readSample(name);
        QTest::newRow(qPrintable(name)) << sample << toBytes(toImage(sample));
    }
}

void TestEdidPanel::loadRawFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, image);
    QVERIFY(writeAll(path("raw.bin"), file));
    m_dialogs->fileNames.enqueue(path("raw.bin"));
    QVERIFY(access().ReadEDIDfromFile());
    QCOMPARE(m_dialogs->calls.size(), 1);
    verifyDisplayed(image);
    QCOMPARE(editorImage(), image);
    QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("File loaded"));
}

void TestEdidPanel::loadTextFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");    // the editor's plain text afterwards
    QTest::addColumn<QByteArray>("image"); // what it parses to; empty for a format error
    const EdidImage image = EdidTestData::randomImage(41);
    const QByteArray layout = formatHexText(image);
    const QString layoutText = QString::fromLatin1(layout);
    QByteArray spacedCrlf = layout;
    spacedCrlf.replace("\n", " \r\n");
    QByteArray spacedLf = layout;
    spacedLf.replace("\n", " \n");
    QByteArray crlf = layout;
    crlf.replace("\n", "\r\n");

    QTest::newRow("CR LF, trailing spaces") << spacedCrlf << layoutText << toBytes(image);
    QTest::newRow("LF, trailing spaces") << spacedLf << layoutText << toBytes(image);
    QTest::newRow("the layout") << layout << layoutText << toBytes(image);
    // Left as it is; the editor turns each CR LF into one line break.
    QTest::newRow("CR LF, no trailing spaces") << crlf << layoutText << toBytes(image);
    // Lines of 8 groups keep their trailing spaces, so the text does not parse.
    // 33 of them: 32 would make a whole table, which is imported as rows of hex bytes.
    const QByteArray shortLine = "0A 0B 0C 0D 0E 0F 10 11 \r\n";
    QTest::newRow("lines of 26 columns")
        << shortLine.repeated(33) << QString("0A 0B 0C 0D 0E 0F 10 11 \n").repeated(33)
        << QByteArray();
    QTest::newRow("rich-text look")
        << QByteArray("<b>AB</b> CD\n") << QStringLiteral("<b>AB</b> CD\n") << QByteArray();
    QTest::newRow("html look") << QByteArray("<html><body>01</body></html>")
                               << QStringLiteral("<html><body>01</body></html>") << QByteArray();
    QTest::newRow("lower case") << QByteArray("0a 1b") << QStringLiteral("0a 1b")
                                << QByteArray("\x0A\x1B") + QByteArray(254, '\0');
}

void TestEdidPanel::loadTextFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(QByteArray, image);
    // A drawn table with a backwards selection is in the editor beforehand.
    access().DisplayEDID(EdidTestData::countingImage());
    QTextCursor cursor(editor().document());
    cursor.setPosition(300);
    cursor.setPosition(100, QTextCursor::KeepAnchor);
    editor().setTextCursor(cursor);

    QVERIFY(writeAll(path("text.txt"), file));
    m_dialogs->fileNames.enqueue(path("text.txt"));
    QVERIFY(access().ReadEDIDfromFile());

    QCOMPARE(editor().toPlainText(), shown);
    const QList<QTextCharFormat> formats = formatsByPosition(*editor().document());
    const QString plain = editor().toPlainText();
    for (int i = 0; i < plain.size(); ++i) {
        if (plain[i] != '\n')
            QVERIFY2(isBoldBlue8(formats[i]), qPrintable(QString("position %1").arg(i)));
    }
    QVERIFY(isBoldBlue8(editor().currentCharFormat()));
    QCOMPARE(editorImage(), image);
    QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("File loaded"));
}

void TestEdidPanel::saveFormatError()
{
    editor().setPlainText("00 0G");
    m_dialogs->fileNames.enqueue(path("never.bin"));
    QVERIFY(!access().WriteEDIDtoFile());
    QCOMPARE(m_dialogs->calls.size(), 1);
    QCOMPARE(m_dialogs->calls.first().kind, Kind::Warning);
    QCOMPARE(m_dialogs->calls.first().title, AppTitle);
    QCOMPARE(m_dialogs->calls.first().text, QStringLiteral("Hex Format Error"));
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QCOMPARE(m_messages->count(), 0);
}

void TestEdidPanel::saveCancelled()
{
    access().DisplayEDID(EdidTestData::countingImage());
    QVERIFY(!access().WriteEDIDtoFile());
    QCOMPARE(m_dialogs->calls.size(), 1);
    const FakeUserDialogs::Call &dialog = m_dialogs->calls.first();
    QCOMPARE(dialog.kind, Kind::SaveFile);
    QCOMPARE(dialog.parent.data(), m_window.get());
    QCOMPARE(dialog.title, QStringLiteral("Save File"));
    QCOMPARE(dialog.text, QStringLiteral("Varnex_edid0.bin"));
    QCOMPARE(dialog.detail, QStringLiteral("Binary file (*.bin)"));
    QCOMPARE(m_messages->count(), 0);
}

void TestEdidPanel::saveReplacesLongerFile()
{
    const QString target = path("edid.bin");
    QVERIFY(writeAll(target, QByteArray(1000, '\x5A')));
    const EdidImage image = EdidTestData::randomImage(51);
    access().DisplayEDID(image);
    m_dialogs->fileNames.enqueue(target);

    QVERIFY(access().WriteEDIDtoFile());
    QCOMPARE(readAll(target), toBytes(image));
    QCOMPARE(m_messages->count(), 2);
    QCOMPARE(m_messages->at(0).at(0).toString(), QStringLiteral("Saving file..."));
    QCOMPARE(m_messages->at(1).at(0).toString(), QStringLiteral("File saved"));
    QCOMPARE(m_dialogs->count(Kind::Warning), 0);
}

void TestEdidPanel::saveFailureKeepsOldFile_data()
{
    QTest::addColumn<bool>("failAfterOpen");
    QTest::newRow("parent is a regular file") << false;
    QTest::newRow("write fails after open") << true;
}

void TestEdidPanel::saveFailureKeepsOldFile()
{
    QFETCH(bool, failAfterOpen);
    const QString old = path("old.bin");
    const QByteArray oldData(300, '\x42');
    QVERIFY(writeAll(old, oldData));
    const QString target = failAfterOpen ? old : old + "/edid.bin";
    access().DisplayEDID(EdidTestData::randomImage(61));
    m_dialogs->fileNames.enqueue(target);

    bool saved = true;
    {
        FileSizeLimit limit(failAfterOpen ? 100 : RLIM_INFINITY);
        saved = access().WriteEDIDtoFile();
    }
    QVERIFY(!saved);
    QCOMPARE(readAll(old), oldData);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.bin"});

    QCOMPARE(m_dialogs->count(Kind::Warning), 1);
    const FakeUserDialogs::Call &warning = m_dialogs->calls.last();
    QCOMPARE(warning.title, AppTitle);
    QCOMPARE(warning.parent.data(), m_window.get());
    const QString prefix = "Cannot write file " + target + ":\n";
    QVERIFY2(warning.text.startsWith(prefix) && warning.text.endsWith('.') &&
                 warning.text.size() > prefix.size() + 1,
             qPrintable(warning.text));

    QStringList messages;
    for (const QList<QVariant> &signal : *m_messages)
        messages << signal.at(0).toString();
    QCOMPARE(messages, failAfterOpen ? QStringList{"Saving file..."} : QStringList{});
}

void TestEdidPanel::saveThenLoad_data()
{
    QTest::addColumn<QByteArray>("image");
    for (quint32 seed = 200; seed < 215; ++seed) {
        EdidImage image = EdidTestData::randomImage(seed);
        image[0] = 0x00;
        QTest::addRow("random %u", seed) << toBytes(image);
    }
    for (const QString &name : EdidTestData::sampleNames())
        QTest::newRow(qPrintable(name)) << toBytes(toImage(EdidTestData::readSample(name)));
}

void TestEdidPanel::saveThenLoad()
{
    QFETCH(QByteArray, image);
    editor().setPlainText(typedText(image));
    m_dialogs->fileNames.enqueue(path("round.bin"));
    QVERIFY(access().WriteEDIDtoFile());
    QCOMPARE(readAll(path("round.bin")).size(), 256);

    editor().clear();
    m_dialogs->fileNames.enqueue(path("round.bin"));
    QVERIFY(access().ReadEDIDfromFile());
    verifyDisplayed(image);
    QCOMPARE(m_dialogs->count(Kind::Warning), 0);
}

void TestEdidPanel::savedTextLikeImageComesBackAsText()
{
    // Byte 0 is not 0x00, so the saved image reads back as text: its bytes up
    // to the first zero byte. These happen to be hex text of two groups.
    EdidImage image{};
    const QByteArray head = "01 02\n";
    std::copy(head.begin(), head.end(), image.begin());
    image[100] = 0x99;
    access().DisplayEDID(image);
    m_dialogs->fileNames.enqueue(path("text.bin"));
    QVERIFY(access().WriteEDIDtoFile());

    m_dialogs->fileNames.enqueue(path("text.bin"));
    QVERIFY(access().ReadEDIDfromFile());
    QCOMPARE(editor().toPlainText(), QStringLiteral("01 02\n"));
    QCOMPARE(editorImage(), QByteArray("\x01\x02") + QByteArray(254, '\0'));

    // Random bytes after a non-zero byte 0 come back as text that does not parse.
    EdidImage noise = EdidTestData::randomImage(300);
    noise[0] = 0xA5;
    access().DisplayEDID(noise);
    m_dialogs->fileNames.enqueue(path("noise.bin"));
    QVERIFY(access().WriteEDIDtoFile());
    m_dialogs->fileNames.enqueue(path("noise.bin"));
    QVERIFY(access().ReadEDIDfromFile());
    QCOMPARE(editorImage(), QByteArray());
    QVERIFY(!access().VerifyEDIDChecksum());
    QCOMPARE(m_dialogs->calls.last().text, QStringLiteral("Hex Format Error"));
}

void TestEdidPanel::oneUndoStepPerProgramChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("typedBefore"); // else a drawn table is there before
    QTest::newRow("verify's redraw of typed text") << "verify" << true;
    QTest::newRow("checksum correction") << "correct" << false;
    QTest::newRow("load of a raw file") << "raw" << true;
    QTest::newRow("load of a text file") << "text" << false;
}

// Ctrl+Z after a change the program made gives back exactly what was there
// before, in one step.
void TestEdidPanel::oneUndoStepPerProgramChange()
{
    QFETCH(QString, change);
    QFETCH(bool, typedBefore);
    EdidImage image = EdidTestData::randomImage(70);
    correctChecksums(image);
    if (typedBefore) {
        editor().setPlainText(typedText(toBytes(image)));
    } else {
        EdidImage wrong = image;
        wrong[127] ^= 0x01;
        access().DisplayEDID(wrong);
        editor().document()->clearUndoRedoStacks();
    }
    const QString before = editor().toHtml();

    if (change == "raw" || change == "text") {
        QVERIFY(writeAll(path("file"), change == "raw" ? toBytes(image) : formatHexText(image)));
        m_dialogs->fileNames.enqueue(path("file"));
        QVERIFY(access().ReadEDIDfromFile());
    } else {
        m_dialogs->questionAnswers.enqueue(true);
        QVERIFY(access().VerifyEDIDChecksum());
    }
    const QString after = editor().toHtml();
    QVERIFY(after != before);

    editor().setEnabled(true);
    m_window->show();
    editor().setFocus();
    QTest::keySequence(&editor(), QKeySequence::Undo);
    QCOMPARE(editor().toHtml(), before);
    QVERIFY(!editor().document()->isUndoAvailable());
    QTest::keySequence(&editor(), QKeySequence::Redo);
    QCOMPARE(editor().toHtml(), after);
}

void TestEdidPanel::loadImportedFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("note"); // the information box, or none
    const QMap<int, QString> notes = {
        {384, "The table has 384 bytes. The Varnex takes the first 256; left out: extension "
              "block 2 (128 bytes)."},
        {512, "The table has 512 bytes. The Varnex takes the first 256; left out: extension "
              "blocks 2 and 3 (256 bytes)."}};
    for (const ImportSamples::Sample &sample : ImportSamples::all()) {
        QString note = notes.value(sample.tableSize);
        if (!note.isEmpty())
            note += countNote(EdidTestData::readSample(sample.source));
        QTest::newRow(qPrintable(sample.file))
            << sample.file << sample.source << ImportSamples::importedStatus(sample) << note;
    }
}

// Every form is drawn as a raw file is; the status bar names the form.
void TestEdidPanel::loadImportedFile()
{
    QFETCH(QString, file);
    QFETCH(QString, source);
    QFETCH(QString, status);
    QFETCH(QString, note);
    m_dialogs->fileNames.enqueue(ImportSamples::path(file));
    QVERIFY(access().ReadEDIDfromFile());

    verifyDisplayed(toBytes(EdidTestData::keptImage(EdidTestData::readSample(source))));
    QCOMPARE(m_window->statusBar()->currentMessage(), status);
    QCOMPARE(m_dialogs->count(Kind::Information), note.isEmpty() ? 0 : 1);
    if (!note.isEmpty()) {
        QCOMPARE(m_dialogs->calls.last().text, note);
        QCOMPARE(m_dialogs->calls.last().parent.data(), m_window.get());
    }
    QCOMPARE(m_dialogs->count(Kind::Warning), 0);
}

void TestEdidPanel::loadFromDisplay_data()
{
    QTest::addColumn<QStringList>("connectors"); // "folder=sample", an empty sample: empty edid
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("note"); // the information box after loading, or none
    QTest::newRow("two connectors, one without a display")
        << QStringList{"card0-DP-1=", "card0-HDMI-A-1=dell-p2415q-hdmi2.0"}
        << QStringList{"HDMI-A-1: DELL P2415Q"} << QString();
    QTest::newRow("a display of three blocks")
        << QStringList{"card1-DP-2=acer-xv273k-dp1"} << QStringList{"DP-2: XV273K"}
        << "The table has 384 bytes. The Varnex takes the first 256; left out: extension "
           "block 2 (128 bytes)." +
               countNote(EdidTestData::readSample("acer-xv273k-dp1"));
    QTest::newRow("no display") << QStringList{"card0-DP-1="}
                                << QStringList{"No display with an EDID found"} << QString();
    QTest::newRow("no folder") << QStringList{} << QStringList{"No display with an EDID found"}
                               << QString();
}

void TestEdidPanel::loadFromDisplay()
{
    QFETCH(QStringList, connectors);
    QFETCH(QStringList, entries);
    QFETCH(QString, note);
    const QString drm = path("drm");
    QByteArray table;
    for (const QString &connector : connectors) {
        const QString folder = connector.section('=', 0, 0);
        const QString sample = connector.section('=', 1);
        QVERIFY(QDir().mkpath(drm + '/' + folder));
        const QByteArray edid = sample.isEmpty() ? QByteArray() : EdidTestData::readSample(sample);
        QVERIFY(writeAll(drm + '/' + folder + "/edid", edid));
        if (!edid.isEmpty())
            table = edid;
    }
    qputenv(DrmDirectoryVariable, QFile::encodeName(drm));
    const auto unset = qScopeGuard([] { qunsetenv(DrmDirectoryVariable); });

    QMenu *menu = access().ui().menuLoadFromDisplay;
    // Twice: the menu is refilled each time, not added to.
    for (int shown = 0; shown < 2; ++shown) {
        emit menu->aboutToShow();
        QStringList titles;
        for (const QAction *action : menu->actions())
            titles << action->text();
        QCOMPARE(titles, entries);
    }
    QAction *entry = menu->actions().constFirst();
    editor().setPlainText("01 02");
    if (table.isEmpty()) {
        QVERIFY(!entry->isEnabled());
        return;
    }

    // Typed text is kept unless the user agrees to discard it.
    m_dialogs->confirmAnswers << false << true;
    entry->trigger();
    QCOMPARE(editor().toPlainText(), QStringLiteral("01 02"));
    entry->trigger();
    QCOMPARE(m_dialogs->count(Kind::ConfirmWarning), 2);
    verifyDisplayed(toBytes(EdidTestData::keptImage(table)));
    QCOMPARE(m_window->statusBar()->currentMessage(),
             "Loaded from " + entries.constFirst().section(':', 0, 0));
    QCOMPARE(m_dialogs->count(Kind::Information), note.isEmpty() ? 0 : 1);
    if (!note.isEmpty())
        QCOMPARE(m_dialogs->calls.last().text, note);
}

void TestEdidPanel::dropLoadsTheFile_data()
{
    QTest::addColumn<bool>("onEditor"); // else on the window
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("discard"); // text was typed; the answer to the discard question
    QTest::addColumn<QString>("raw");  // a raw sample dropped instead of a dump, if any
    QTest::newRow("on the window") << false << true << 1 << true << QString();
    QTest::newRow("on the editor") << true << true << 1 << true << QString();
    QTest::newRow("on the editor in AUTOMIX") << true << false << 1 << true << QString();
    QTest::newRow("typed text kept") << true << true << 1 << false << QString();
    QTest::newRow("two files on the window") << false << true << 2 << true << QString();
    QTest::newRow("two files on the editor") << true << true << 2 << true << QString();
    // Unlike Load from File, a drop cuts a long raw table as imports do.
    QTest::newRow("raw table of three blocks")
        << false << true << 1 << true << QStringLiteral("acer-xv273k-dp1");
}

void TestEdidPanel::dropLoadsTheFile()
{
    QFETCH(bool, onEditor);
    QFETCH(bool, editorEnabled);
    QFETCH(int, files);
    QFETCH(bool, discard);
    QFETCH(QString, raw);
    const ImportSamples::Sample sample = ImportSamples::all().constFirst();
    const QString file = raw.isEmpty() ? ImportSamples::path(sample.file)
                                       : EdidTestData::sampleDir() + QLatin1Char('/') + raw;
    QMimeData mime;
    QList<QUrl> urls(files, QUrl::fromLocalFile(file));
    mime.setUrls(urls);
    editor().setEnabled(editorEnabled);
    editor().setPlainText("01 02");
    m_dialogs->confirmAnswers.enqueue(discard);

    QWidget *target = onEditor ? editor().viewport() : static_cast<QWidget *>(m_window.get());
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QCoreApplication::sendEvent(target, &drop);
    // The file is loaded once the drop is over.
    QCoreApplication::processEvents();

    const bool loads = files == 1 && discard;
    if (files != 1) {
        QVERIFY(!enter.isAccepted());
        QVERIFY(!drop.isAccepted());
    } else {
        QVERIFY(enter.isAccepted());
        QVERIFY(drop.isAccepted());
        QCOMPARE(m_dialogs->count(Kind::ConfirmWarning), 1);
    }
    if (loads && !raw.isEmpty()) {
        const QByteArray table = EdidTestData::readSample(raw);
        verifyDisplayed(toBytes(EdidTestData::keptImage(table)));
        QCOMPARE(m_dialogs->calls.last().kind, Kind::Information);
        QVERIFY(m_dialogs->calls.last().text.endsWith(countNote(table)));
    } else if (loads) {
        verifyDisplayed(toBytes(toImage(EdidTestData::readSample(sample.source))));
        QCOMPARE(m_window->statusBar()->currentMessage(), ImportSamples::importedStatus(sample));
    } else {
        // Neither loaded nor inserted as the files' names.
        QCOMPARE(editor().toPlainText(), QStringLiteral("01 02"));
    }
}

void TestEdidPanel::saveHexText()
{
    EdidImage image = EdidTestData::randomImage(81);
    image[0] = 0x00;
    access().DisplayEDID(image);
    m_dialogs->fileNames.enqueue(path("table.txt"));
    access().ui().actionSaveHexText->trigger();

    QCOMPARE(m_dialogs->count(Kind::SaveFile), 1);
    const FakeUserDialogs::Call &dialog = m_dialogs->calls.constFirst();
    QCOMPARE(dialog.title, QStringLiteral("Save as Hex Text"));
    QCOMPARE(dialog.text, QStringLiteral("Varnex_edid0.txt"));
    QByteArray expected;
    for (qsizetype at = 0; at < EdidImageSize; at += 16)
        expected += toBytes(image).mid(at, 16).toHex(' ').toUpper() + '\n';
    QCOMPARE(readAll(path("table.txt")), expected);
    QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("File saved"));

    editor().clear();
    m_dialogs->fileNames.enqueue(path("table.txt"));
    QVERIFY(access().ReadEDIDfromFile());
    QCOMPARE(editorImage(), toBytes(image));

    // Hex text of an empty editor would be a table of zeros nobody made.
    editor().clear();
    m_dialogs->calls.clear();
    m_dialogs->fileNames.enqueue(path("empty.txt"));
    access().ui().actionSaveHexText->trigger();
    QCOMPARE(m_dialogs->count(Kind::SaveFile), 0);
    QCOMPARE(m_dialogs->count(Kind::Warning), 1);
    QCOMPARE(m_dialogs->calls.constFirst().text,
             QStringLiteral("The editor holds no table.\nNothing was saved."));
    QVERIFY(!QFile::exists(path("empty.txt")));
}

QTEST_MAIN(TestEdidPanel)
#include "tst_edidpanel.moc"
