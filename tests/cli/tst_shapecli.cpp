#include "CliProcess.h"
#include "EdidTestData.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Tables written as their file's name asks, and edits a script may repeat,
// through the program as a user runs it.
class TestShapeCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void formatFollowsTheName_data();
    void formatFollowsTheName();
    void repeatedAndImpossibleEdits_data();
    void repeatedAndImpossibleEdits();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TestShapeCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile tv(path(QStringLiteral("tv.bin")));
    QVERIFY(tv.open(QIODevice::WriteOnly));
    tv.write(EdidTestData::readSample(QStringLiteral("lg-oled-c9-hdmi")).left(256));
}

void TestShapeCli::formatFollowsTheName_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("start");
    const QByteArray raw("\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00", 8);
    const QByteArray hex("00 FF FF FF");
    const QByteArray c("const unsigned char edid[256]");
    const QByteArray b64("AP///////w");
    const auto convert = [](const char *out) {
        return QStringList{QStringLiteral("convert"), QStringLiteral("tv.bin"),
                           QStringLiteral("-o"), QLatin1String(out)};
    };
    QTest::newRow("convert .hex") << convert("a.hex") << hex;
    QTest::newRow("convert .txt") << convert("a.txt") << hex;
    QTest::newRow("convert .c") << convert("a.c") << c;
    QTest::newRow("convert .H") << convert("a.H") << c;
    QTest::newRow("convert .b64") << convert("a.b64") << b64;
    QTest::newRow("convert other name: hex") << convert("a.dat") << hex;
    QTest::newRow("--format wins") << convert("a.hex") + QStringList{"--format", "raw"} << raw;
    QTest::newRow("edit .raw") << QStringList{"edit", "tv.bin", "-o", "a.raw", "--no-hdr"} << raw;
    QTest::newRow("edit .hex of a raw file")
        << QStringList{"edit", "tv.bin", "-o", "a.hex", "--no-audio"} << hex;
    QTest::newRow("fix .edid") << QStringList{"fix", "a.hex", "-o", "b.edid"} << raw;
    QTest::newRow("fix keeps the form") << QStringList{"fix", "tv.bin", "-o", "b.dat"} << raw;
    QTest::newRow("preset .b64") << QStringList{"preset", "1080p60-stereo", "-o", "p.b64"} << b64;
    QTest::newRow("compose .bin") << QStringList{"compose", "tv.bin", "a.hex", "-o", "m.bin"}
                                  << raw;
    QTest::newRow("read .bin") << QStringList{"read", "-o", "r.bin"} << raw;
    QTest::newRow("read .c") << QStringList{"read", "-o", "r.c"} << c;
    QTest::newRow("read other name: hex") << QStringList{"read", "-o", "r.dat"} << hex;
    QTest::newRow("raw to a pipe")
        << QStringList{"convert", "tv.bin", "-o", "-", "--format", "raw"} << raw;
}

void TestShapeCli::formatFollowsTheName()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, start);
    const CliProcess::Run run = CliProcess::run(arguments, m_dir.path());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QByteArray written = run.out;
    if (arguments.at(arguments.indexOf(QStringLiteral("-o")) + 1) != QLatin1String("-")) {
        QFile out(path(arguments.at(arguments.indexOf(QStringLiteral("-o")) + 1)));
        QVERIFY(out.open(QIODevice::ReadOnly));
        written = out.readAll();
    }
    QVERIFY2(written.startsWith(start), written.left(40).toHex(' ').constData());
}

void TestShapeCli::repeatedAndImpossibleEdits_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("HDR twice") << QStringList{"--no-hdr"} << 0 << "already without HDR";
    QTest::newRow("only modes twice")
        << QStringList{"--only-modes", "1920x1080@60,1280x720@60"} << 0 << "already offers only";
    QTest::newRow("VIC there") << QStringList{"--add-vic", "16"} << 0 << "already in the table";
    QTest::newRow("name too long") << QStringList{"--name", "Living room TV"} << 3 << "at most 13";
    QTest::newRow("mode too fast for a DTD")
        << QStringList{"--only-modes", "3840x2160@240"} << 3 << "--only-modes";
}

void TestShapeCli::repeatedAndImpossibleEdits()
{
    QFETCH(QStringList, edits);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    // The first run makes the edit, the second finds it made.
    const QStringList first = QStringList{"edit", "tv.bin", "-o", "once.bin"} + edits;
    const CliProcess::Run once = CliProcess::run(first, m_dir.path());
    QFile::remove(path(QStringLiteral("twice.bin")));
    const QStringList second =
        QStringList{"edit", exitCode == 0 ? "once.bin" : "tv.bin", "-o", "twice.bin"} + edits;
    const CliProcess::Run twice = CliProcess::run(second, m_dir.path());
    QCOMPARE(twice.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(twice.err).contains(message), twice.err.constData());
    if (exitCode != 0) {
        QVERIFY(!QFile::exists(path(QStringLiteral("twice.bin"))));
        return;
    }
    QCOMPARE(once.exitCode, 0);
    QFile a(path(QStringLiteral("once.bin")));
    QFile b(path(QStringLiteral("twice.bin")));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

QTEST_GUILESS_MAIN(TestShapeCli)
#include "tst_shapecli.moc"
