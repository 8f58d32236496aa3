#include "DisplayEdids.h"
#include "EdidFile.h"
#include "EdidTestData.h"
#include "HexText.h"
#include "TestFiles.h"
#include "import/ImportEdidText.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace varnex::edid;
using EdidTestData::readSample;
using EdidTestData::toBytes;
using EdidTestData::toImage;
using TestFiles::readAll;
using TestFiles::writeAll;

namespace {

QByteArray importSample(const char *name)
{
    return readAll(QStringLiteral(VARNEX_TEST_DATA_DIR "/import/") + QLatin1String(name));
}

QByteArray lowerHexRows(const QByteArray &table, const QByteArray &lineEnd, int width = 16)
{
    QByteArray rows;
    for (qsizetype p = 0; p < table.size(); p += width)
        rows += table.mid(p, width).toHex(' ') + lineEnd;
    return rows;
}

// A C++ array the way people write one by hand: single digits, both cases
// of the prefix, a comment per row, nested braces and a trailing comma.
QByteArray handWrittenArray(const QByteArray &table)
{
    QByteArray text = "#include <array>\n// from the display's EDID\n"
                      "static constexpr std::array<std::uint8_t, 256> edid{{\n";
    for (qsizetype p = 0; p < table.size(); ++p) {
        if (p % 16 == 0)
            text += "    /* " + QByteArray::number(p, 16) + " */ ";
        text += (p % 2 ? "0X" : "0x") + QByteArray::number(quint8(table[p]), 16) + ", ";
        if (p % 16 == 15)
            text += "// row\n";
    }
    return text + "}};\n";
}

QByteArray utf16WithMark(const QByteArray &text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(QString::fromUtf8(text));
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void importsEachForm_data();
    void importsEachForm();
    void keepsTodaysFiles_data();
    void keepsTodaysFiles();
    void fallsBackOnAnythingElse_data();
    void fallsBackOnAnythingElse();
    void readsUpToTheImportLimit();
    void listsDisplays();
    void describesWhatIsLeftOut_data();
    void describesWhatIsLeftOut();
    void drmDirectoryFromEnvironment();
};

void TestImport::importsEachForm_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("source"); // the raw sample the dump was made from
    QTest::addColumn<int>("dropped");    // extension blocks left out

    const auto row = [](const char *name, ImportForm form, const char *source, int dropped = 0) {
        QTest::newRow(name) << importSample(name) << int(form) << QString::fromLatin1(source)
                            << dropped;
    };
    row("edid-decode-report.txt", ImportForm::EdidDecodeReport, "dell-p2415q-hdmi2.0");
    row("edid-decode-report-384.txt", ImportForm::EdidDecodeReport, "acer-xv273k-dp1", 1);
    row("xrandr-verbose.txt", ImportForm::XrandrVerbose, "sharp-aquos-hdmi");
    row("edid-bytes-report.txt", ImportForm::EdidBytesReport, "dell-e178wfp-vga");
    row("xxd-i.txt", ImportForm::CArray, "lg-oled-c9-hdmi");
    row("xxd.txt", ImportForm::XxdDump, "samsung-q800t-hdmi2.1");
    row("xxd-a.txt", ImportForm::XxdDump, "acer-xb321hk-dp");
    row("hexdump-c.txt", ImportForm::HexdumpCanonical, "acer-xb321hk-dp");
    row("od-an-tx1.txt", ImportForm::PlainHexRows, "oculus-rift-dk1-hdmi");
    row("xxd-p.txt", ImportForm::PlainHexRows, "lg-34wk95uw-thunderbolt-dp1-tile0", 2);
    row("base64.txt", ImportForm::Base64Dump, "apple-cinemahd-30-dvi");

    const QByteArray sharp = readSample("sharp-aquos-hdmi");
    QTest::newRow("C++ array by hand")
        << handWrittenArray(sharp) << int(ImportForm::CArray) << "sharp-aquos-hdmi" << 0;
    QByteArray crlf = importSample("xxd.txt");
    crlf.replace("\n", "\r\n");
    QTest::newRow("xxd, CR LF") << crlf << int(ImportForm::XxdDump) << "samsung-q800t-hdmi2.1" << 0;
    QTest::newRow("EDID BYTES report in UTF-16")
        << utf16WithMark(importSample("edid-bytes-report.txt")) << int(ImportForm::EdidBytesReport)
        << "dell-e178wfp-vga" << 0;
    QTest::newRow("rows amid a message")
        << "Here is what the display sends:\n```\n" + lowerHexRows(sharp, "\n") + "```\nThanks"
        << int(ImportForm::PlainHexRows) << "sharp-aquos-hdmi" << 0;
    // Trailing spaces before CR LF keep the editor from parsing these as our hex text.
    QTest::newRow("rows of 8 groups, trailing spaces")
        << lowerHexRows(sharp, " \r\n", 8) << int(ImportForm::PlainHexRows) << "sharp-aquos-hdmi"
        << 0;
    // Too long for our hex text's 1024 bytes, so not our hex text.
    QTest::newRow("our hex text of three blocks")
        << lowerHexRows(readSample("acer-xv273k-dp1"), "\n") << int(ImportForm::PlainHexRows)
        << "acer-xv273k-dp1" << 1;
}

void TestImport::importsEachForm()
{
    QFETCH(QByteArray, data);
    QFETCH(int, form);
    QFETCH(QString, source);
    QFETCH(int, dropped);
    const QByteArray table = readSample(source);
    QVERIFY(!table.isEmpty());

    const EdidFileContents contents = interpretEdidFile(data);
    QCOMPARE(int(contents.kind), int(EdidFileKind::Imported));
    QCOMPARE(int(contents.imported.form), form);
    QCOMPARE(contents.imported.table, table);
    QCOMPARE(toBytes(contents.image), toBytes(EdidTestData::keptImage(table)));
    QCOMPARE(contents.text, formatHexText(contents.image));
    QCOMPARE(contents.imported.droppedExtensionBlocks(), dropped);
    QCOMPARE(contents.imported.droppedBytes(), dropped * EdidBlockSize);
}

void TestImport::keepsTodaysFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("raw");
    const QByteArray dell = readSample("dell-p2415q-hdmi2.0");
    const QByteArray hexText = formatHexText(toImage(dell));

    QTest::newRow("raw 256") << dell << true;
    QTest::newRow("raw 384") << readSample("acer-xv273k-dp1") << true;
    QTest::newRow("raw, then a dump") << QByteArray(1, '\0') + importSample("xxd.txt") << true;
    QTest::newRow("our hex text") << hexText << false;
    QByteArray spaced = hexText;
    spaced.replace("\n", " \r\n");
    QTest::newRow("our hex text, trailing space and CR LF") << spaced << false;
    // Taken once the editor has made the CR LF line feeds.
    QTest::newRow("lower-case rows, CR LF") << lowerHexRows(dell, "\r\n") << false;
    QTest::newRow("edid-decode's rows of one block")
        << lowerHexRows(readSample("sony-gdmf520-vga"), "\n") << false;
}

void TestImport::keepsTodaysFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, raw);
    const EdidFileContents contents = interpretEdidFile(data);
    if (raw) {
        QCOMPARE(int(contents.kind), int(EdidFileKind::RawImage));
        QCOMPARE(toBytes(contents.image), toBytes(toImage(data)));
    } else {
        QCOMPARE(int(contents.kind), int(EdidFileKind::HexText));
        QCOMPARE(contents.text, convertHexFileLineEnds(data));
    }
    QVERIFY(!contents.imported.isValid());
}

void TestImport::fallsBackOnAnythingElse_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray xxd = importSample("xxd.txt");
    const QByteArray hexdump = importSample("hexdump-c.txt");
    const QByteArray table = readSample("sharp-aquos-hdmi");
    const int mib = EdidImportReadLimit;

    QByteArray noise(1000, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char(i * 37 + 1);
    QTest::newRow("binary noise") << noise;
    QTest::newRow("prose") << QByteArray("Dear support,\nmy display shows nothing.\n");
    QTest::newRow("xxd cut short") << xxd.left(xxd.indexOf("000000a0"));
    QTest::newRow("xxd with a row left out") << QByteArray(xxd).remove(xxd.indexOf("00000030"), 68);
    QTest::newRow("hexdump -C, star without its end") << hexdump.left(hexdump.indexOf("000000f0"));
    QTest::newRow("od with three stars") << QByteArray(" 00 ff\n*\n 01 02\n*\n 03 04\n*\n 05 06\n");
    QTest::newRow("base64 of 200 bytes") << table.left(200).toBase64();
    QTest::newRow("base64, first byte not 0") << ("\x01" + table.mid(1)).toBase64();
    QTest::newRow("C array with 0x100") << "{" + QByteArray("0x00, ").repeated(255) + "0x100}";
    QTest::newRow("C array of 255 bytes") << "{" + QByteArray("0x00,").repeated(255) + "}";
    QTest::newRow("C array, comment never closed") << QByteArray("{ 0x00, /* 0x01 }");
    QTest::newRow("edid-decode title alone") << QByteArray("edid-decode (hex):\n\nNo EDID\n");
    QTest::newRow("EDID BYTES, offsets wrong")
        << "EDID BYTES:\n0x 00 01\n-----\n" + QByteArray("00 | 00 FF\n").repeated(128);
    QTest::newRow("star, then an offset out of range")
        << QByteArray("00000000  00 ff\n*\nffffffff  00\n");

    // Large inputs, each read in one pass.
    QTest::newRow("braces never closed") << QByteArray("{0x00,").repeated(mib / 6);
    QTest::newRow("one endless row") << "00" + QByteArray(" 00").repeated(mib / 3);
    QTest::newRow("stars") << "00\n" + QByteArray("*\n").repeated(mib / 2);
    QTest::newRow("xxd rows that restart") << QByteArray("00000000: 00\n").repeated(mib / 13);
    QTest::newRow("EDID: titles") << QByteArray("EDID:\n\t\t00\n").repeated(mib / 10);
    QTest::newRow("od rows with stars apart") << QByteArray("00\n*\nx\n").repeated(mib / 7);
    QTest::newRow("base64 letters") << QByteArray(mib, 'A');
    QTest::newRow("comment openers") << QByteArray("{/*").repeated(mib / 3);
    QTest::newRow("over 1 MiB") << xxd + QByteArray(mib, ' ');
}

void TestImport::fallsBackOnAnythingElse()
{
    QFETCH(QByteArray, data);
    QVERIFY(!importEdidText(data).isValid() || data.size() > EdidImportReadLimit);
    const EdidFileContents contents = interpretEdidFile(data);
    QCOMPARE(int(contents.kind), int(EdidFileKind::HexText));
    QCOMPARE(contents.text, convertHexFileLineEnds(data));
}

void TestImport::readsUpToTheImportLimit()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("big.txt");
    QVERIFY(writeAll(path, QByteArray(EdidImportReadLimit + 100, 'x')));
    QString error;
    const std::optional<QByteArray> data = readEdidFile(path, &error);
    QVERIFY(data.has_value());
    QCOMPARE(data->size(), EdidImportReadLimit + 1);
    QVERIFY(!readEdidFile(dir.filePath("missing.txt"), &error).has_value());
    QVERIFY(!error.isEmpty());

    // A dump longer than the head that today's rules read.
    const QString hexdump = QStringLiteral(VARNEX_TEST_DATA_DIR "/import/hexdump-c.txt");
    const std::optional<QByteArray> whole = readEdidFile(hexdump, &error);
    QVERIFY(whole && whole->size() > EdidFileReadLimit);
    QCOMPARE(int(interpretEdidFile(*whole).kind), int(EdidFileKind::Imported));
}

void TestImport::listsDisplays()
{
    QTemporaryDir drm;
    QVERIFY(drm.isValid());
    const QByteArray hdmi = readSample("lg-oled-c9-hdmi");
    const QByteArray dp = readSample("acer-xv273k-dp1");
    QDir root(drm.path());
    for (const char *folder : {"card0", "card0-DP-1", "card0-HDMI-A-1", "card1-DP-2"})
        QVERIFY(root.mkdir(QLatin1String(folder)));
    QVERIFY(writeAll(drm.filePath("card0-DP-1/edid"), QByteArray()));
    QVERIFY(writeAll(drm.filePath("card0-HDMI-A-1/edid"), hdmi));
    QVERIFY(writeAll(drm.filePath("card1-DP-2/edid"), dp));
    QVERIFY(writeAll(drm.filePath("version"), "drm 1.1.0\n"));

    const QList<DisplayEdid> displays = listDisplayEdids(drm.path(), [](const QByteArray &edid) {
        return edid.size() == 256 ? QStringLiteral("LG TV") : QString();
    });
    QCOMPARE(displays.size(), 2);
    QCOMPARE(displays[0].connector, QStringLiteral("HDMI-A-1"));
    QCOMPARE(displays[0].entryName, QStringLiteral("card0-HDMI-A-1"));
    QCOMPARE(displays[0].edid, hdmi);
    QCOMPARE(displays[0].title(), QStringLiteral("HDMI-A-1: LG TV"));
    QCOMPARE(displays[1].connector, QStringLiteral("DP-2"));
    QCOMPARE(displays[1].edid, dp);
    QCOMPARE(displays[1].title(), QStringLiteral("DP-2"));

    QCOMPARE(findDisplayEdid(displays, "DP-2")->edid, dp);
    QCOMPARE(findDisplayEdid(displays, "card0-HDMI-A-1")->edid, hdmi);
    QVERIFY(!findDisplayEdid(displays, "DP-1"));
    QVERIFY(listDisplayEdids(drm.filePath("missing")).isEmpty());

    // The front ends name displays by the decoder's product name.
    QCOMPARE(listDisplayEdids(drm.path(), decodedProductName)[0].title(),
             QStringLiteral("HDMI-A-1: LG TV"));
    QCOMPARE(decodedProductName(readSample("dell-p2415q-hdmi2.0")), QStringLiteral("DELL P2415Q"));
    QCOMPARE(decodedProductName(QByteArray(128, '\0')), QString());
    QCOMPARE(decodedProductName(QByteArray()), QString());
}

void TestImport::drmDirectoryFromEnvironment()
{
    QTemporaryDir drm;
    QVERIFY(drm.isValid());
    QVERIFY(QDir(drm.path()).mkdir("card0-eDP-1"));
    QVERIFY(writeAll(drm.filePath("card0-eDP-1/edid"), readSample("dell-e178wfp-vga")));

    qputenv(DrmDirectoryVariable, drm.path().toLocal8Bit());
    QCOMPARE(drmDirectory(), drm.path());
    const QList<DisplayEdid> displays = listDisplayEdids();
    qunsetenv(DrmDirectoryVariable);
    QCOMPARE(displays.size(), 1);
    QCOMPARE(displays[0].connector, QStringLiteral("eDP-1"));
    QCOMPARE(drmDirectory(), QString::fromLatin1(DefaultDrmDirectory));
}

void TestImport::describesWhatIsLeftOut_data()
{
    QTest::addColumn<int>("tableSize");
    QTest::addColumn<QString>("leftOut");
    QTest::newRow("one block") << 128 << QString();
    QTest::newRow("two blocks") << 256 << QString();
    QTest::newRow("three blocks") << 384 << "extension block 2 (128 bytes)";
    QTest::newRow("four blocks") << 512 << "extension blocks 2 and 3 (256 bytes)";
    QTest::newRow("six blocks") << 768 << "extension blocks 2 to 5 (512 bytes)";
}

void TestImport::describesWhatIsLeftOut()
{
    QFETCH(int, tableSize);
    QFETCH(QString, leftOut);
    QCOMPARE(leftOutDescription(tableSize), leftOut);
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
