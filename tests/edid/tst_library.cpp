#include "EdidFile.h"
#include "EdidTestData.h"
#include "HexText.h"
#include "TestFiles.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidSummary.h"
#include "library/EdidLibrary.h"
#include "library/LibraryName.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace varnex::edid;

namespace {

EdidImage sampleImage(const char *name)
{
    return EdidTestData::toImage(EdidTestData::readSample(QLatin1String(name)));
}

// Every name in a folder, hidden ones included: what the library left there.
QStringList everything(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList entryNames(const QList<LibraryEntry> &entries)
{
    QStringList list;
    for (const LibraryEntry &entry : entries)
        list.append(entry.name);
    return list;
}

LibraryEntryHeader header(const QString &name, const QString &note = {}, const QString &source = {})
{
    LibraryEntryHeader made;
    made.name = name;
    made.note = note;
    made.source = source;
    return made;
}

} // namespace

class TestLibrary : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void names_data();
    void names();
    void entryFilesReadBackAsTables_data();
    void entryFilesReadBackAsTables();
    void addListRenameRemove();
    void droppedFilesAreEntries();
    void defaultDirectory_data();
    void defaultDirectory();

private:
    QString folder() const { return m_dir->filePath(QStringLiteral("library")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLibrary::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestLibrary::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName"); // empty: the name is refused

    QTest::newRow("plain") << "projector"
                           << "projector.hex";
    QTest::newRow("spaces kept") << "1080p stereo safe"
                                 << "1080p stereo safe.hex";
    QTest::newRow("every mark") << "a-b_c.d 2"
                                << "a-b_c.d 2.hex";
    QTest::newRow("64 characters") << QString(64, QLatin1Char('x')) << QString(64, 'x') + ".hex";
    QTest::newRow("65 characters") << QString(65, QLatin1Char('x')) << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("parent") << "../x" << QString();
    QTest::newRow("slash") << "a/b" << QString();
    QTest::newRow("backslash") << "a\\b" << QString();
    QTest::newRow("dot dot") << ".."
                             << "%2E..hex";
    QTest::newRow("dot") << "."
                         << "%2E.hex";
    QTest::newRow("leading dot") << ".hidden"
                                 << "%2Ehidden.hex";
    QTest::newRow("percent") << "%2Ex" << QString();
    QTest::newRow("line feed") << "a\nb" << QString();
    QTest::newRow("nul") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"))
                         << QString();
    QTest::newRow("unicode letters")
        << QStringLiteral("Café 日本") << QStringLiteral("Café 日本.hex");
    // Decomposed accents are the same name as the precomposed ones.
    QTest::newRow("decomposed") << QStringLiteral("Cafe\u0301") << QStringLiteral("Café.hex");
    QTest::newRow("emoji") << QStringLiteral("tv \U0001F4FA") << QString();
    // Letters of four UTF-8 bytes each: 64 of them make a file name longer
    // than file systems take (255 bytes).
    const auto wide = [](int count) {
        const std::u32string letters(std::size_t(count), U'\U00010400');
        return QString::fromUcs4(letters.data(), count);
    };
    QTest::newRow("32 wide letters") << wide(32) << wide(32) + ".hex";
    QTest::newRow("64 wide letters") << wide(64) << QString();
}

void TestLibrary::names()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);

    QCOMPARE(!libraryNameProblem(name), !fileName.isEmpty());
    EdidLibrary library(folder());
    const LibraryResult added = library.add(header(name), sampleImage("dell-p2415q-hdmi2.0"));
    if (fileName.isEmpty()) {
        QCOMPARE(added.status, LibraryStatus::InvalidName);
        QVERIFY(!added.message.isEmpty());
        QVERIFY(library.entries().isEmpty());
    } else {
        QVERIFY2(added.ok(), qPrintable(added.message));
        QCOMPARE(libraryFileName(name), fileName);
        QCOMPARE(everything(folder()), QStringList{fileName});
        QCOMPARE(entryNames(library.entries()), QStringList{normalizedLibraryName(name)});
        QVERIFY(library.find(name));
    }
    // Nothing was written beside the folder, whatever the name tried.
    QCOMPARE(everything(m_dir->path()),
             fileName.isEmpty() ? QStringList{} : QStringList{"library"});
}

void TestLibrary::entryFilesReadBackAsTables_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("note");

    // Notes that look like the title lines or rows of the dumps the importer knows.
    const QStringList notes = {QString(),
                               QStringLiteral("EDID:"),
                               QStringLiteral("edid-decode (hex):"),
                               QStringLiteral("EDID BYTES:"),
                               QStringLiteral("00 FF FF FF FF FF FF 00"),
                               QStringLiteral("{ 0x00, 0xff }"),
                               QStringLiteral("two\nlines\r\n00 11")};
    const QStringList samples = EdidTestData::sampleNames();
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const QString &note = notes[i % notes.size()];
        QTest::newRow(qPrintable(samples[i])) << samples[i] << note;
    }
}

void TestLibrary::entryFilesReadBackAsTables()
{
    QFETCH(QString, sample);
    QFETCH(QString, note);

    const EdidImage image = EdidTestData::toImage(EdidTestData::readSample(sample));
    LibraryEntryHeader written = header(QStringLiteral("entry"), note, QStringLiteral("device"));
    written.added = QStringLiteral("2024-05-01T10:22:03Z");
    const QByteArray file = formatLibraryEntry(written, image);

    // Our importer, as the window and every command read a file, skips the header.
    const EdidFileContents contents = interpretEdidFile(file);
    QCOMPARE(contents.kind, EdidFileKind::Imported);
    QCOMPARE(contents.image, image);
    QCOMPARE(libraryTableOfFile(file), std::optional(image));
    // The rows are our hex text, for tools that read hex and skip comments.
    QVERIFY(file.endsWith(formatHexText(image)));

    const LibraryEntryHeader read = parseLibraryEntryHeader(file);
    QCOMPARE(read.name, written.name);
    QCOMPARE(read.note, oneLineNote(note));
    QCOMPARE(read.added, written.added);
    QCOMPARE(read.source, written.source);
}

void TestLibrary::addListRenameRemove()
{
    EdidLibrary library(folder());
    QVERIFY(library.entries().isEmpty());
    const EdidImage dell = sampleImage("dell-p2415q-hdmi2.0");
    const EdidImage samsung = sampleImage("samsung-q800t-hdmi2.1");

    QVERIFY(library.add(header("projector", "ceiling, room 2", "device"), dell).ok());
    QVERIFY(library.add(header("Conference room"), samsung).ok());
    QCOMPARE(entryNames(library.entries()), (QStringList{"Conference room", "projector"}));

    const std::optional<LibraryEntry> projector = library.find(QStringLiteral("projector"));
    QVERIFY(projector);
    const EdidSummary summary = summarize(decodeEdid(EdidTestData::toBytes(dell)));
    QCOMPARE(projector->image, std::optional(dell));
    QCOMPARE(projector->product, summary.product);
    QCOMPARE(projector->preferredMode, summary.preferredMode);
    QVERIFY(!projector->preferredMode.isEmpty());
    QCOMPARE(projector->note, QStringLiteral("ceiling, room 2"));
    QCOMPARE(projector->source, QStringLiteral("device"));
    QVERIFY(qAbs(projector->added.secsTo(QDateTime::currentDateTimeUtc())) < 60);

    // An entry is never overwritten unless asked to.
    const QByteArray before = TestFiles::readAll(projector->filePath);
    QCOMPARE(library.add(header("projector"), samsung).status, LibraryStatus::Exists);
    QCOMPARE(TestFiles::readAll(projector->filePath), before);
    QVERIFY(library.add(header("projector", "new"), samsung, true).ok());
    QCOMPARE(library.find(QStringLiteral("projector"))->image, std::optional(samsung));

    QCOMPARE(library.rename(QStringLiteral("projector"), QStringLiteral("Conference room")).status,
             LibraryStatus::Exists);
    QCOMPARE(library.rename(QStringLiteral("nothing"), QStringLiteral("x")).status,
             LibraryStatus::NoSuchEntry);
    QCOMPARE(library.rename(QStringLiteral("projector"), QStringLiteral("../x")).status,
             LibraryStatus::InvalidName);
    const LibraryEntry old = *library.find(QStringLiteral("projector"));
    QVERIFY(library.rename(QStringLiteral("projector"), QStringLiteral("beamer")).ok());
    const std::optional<LibraryEntry> beamer = library.find(QStringLiteral("beamer"));
    QVERIFY(beamer);
    QCOMPARE(beamer->image, old.image);
    QCOMPARE(beamer->note, old.note);
    QCOMPARE(beamer->added, old.added);
    QCOMPARE(parseLibraryEntryHeader(TestFiles::readAll(beamer->filePath)).name, "beamer");
    QVERIFY(!library.find(QStringLiteral("projector")));

    QCOMPARE(library.remove(QStringLiteral("projector")).status, LibraryStatus::NoSuchEntry);
    QCOMPARE(library.remove(QStringLiteral("../library/beamer")).status,
             LibraryStatus::InvalidName);
    QVERIFY(library.remove(QStringLiteral("beamer")).ok());
    QCOMPARE(entryNames(library.entries()), QStringList{"Conference room"});
    // One file per entry, nothing else: no index, lock or temporary file.
    QCOMPARE(everything(folder()), QStringList{"Conference room.hex"});
}

void TestLibrary::droppedFilesAreEntries()
{
    const QByteArray dell = EdidTestData::readSample(QStringLiteral("dell-p2415q-hdmi2.0"));
    const QByteArray acer = EdidTestData::readSample(QStringLiteral("acer-xv273k-dp1"));
    QVERIFY(QDir().mkpath(folder()));
    const QDir dir(folder());
    QVERIFY(TestFiles::writeAll(dir.filePath("tv.bin"), dell));
    QVERIFY(
        TestFiles::writeAll(dir.filePath("room.hex"), formatHexText(EdidTestData::toImage(acer))));
    QVERIFY(TestFiles::writeAll(dir.filePath("Room (old).txt"), acer.toBase64() + '\n'));
    QVERIFY(TestFiles::writeAll(dir.filePath("README"), "not a table\n"));
    QVERIFY(TestFiles::writeAll(dir.filePath(".tv.bin.swp"), dell));
    QVERIFY(dir.mkdir(QStringLiteral("old")));

    EdidLibrary library(folder());
    const QList<LibraryEntry> entries = library.entries();
    QCOMPARE(entryNames(entries), (QStringList{"README", "room", "Room (old).txt", "tv.bin"}));
    QVERIFY(!entries[0].image);
    QCOMPARE(entries[1].image, std::optional(EdidTestData::toImage(acer)));
    // Cut to 256 bytes as every import is, the extension count following.
    QCOMPARE(entries[2].image, std::optional(EdidTestData::keptImage(acer)));
    QCOMPARE(entries[3].image, std::optional(EdidTestData::toImage(dell)));
    QCOMPARE(entries[3].added, QFileInfo(dir.filePath("tv.bin")).lastModified().toUTC());

    // A name that a new entry could not have still finds its file.
    QVERIFY(library.find(QStringLiteral("Room (old).txt")));
    QCOMPARE(library.rename(QStringLiteral("README"), QStringLiteral("readme")).status,
             LibraryStatus::NotATable);
    QVERIFY(library.rename(QStringLiteral("tv.bin"), QStringLiteral("tv")).ok());
    const std::optional<LibraryEntry> tv = library.find(QStringLiteral("tv"));
    QVERIFY(tv);
    QCOMPARE(tv->fileName, QStringLiteral("tv.hex"));
    QCOMPARE(tv->source, QStringLiteral("tv.bin"));
    QVERIFY(library.remove(QStringLiteral("README")).ok());
    QCOMPARE(everything(folder()),
             (QStringList{".tv.bin.swp", "Room (old).txt", "old", "room.hex", "tv.hex"}));
}

void TestLibrary::defaultDirectory_data()
{
    QTest::addColumn<QString>("libraryDir");
    QTest::addColumn<QString>("dataHome");
    QTest::addColumn<QString>("expected");

    const QString home = QDir::homePath() + "/.local/share/varnex-edid-utility/library";
    QTest::newRow("chosen") << "/srv/tables"
                            << "/data"
                            << "/srv/tables";
    QTest::newRow("data home") << QString() << "/data"
                               << "/data/varnex-edid-utility/library";
    QTest::newRow("relative data home") << QString() << "data" << home;
    QTest::newRow("neither") << QString() << QString() << home;
}

void TestLibrary::defaultDirectory()
{
    QFETCH(QString, libraryDir);
    QFETCH(QString, dataHome);
    QFETCH(QString, expected);

    QProcessEnvironment environment;
    if (!libraryDir.isEmpty())
        environment.insert(QLatin1String(LibraryDirectoryVariable), libraryDir);
    if (!dataHome.isEmpty())
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    QCOMPARE(EdidLibrary::defaultDirectory(environment), expected);
}

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
