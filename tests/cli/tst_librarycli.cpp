#include "CliProcess.h"
#include "EdidTestData.h"
#include "TestFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using CliProcess::Environment;
using CliProcess::Run;

namespace {

const char Sample[] = "dell-p2415q-hdmi2.0";
const char OtherSample[] = "samsung-q800t-hdmi2.1";

QByteArray sample(const char *name)
{
    return EdidTestData::readSample(QLatin1String(name));
}

// EDID hex text made here, independently of the program's formatter.
QByteArray hexText(const QByteArray &bytes)
{
    QByteArray text;
    for (qsizetype at = 0; at < bytes.size(); at += 16)
        text += bytes.mid(at, 16).toHex(' ').toUpper() + '\n';
    return text;
}

} // namespace

class TestLibraryCli : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void addFromEverySource();
    void listShowRenameRemove();
    void refusals_data();
    void refusals();
    void libraryNamesAreFiles_data();
    void libraryNamesAreFiles();
    void concurrentAdds();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString library() const { return path(QStringLiteral("library")); }
    QString putFile(const QString &name, const QByteArray &data) const;
    Run run(const QStringList &arguments, const Environment &extra = {},
            const QByteArray &input = {}) const;
    Environment environment() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLibraryCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestLibraryCli::putFile(const QString &name, const QByteArray &data) const
{
    const QString file = path(name);
    if (!TestFiles::writeAll(file, data))
        qFatal("cannot write %s", qPrintable(file));
    return file;
}

Environment TestLibraryCli::environment() const
{
    return {{QStringLiteral("VARNEX_LIBRARY_DIR"), library()},
            {QStringLiteral("VARNEX_SIM_STATE"), path(QStringLiteral("state.bin"))},
            {QStringLiteral("VARNEX_DRM_DIR"), path(QStringLiteral("drm"))}};
}

Run TestLibraryCli::run(const QStringList &arguments, const Environment &extra,
                        const QByteArray &input) const
{
    Environment all = environment();
    all.insert(extra);
    return CliProcess::run(arguments, m_dir->path(), all, input);
}

void TestLibraryCli::addFromEverySource()
{
    const QByteArray dell = sample(Sample);
    const QByteArray samsung = sample(OtherSample);
    putFile(QStringLiteral("dell.bin"), dell);
    QVERIFY(QDir().mkpath(path(QStringLiteral("drm/card0-HDMI-A-1"))));
    putFile(QStringLiteral("drm/card0-HDMI-A-1/edid"), samsung);
    // The simulated Varnex holds the Samsung table.
    QCOMPARE(run({"write", "dell.bin", "--custom"}).exitCode, 0);

    const QList<QStringList> adds = {{"library", "add", "file", "dell.bin", "--note", "a file"},
                                     {"library", "add", "stdin", "-"},
                                     {"library", "add", "device", "device"},
                                     {"library", "add", "display", "display:HDMI-A-1"},
                                     {"library", "add", "copy", "lib:file"}};
    for (const QStringList &add : adds) {
        const Run added = run(add, {}, hexText(samsung));
        QVERIFY2(added.exitCode == 0, added.err);
    }
    const Run list = run({"library", "list", "--json"});
    QCOMPARE(list.exitCode, 0);
    const QJsonArray entries = QJsonDocument::fromJson(list.out).array();
    QCOMPARE(entries.size(), 5);
    const QStringList expected[] = {{"copy", "lib:file", "DEL DELL P2415Q"},
                                    {"device", "device", "DEL DELL P2415Q"},
                                    {"display", "display:HDMI-A-1", "SAM SAMSUNG"},
                                    {"file", "dell.bin", "DEL DELL P2415Q"},
                                    {"stdin", "standard input", "SAM SAMSUNG"}};
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QJsonObject entry = entries[i].toObject();
        QCOMPARE(entry["name"].toString(), expected[i][0]);
        QCOMPARE(entry["source"].toString(), expected[i][1]);
        QCOMPARE(entry["product"].toString(), expected[i][2]);
        QCOMPARE(entry["table"].toBool(), true);
        QVERIFY(!entry["preferredMode"].toString().isEmpty());
        QVERIFY(QDateTime::fromString(entry["added"].toString(), Qt::ISODate).isValid());
    }
    QCOMPARE(entries[3].toObject()["note"].toString(), QStringLiteral("a file"));
    QVERIFY(entries[0].toObject()["note"].isNull());
}

void TestLibraryCli::listShowRenameRemove()
{
    putFile(QStringLiteral("dell.bin"), sample(Sample));
    const Run empty = run({"library", "list"});
    QCOMPARE(empty.exitCode, 0);
    QCOMPARE(empty.out, QByteArray("NAME  PRODUCT  MODE  ADDED  NOTE\n"));
    QVERIFY2(empty.err.contains("has no entries"), empty.err);

    QCOMPARE(run({"library", "add", "1080p stereo safe", "dell.bin", "--note", "Room 2"}).exitCode,
             0);
    const Run list = run({"library", "list"});
    QCOMPARE(list.exitCode, 0);
    const QList<QByteArray> lines = list.out.split('\n');
    QVERIFY2(lines.size() == 3 && lines[1].startsWith("1080p stereo safe  DEL DELL P2415Q  "),
             list.out);
    QVERIFY2(lines[1].endsWith("  Room 2"), list.out);

    const Run show = run({"library", "show", "1080p stereo safe"});
    QCOMPARE(show.exitCode, 0);
    for (const char *line :
         {"Name:           1080p stereo safe\n", "Product:        DEL DELL P2415Q\n",
          "Status:         ", "Note:           Room 2\n"})
        QVERIFY2(show.out.contains(line), show.out);

    QCOMPARE(run({"library", "rename", "1080p stereo safe", "safe"}).exitCode, 0);
    QCOMPARE(run({"library", "show", "1080p stereo safe"}).exitCode, 1);
    QCOMPARE(run({"library", "remove", "safe"}).exitCode, 0);
    QCOMPARE(QDir(library()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{});
}

void TestLibraryCli::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("bad name") << QStringList{"library", "add", "../x", "dell.bin"} << 2
                              << "contains \"/\"";
    QTest::newRow("long name") << QStringList{"library", "add", QString(65, 'x'), "dell.bin"} << 2
                               << "longer than 64";
    QTest::newRow("rename to a bad name")
        << QStringList{"library", "rename", "tv", "a/b"} << 2 << "contains \"/\"";
    QTest::newRow("exists") << QStringList{"library", "add", "tv", "dell.bin"} << 1
                            << "--replace replaces it";
    QTest::newRow("no such entry")
        << QStringList{"library", "show", "radio"} << 1 << "no entry \"radio\"";
    QTest::newRow("remove a bad name")
        << QStringList{"library", "remove", "../tv"} << 2 << "contains \"/\"";
    QTest::newRow("rename to itself")
        << QStringList{"library", "rename", "tv", "tv"} << 0 << QString();
    QTest::newRow("unknown") << QStringList{"library", "copy", "tv"} << 2
                             << "not a library command";
    QTest::newRow("wrong count") << QStringList{"library", "show"} << 2 << "library show NAME";
    QTest::newRow("foreign option") << QStringList{"library", "show", "tv", "--json"} << 2
                                    << "--json is not an option of library show";
    QTest::newRow("unreadable source")
        << QStringList{"library", "add", "x", "missing.bin"} << 1 << "cannot read missing.bin";
    QTest::newRow("source not a table")
        << QStringList{"library", "add", "x", "junk.txt"} << 3 << "Hex Format Error";
}

void TestLibraryCli::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    putFile(QStringLiteral("dell.bin"), sample(Sample));
    putFile(QStringLiteral("junk.txt"), "hello\n");
    QCOMPARE(run({"library", "add", "tv", "dell.bin"}).exitCode, 0);
    const QByteArray before = TestFiles::readAll(library() + "/tv.hex");

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message.toUtf8()), result.err);
    // A refusal changes nothing.
    QCOMPARE(QDir(library()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"tv.hex"});
    QCOMPARE(TestFiles::readAll(library() + "/tv.hex"), before);
}

void TestLibraryCli::libraryNamesAreFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output"); // on standard output; empty: not compared

    const QByteArray dell = sample(Sample);
    QTest::newRow("convert") << QStringList{"convert", "lib:tv", "-o", "-", "--format", "raw"} << 0
                             << dell;
    QTest::newRow("decode") << QStringList{"verify", "lib:tv"} << 0
                            << QByteArray("lib:tv: valid\n");
    QTest::newRow("diff equal") << QStringList{"diff", "lib:tv", "dell.bin"} << 0 << QByteArray();
    QTest::newRow("diff different")
        << QStringList{"diff", "lib:tv", "lib:other"} << 1 << QByteArray();
    QTest::newRow("missing") << QStringList{"convert", "lib:radio", "-o", "-"} << 1 << QByteArray();
    QTest::newRow("bad name") << QStringList{"verify", "lib:../tv"} << 2 << QByteArray();
    QTest::newRow("write") << QStringList{"write", "lib:tv", "--custom"} << 0 << QByteArray();
}

void TestLibraryCli::libraryNamesAreFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);

    putFile(QStringLiteral("dell.bin"), sample(Sample));
    putFile(QStringLiteral("other.bin"), sample(OtherSample));
    QCOMPARE(run({"library", "add", "tv", "dell.bin"}).exitCode, 0);
    QCOMPARE(run({"library", "add", "other", "other.bin"}).exitCode, 0);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    // verify prints the table's advisory notes before its verdict line.
    if (!output.isEmpty())
        QVERIFY2(result.out == output ||
                     (output.endsWith('\n') && result.out.endsWith('\n' + output)),
                 result.out.left(200));
    if (arguments.constFirst() == QLatin1String("write")) {
        const Run read = run({"read", "--format", "raw"});
        QCOMPARE(read.out, sample(Sample));
    }
}

void TestLibraryCli::concurrentAdds()
{
    // Programs started at once: each adds a name of its own, and all of
    // them also race for one shared name.
    constexpr int Programs = 6;
    putFile(QStringLiteral("dell.bin"), sample(Sample));
    QList<std::shared_ptr<QProcess>> processes;
    for (int i = 0; i < Programs; ++i) {
        for (const QString &name : {QStringLiteral("own %1").arg(i), QStringLiteral("shared")}) {
            processes.append(std::make_shared<QProcess>());
            CliProcess::start(*processes.last(), {"library", "add", name, "dell.bin"},
                              m_dir->path(), environment());
        }
    }
    int sharedWins = 0;
    for (qsizetype i = 0; i < processes.size(); ++i) {
        const Run result = CliProcess::finish(*processes[i]);
        const bool shared = i % 2 == 1;
        if (shared && result.exitCode == 1) {
            QVERIFY2(result.err.contains("already"), result.err);
            continue;
        }
        QVERIFY2(result.exitCode == 0, result.err);
        sharedWins += shared ? 1 : 0;
    }
    QCOMPARE(sharedWins, 1);
    QStringList expected = {QStringLiteral("shared.hex")};
    for (int i = 0; i < Programs; ++i)
        expected.append(QStringLiteral("own %1.hex").arg(i));
    expected.sort();
    QCOMPARE(QDir(library()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                       QDir::Name),
             expected);
    const Run list = run({"library", "list", "--json"});
    QCOMPARE(QJsonDocument::fromJson(list.out).array().size(), Programs + 1);
}

QTEST_GUILESS_MAIN(TestLibraryCli)
#include "tst_librarycli.moc"
