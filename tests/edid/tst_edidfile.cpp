#include "EdidFile.h"
#include "EdidTestData.h"
#include "FileSizeLimit.h"
#include "HexText.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varnex::edid;
using EdidTestData::toBytes;
using EdidTestData::toImage;
using TestFiles::readAll;
using TestFiles::writeAll;

namespace {

// 16 lines of 16 "XX " groups (trailing space included), each ended by `lineEnd`.
QByteArray spacedLines(const EdidImage &image, const QByteArray &lineEnd)
{
    QByteArray text;
    for (int i = 0; i < EdidImageSize; ++i) {
        text += QByteArray::number(image[i], 16).rightJustified(2, '0').toUpper() + ' ';
        if (i % 16 == 15)
            text += lineEnd;
    }
    return text;
}

} // namespace

class TestEdidFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void lineEnds_data();
    void lineEnds();
    void interprets_data();
    void interprets();
    void readsTheHead();
    void readFailures();
    void writesExactly256Bytes();
    void writeFailureKeepsOldFile_data();
    void writeFailureKeepsOldFile();
    void failureAfterOpenKeepsOldFile();
    void writesEachFormIntoEachTarget_data();
    void writesEachFormIntoEachTarget();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestEdidFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestEdidFile::lineEnds_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("text");
    const EdidImage image = EdidTestData::randomImage(11);
    const QByteArray layout = formatHexText(image);

    QTest::newRow("CR LF after trailing space") << spacedLines(image, "\r\n") << layout;
    QTest::newRow("LF after trailing space") << spacedLines(image, "\n") << layout;
    QTest::newRow("already the layout") << layout << layout;
    QByteArray crlfLayout = layout;
    crlfLayout.replace("\n", "\r\n");
    QTest::newRow("CR LF without trailing space") << crlfLayout << crlfLayout;

    // 8 groups a line: the counter passes 48 inside the second line, so nothing is replaced.
    const QByteArray shortLines = QByteArray("01 02 03 04 05 06 07 08 \r\n").repeated(4);
    QTest::newRow("lines of 26 columns") << shortLines << shortLines;

    // After a replacement the counter starts again; a short line then leaves
    // every later line end as it is.
    const QByteArray full = QByteArray("AA ").repeated(16);
    const QByteArray half = QByteArray("BB ").repeated(8);
    QTest::newRow("full line then short lines")
        << full + "\r\n" + half + "\r\n" + full + "\r\n" + full + "\n"
        << full.chopped(1) + "\n" + half + "\r\n" + full + "\r\n" + full + "\n";

    QTest::newRow("zero byte ends the text") << QByteArray("AB CD\0EF", 8) << QByteArray("AB CD");
    QTest::newRow("only the first 1024 bytes")
        << QByteArray(1500, 'x') << QByteArray(EdidFileReadLimit, 'x');
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestEdidFile::lineEnds()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, text);
    QCOMPARE(convertHexFileLineEnds(data), text);
}

void TestEdidFile::interprets_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("raw");
    QTest::addColumn<QByteArray>("expected"); // the image's bytes, or the text
    const QByteArray random = toBytes(EdidTestData::randomImage(5));
    QByteArray rawRandom = random;
    rawRandom[0] = '\0';

    QTest::newRow("empty") << QByteArray() << true << QByteArray(256, '\0');
    QTest::newRow("128 bytes") << rawRandom.left(128) << true
                               << rawRandom.left(128) + QByteArray(128, '\0');
    QTest::newRow("256 bytes") << rawRandom << true << rawRandom;
    QTest::newRow("512 bytes") << rawRandom + QByteArray(256, '\x55') << true << rawRandom;
    QTest::newRow("single zero byte") << QByteArray(1, '\0') << true << QByteArray(256, '\0');
    QTest::newRow("hex text") << QByteArray("00 11\n") << false << QByteArray("00 11\n");
    QTest::newRow("binary, first byte not 0")
        << QByteArray("\x01\xFF\x7F\0\x10", 5) << false << QByteArray("\x01\xFF\x7F");
}

void TestEdidFile::interprets()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, raw);
    QFETCH(QByteArray, expected);
    const EdidFileContents contents = interpretEdidFile(data);
    QCOMPARE(contents.kind == EdidFileKind::RawImage, raw);
    if (raw) {
        QCOMPARE(toBytes(contents.image), expected);
        QVERIFY(contents.text.isEmpty());
    } else {
        QCOMPARE(contents.text, expected);
    }
}

void TestEdidFile::readsTheHead()
{
    const QString path = m_dir->filePath("long.bin");
    QByteArray data(2000, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7);
    QVERIFY(writeAll(path, data));
    QString error;
    const std::optional<QByteArray> head = readEdidFileHead(path, &error);
    QVERIFY(head.has_value());
    QCOMPARE(*head, data.left(EdidFileReadLimit));

    const QString empty = m_dir->filePath("empty.bin");
    QVERIFY(writeAll(empty, QByteArray()));
    QCOMPARE(readEdidFileHead(empty, &error), std::optional<QByteArray>(QByteArray()));
}

void TestEdidFile::readFailures()
{
    QString error;
    QVERIFY(!readEdidFileHead(m_dir->filePath("missing.bin"), &error).has_value());
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!readEdidFileHead(m_dir->path(), &error).has_value());
    QVERIFY(!error.isEmpty());
}

void TestEdidFile::writesExactly256Bytes()
{
    const QString path = m_dir->filePath("edid.bin");
    QVERIFY(writeAll(path, QByteArray(1000, '\x77')));
    const EdidImage image = EdidTestData::randomImage(21);
    int opened = 0;
    QString error;
    QVERIFY(writeEdidFile(path, image, &error, [&] { ++opened; }));
    QCOMPARE(opened, 1);
    QCOMPARE(readAll(path), toBytes(image));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"edid.bin"});
}

void TestEdidFile::writeFailureKeepsOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("opens"); // whether the failure comes after the file was opened
    QTest::newRow("parent is a regular file") << "parent" << 0;
    QTest::newRow("target is a folder") << "folder" << 0;
    // The temporary file is created; the final rename to the long name fails.
    QTest::newRow("name too long") << "long" << 1;
}

void TestEdidFile::writeFailureKeepsOldFile()
{
    QFETCH(QString, kind);
    QFETCH(int, opens);
    const QString old = m_dir->filePath("old.bin");
    const QByteArray oldData(300, '\x42');
    QVERIFY(writeAll(old, oldData));
    QString target;
    if (kind == "parent") {
        target = old + "/edid.bin";
    } else if (kind == "folder") {
        target = m_dir->filePath("folder");
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        QVERIFY(writeAll(target + "/inside.bin", oldData));
    } else {
        target = m_dir->filePath(QString(300, 'n'));
    }

    int opened = 0;
    QString error;
    QVERIFY(!writeEdidFile(target, EdidTestData::randomImage(1), &error, [&] { ++opened; }));
    QVERIFY(!error.isEmpty());
    QCOMPARE(opened, opens);
    QCOMPARE(readAll(old), oldData);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.bin"});
    if (kind == "folder")
        QCOMPARE(readAll(target + "/inside.bin"), oldData);
}

void TestEdidFile::failureAfterOpenKeepsOldFile()
{
    const QString path = m_dir->filePath("edid.bin");
    const QByteArray oldData(300, '\x42');
    QVERIFY(writeAll(path, oldData));
    int opened = 0;
    QString error;
    bool written = true;
    {
        // Room for less than an image: the write fails once the file is open.
        FileSizeLimit limit(100);
        QVERIFY(limit.isActive());
        written = writeEdidFile(path, EdidTestData::randomImage(2), &error, [&] { ++opened; });
    }
    QVERIFY(!written);
    QCOMPARE(opened, 1);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), oldData);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"edid.bin"});
}

void TestEdidFile::writesEachFormIntoEachTarget_data()
{
    QTest::addColumn<bool>("hexText");
    QTest::addColumn<bool>("fifo"); // else a regular file
    QTest::newRow("raw into a file") << false << false;
    QTest::newRow("hex text into a file") << true << false;
    QTest::newRow("raw into a FIFO") << false << true;
    QTest::newRow("hex text into a FIFO") << true << true;
}

// What is written reads back as the table, and a FIFO stays a FIFO (a
// temporary file renamed over it would replace it with a regular file).
void TestEdidFile::writesEachFormIntoEachTarget()
{
    QFETCH(bool, hexText);
    QFETCH(bool, fifo);
    EdidImage image = EdidTestData::randomImage(23);
    image[0] = 0x00;
    const QString path = m_dir->filePath("target");
    int reader = -1;
    if (fifo) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        // A reader that is there before the writer, so that opening does not wait.
        reader = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
    }
    const auto closeReader = qScopeGuard([reader] {
        if (reader >= 0)
            close(reader);
    });

    QString error;
    const bool written =
        hexText ? writeEdidHexFile(path, image, &error) : writeEdidFile(path, image, &error);
    QVERIFY2(written, qPrintable(error));
    QByteArray data;
    if (fifo) {
        char buffer[4096];
        const ssize_t n = read(reader, buffer, sizeof buffer);
        QVERIFY(n > 0);
        data = QByteArray(buffer, qsizetype(n));
        QVERIFY(!QFileInfo(path).isFile());
    } else {
        data = readAll(path);
    }
    QCOMPARE(QDir(m_dir->path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"target"});

    const EdidFileContents contents = interpretEdidFile(data);
    QCOMPARE(int(contents.kind), int(hexText ? EdidFileKind::HexText : EdidFileKind::RawImage));
    EdidImage loaded = contents.image;
    if (hexText)
        QCOMPARE(parseHexText(hexTextAsEdited(contents.text), loaded), EdidImageSize);
    QCOMPARE(toBytes(loaded), toBytes(image));
}

QTEST_GUILESS_MAIN(TestEdidFile)
#include "tst_edidfile.moc"
