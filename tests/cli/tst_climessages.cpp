// What varnex-edid tells a user who got something wrong, as the user sees
// it: the program run with its arguments, its standard error read.
#include "Checksum.h"
#include "CliProcess.h"
#include "EdidTestData.h"
#include "ImportSamples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using varnex::edid::blockChecksumCorrect;
using varnex::edid::EdidImage;

namespace {

// The lines xrandr --verbose prints for one more output with an EDID,
// indented as xrandr indents them.
QByteArray xrandrOutput(const QByteArray &name, const QByteArray &table)
{
    QByteArray text = name + " connected 1920x1080+1920+0 (0x4b) normal 600mm x 340mm\n";
    text += "\tIdentifier: 0x44\n\tEDID: \n";
    for (qsizetype at = 0; at < table.size(); at += 16)
        text += "\t\t" + table.mid(at, 16).toHex() + '\n';
    text += "\tnon-desktop: 0 \n";
    return text;
}

QByteArray importSample(const char *file)
{
    QFile in(ImportSamples::path(QString::fromLatin1(file)));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

} // namespace

class TestCliMessages : public QObject
{
    Q_OBJECT

private slots:
    // `input`, when set, is the file "in" in the working directory.
    void messages_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");    // pattern that standard error matches
        QTest::addColumn<QString>("absent"); // text standard error must not hold, if any

        const QString hint = "It is not a raw EDID table \\(first byte 00\\) or a dump of another "
                             "tool that can be imported either\\.";
        // A PNG file's first bytes: binary, and not a table.
        const QByteArray binary =
            QByteArray::fromHex("89504e470d0a1a0a0000000d49484452") + QByteArray(240, '\x01');

        QTest::newRow("unknown option of a command")
            << QStringList{"read", "--bogus"} << QByteArray() << 2
            << "^varnex-edid: Unknown option 'bogus'\\.\nTry 'varnex-edid read --help' for more "
               "information\\.\n$"
            << "";
        QTest::newRow("unknown option after global ones")
            << QStringList{"-q", "--bridge", "sim", "decode", "--bogus"} << QByteArray() << 2
            << "Try 'varnex-edid decode --help'"
            << "";
        QTest::newRow("unknown option, no command")
            << QStringList{"--bogus"} << QByteArray() << 2 << "Try 'varnex-edid --help'"
            << "";
        QTest::newRow("--bridge names no backend")
            << QStringList{"--bridge", "foo", "devices"} << QByteArray() << 2
            << "^varnex-edid: --bridge \"foo\" is not a bridge backend; accepted values are "
               "\"usb\" \\(the default\\), \"sim\" and \"siusbxp:PATH\"\nTry 'varnex-edid "
               "devices --help'"
            << "VARNEX_BRIDGE";
        QTest::newRow("--bridge siusbxp: without a path")
            << QStringList{"--bridge", "siusbxp:", "read"} << QByteArray() << 2
            << "^varnex-edid: --bridge siusbxp: needs the path of the library"
            << "VARNEX_BRIDGE";
        QTest::newRow("decode an empty file")
            << QStringList{"decode", "in"} << QByteArray("") << 3
            << "^varnex-edid: in: the file is empty; an EDID table has at least 128 bytes\n$"
            << "";
        QTest::newRow("verify an empty file") << QStringList{"verify", "in"} << QByteArray("") << 3
                                              << "^varnex-edid: in: the file is empty"
                                              << "";
        for (const char *command : {"decode", "verify", "write", "fix"}) {
            QStringList arguments{QString::fromLatin1(command), "in"};
            if (arguments[0] == "fix")
                arguments << "-o"
                          << "out.bin";
            QTest::addRow("%s a binary that is no table", command)
                << arguments << binary << 3
                << "^varnex-edid: in: Hex Format Error: Line 1, column 1: .*" + hint << "";
        }

        const QByteArray sharp = EdidTestData::readSample("sharp-aquos-hdmi");
        const QByteArray dell = EdidTestData::readSample("dell-p2415q-hdmi2.0");
        const QByteArray listing = importSample("xrandr-verbose.txt");
        QTest::newRow("xrandr: one of three outputs has an EDID")
            << QStringList{"decode", "in"} << listing << 0
            << "^varnex-edid: in: Took the EDID of HDMI-1; no other output has one\\.\n$"
            << "";
        QTest::newRow("xrandr: two of four")
            << QStringList{"decode", "in"} << listing + xrandrOutput("DP-2", dell) << 0
            << "^varnex-edid: in: Took the EDID of HDMI-1; DP-2 has one too\\.\n$"
            << "";
        QTest::newRow("xrandr: three of five, into write's reader")
            << QStringList{"convert", "in", "-o", "out.bin"}
            << listing + xrandrOutput("DP-2", dell) + xrandrOutput("DP-3", sharp) << 0
            << "^varnex-edid: in: Took the EDID of HDMI-1; DP-2 and DP-3 have one too\\.\n$"
            << "";
        QTest::newRow("xrandr: one output")
            << QStringList{"decode", "in"} << xrandrOutput("HDMI-2", sharp) << 0 << "^$"
            << "";

        // Headers and checksums right, but 0x7E counts a block that is not there.
        const QByteArray counted = EdidTestData::readSample("acer-xv273k-dp1").left(256);
        QTest::newRow("write a table with an error finding")
            << QStringList{"write", "in", "--custom"} << counted << 3
            << "^varnex-edid: in: The table has an error that sources may reject: The base block "
               "counts 2 extension blocks [^\\n]*\\[extension-count\\]\nvarnex-edid: fix the "
               "table [^\\n]*, or write it anyway with --force\n$"
            << "Wrote";
        QTest::newRow("write it with --force")
            << QStringList{"write", "in", "--custom", "--force"} << counted << 0
            << "^varnex-edid: Wrote and verified 256 bytes\\. Press the reset button on the "
               "Varnex after every EDID table write\\.\n$"
            << "";
    }

    void messages()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(int, status);
        QFETCH(QString, err);
        QFETCH(QString, absent);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        if (!input.isNull()) {
            QFile file(folder.filePath("in"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(input);
        }
        const CliProcess::Run run = CliProcess::run(arguments, folder.path());
        const QString error = QString::fromUtf8(run.err);
        QVERIFY2(QRegularExpression(err, QRegularExpression::DotMatchesEverythingOption)
                     .match(error)
                     .hasMatch(),
                 qPrintable(error));
        if (!absent.isEmpty())
            QVERIFY2(!error.contains(absent), qPrintable(error));
        QCOMPARE(run.exitCode, status);
    }

    // Wherever blocks are cut to the 256 bytes, byte 0x7E counts the one
    // extension kept; fix repairs a count of blocks that are not there.
    void cutTablesCountTheBlocksKept_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file"); // where the input goes in the working directory
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("edited"); // else the output is the input's first 256 bytes

        const QByteArray acer = EdidTestData::readSample("acer-xv273k-dp1");
        const QStringList toRaw{"-o", "out", "--format", "raw"};
        QTest::newRow("convert a raw file")
            << QStringList{"convert", "in"} + toRaw << "in" << acer << false;
        QTest::newRow("import a dump") << QStringList{"convert", "in"} + toRaw << "in"
                                       << importSample("edid-decode-report-384.txt") << false;
        QTest::newRow("edit") << QStringList{"edit", "in", "--name", "Test"} + toRaw << "in" << acer
                              << true;
        QTest::newRow("fix a 256-byte table")
            << QStringList{"fix", "in", "-o", "out"} << "in" << acer.left(256) << false;
        QTest::newRow("read a display") << QStringList{"read", "--from-display", "DP-1"} + toRaw
                                        << "drm/card0-DP-1/edid" << acer << false;
    }

    void cutTablesCountTheBlocksKept()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(QByteArray, input);
        QFETCH(bool, edited);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(QDir(folder.path()).mkpath(QFileInfo(folder.filePath(file)).path()));
        QFile in(folder.filePath(file));
        QVERIFY(in.open(QIODevice::WriteOnly));
        in.write(input);
        in.close();

        const CliProcess::Run run =
            CliProcess::run(arguments, folder.path(), {{"VARNEX_DRM_DIR", folder.filePath("drm")}});
        QVERIFY2(run.exitCode == 0, run.err);
        QVERIFY2(run.err.contains("The extension count (byte 0x7E) was set from 2 to 1, the "
                                  "extension blocks the table holds"),
                 run.err);
        QFile out(folder.filePath("out"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        const EdidImage image = EdidTestData::toImage(out.readAll());
        QCOMPARE(int(image[0x7E]), 1);
        QVERIFY(blockChecksumCorrect(image, 0));
        QVERIFY(blockChecksumCorrect(image, 1));
        // Every row holds this table.
        if (!edited)
            QCOMPARE(image, EdidTestData::keptImage(EdidTestData::readSample("acer-xv273k-dp1")));
    }
};

QTEST_GUILESS_MAIN(TestCliMessages)
#include "tst_climessages.moc"
