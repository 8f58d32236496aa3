// Byte differences, their sentence, their attribution to decoded fields, and
// what two tables say differently.
#include "ByteDifferences.h"
#include "CtaTables.h"
#include "EdidComparison.h"
#include "EdidTestData.h"
#include "HexOffset.h"
#include "decode/EdidDecoder.h"

#include <QtTest>

using namespace varnex::edid;

namespace {

// Offset and new value of each changed byte.
using Bytes = QList<QPair<int, int>>;

QString hexByte(quint8 value)
{
    return QString::number(value, 16).toUpper().rightJustified(2, '0');
}

EdidImage changed(EdidImage image, const Bytes &bytes)
{
    for (const auto &[offset, value] : bytes)
        image[std::size_t(offset)] = quint8(value);
    return image;
}

// The lines of the report below the meaning: the fields and their bytes.
QStringList byteSection(const QString &report)
{
    const qsizetype blank = report.indexOf(QStringLiteral("\n\n"));
    return report.mid(blank < 0 ? 0 : blank + 2).split('\n');
}

DecodedEdid decoded(const EdidImage &image)
{
    return decodeEdid(QByteArrayView(image.data(), qsizetype(image.size())));
}

// The mode texts of a "Modes only in X: ..." line, or none without one.
QStringList modesInLine(const QStringList &lines, const QString &side)
{
    const QString prefix = QStringLiteral("Modes only in %1: ").arg(side);
    QStringList modes;
    for (const QString &line : lines) {
        if (!line.startsWith(prefix))
            continue;
        static const QRegularExpression mode(QStringLiteral("(\\d+x\\d+i?@[\\d.]+) \\("));
        for (auto match = mode.globalMatch(line.mid(prefix.size())); match.hasNext();)
            modes.append(match.next().captured(1));
    }
    return modes;
}

// The modes of `caps` that `other` lacks, as the report writes them.
QStringList modesMissing(const Capabilities &caps, const Capabilities &other)
{
    QStringList modes;
    for (const CapabilityMode &mode : caps.modes) {
        if (std::none_of(other.modes.cbegin(), other.modes.cend(),
                         [&](const CapabilityMode &o) { return sameMode(mode, o); }))
            modes.append(modeText(mode));
    }
    return modes;
}

} // namespace

class TstComparison : public QObject
{
    Q_OBJECT

private slots:
    void describesOffsets_data()
    {
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QList<int>{} << QString();
        QTest::newRow("one") << QList<int>{0x40} << "1 byte differs, at 0x40";
        QTest::newRow("two") << QList<int>{0, 0xFF} << "2 bytes differ, at 0x00 and 0xFF";
        QTest::newRow("three") << QList<int>{0x12, 0x13, 0x7F}
                               << "3 bytes differ, at 0x12, 0x13 and 0x7F";
        QTest::newRow("eight named") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8}
                                     << "8 bytes differ, at 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, "
                                        "0x07 and 0x08";
        QTest::newRow("nine") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}
                              << "9 bytes differ, at 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, "
                                 "0x08 and 1 more";
    }

    void describesOffsets()
    {
        QFETCH(QList<int>, offsets);
        QFETCH(QString, text);
        QCOMPARE(describeDifferingOffsets(offsets), text);
    }

    // A change in a real table lands in the field the decoder places it in,
    // with the decoded value on each side.
    void attributesToFields_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("line");
        // 0x3C28 units of 10 kHz.
        QTest::newRow("Samsung pixel clock")
            << "samsung-q800t-hdmi2.1" << Bytes{{0x36, 0x28}, {0x37, 0x3C}}
            << "0x36-0x37 Descriptor 1: detailed timing: Pixel clock: 594.00 MHz -> 154.00 MHz";
        QTest::newRow("Sony pixel clock")
            << "sony-gdmf520-vga" << Bytes{{0x36, 0x28}, {0x37, 0x3C}}
            << "0x36-0x37 Descriptor 1: detailed timing: Pixel clock: 157.50 MHz -> 154.00 MHz";
        QTest::newRow("Samsung first VIC")
            << "samsung-q800t-hdmi2.1" << Bytes{{0x85, 0x10}}
            << "0x85 Block 1: CTA-861 extension: Video Data Block: VIC 97: 3840x2160 @ 60 Hz "
               "16:9 -> VIC 16: 1920x1080 @ 60 Hz 16:9";
        QTest::newRow("Sony product code")
            << "sony-gdmf520-vga" << Bytes{{0x0A, 0x01}}
            << "0x0A-0x0B Product code: 1712 (0x06b0) -> 1537 (0x0601)";
        QTest::newRow("Sony timing bit cleared")
            << "sony-gdmf520-vga" << Bytes{{0x25, 0x00}}
            << "0x25 Established timings I & II: Timing: 1152x870 @ 75.06 Hz (Apple) -> (none)";
        QTest::newRow("Samsung checksum") << "samsung-q800t-hdmi2.1" << Bytes{{0x7F, 0x00}}
                                          << "0x7F Checksum: 0x6E (valid) -> 0x00 (should be 0x6E)";
    }

    void attributesToFields()
    {
        QFETCH(QString, sample);
        QFETCH(Bytes, bytes);
        QFETCH(QString, line);
        const EdidImage before = EdidTestData::toImage(EdidTestData::readSample(sample));
        const EdidImage after = changed(before, bytes);

        const TableComparison comparison = compareTables(before, after);
        QCOMPARE(comparison.fields.size(), 1);
        const QStringList lines = byteSection(comparisonText(comparison));
        QCOMPARE(lines.constFirst(), line);
        QCOMPARE(comparison.bytes().size(), bytes.size());
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const ByteChange byte = comparison.fields[0].bytes[i];
            QCOMPARE(byte.offset, bytes[i].first);
            QCOMPARE(byte.before, before[std::size_t(byte.offset)]);
            QCOMPARE(int(byte.after), bytes[i].second);
            QCOMPARE(lines[i + 1],
                     QStringLiteral("  %1: %2 -> %3")
                         .arg(hexOffset(byte.offset), hexByte(byte.before), hexByte(byte.after)));
        }
    }

    // Two unrelated tables: every differing byte is reported once, under one
    // field, with the bytes of each side.
    void everyDifferingByteOnce()
    {
        const EdidImage dell =
            EdidTestData::toImage(EdidTestData::readSample("dell-p2415q-hdmi2.0"));
        const EdidImage lg = EdidTestData::toImage(EdidTestData::readSample("lg-oled-c9-hdmi"));
        const TableComparison comparison = compareTables(dell, lg);
        QList<int> seen;
        for (const ByteChange &byte : comparison.bytes()) {
            seen.append(byte.offset);
            QCOMPARE(byte.before, dell[std::size_t(byte.offset)]);
            QCOMPARE(byte.after, lg[std::size_t(byte.offset)]);
        }
        QCOMPARE(seen, differingOffsets(dell, lg));
        for (const FieldChange &field : comparison.fields) {
            for (const ByteChange &byte : field.bytes)
                QVERIFY(byte.offset >= field.offset && byte.offset < field.offset + field.length);
        }
        QCOMPARE(comparison.fields[0].name, QString("Manufacturer"));
        QCOMPARE(comparison.fields[0].before + " -> " + comparison.fields[0].after,
                 QString("DEL -> GSM"));
        QCOMPARE(comparisonJson(comparison)["fields"].toArray().size(), comparison.fields.size());
    }

    // A change that moves the bytes after it (a shorter video or audio data
    // block) is reported by what it means, and the moved bytes under their
    // block only, never as fields of one table facing unrelated bytes.
    void reportsByMeaning_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QStringList>("meaning");
        QTest::addColumn<QStringList>("fields"); // the lines above the bytes

        // VICs 16, 4 and 31; LPCM stereo; LPCM stereo and 5.1 AC-3; the HDMI VSDB.
        const QString vics = QStringLiteral("43 10 04 1F");
        const QString lpcm = QStringLiteral("23 09 07 07");
        const QString lpcmAc3 = QStringLiteral("26 09 07 07 15 07 50");
        const QString hdmi = QStringLiteral("65 03 0C 00 10 00");
        const auto table = [](const QStringList &blocks) {
            return CtaTables::table(QStringLiteral("dell-p2415q-hdmi2.0"),
                                    {CtaTables::ctaBlock(blocks.join(' '))});
        };
        QTest::newRow("one VIC fewer")
            << table({vics, lpcm, hdmi}) << table({"42 10 1F", lpcm, hdmi})
            << QStringList{"Modes only in A: 1280x720@60 (VIC 4)"}
            << QStringList{"0x82 Block 1: CTA-861 extension: Detailed timing offset: 18 -> 17",
                           "0x84-0x90 Block 1: CTA-861 extension: laid out differently",
                           "0xFF Block 1: CTA-861 extension: Checksum: 0xB5 (valid) -> 0xBB "
                           "(valid)"};
        QTest::newRow("shorter audio block")
            << table({vics, lpcmAc3, hdmi}) << table({vics, lpcm, hdmi})
            << QStringList{"Audio only in A: 5.1 AC-3 (32, 44.1, 48 kHz; up to 640 kb/s)"}
            << QStringList{"0x82 Block 1: CTA-861 extension: Detailed timing offset: 21 -> 18",
                           "0x88-0x93 Block 1: CTA-861 extension: laid out differently",
                           "0xFF Block 1: CTA-861 extension: Checksum: 0x43 (valid) -> 0xB5 "
                           "(valid)"};
    }

    void reportsByMeaning()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QStringList, meaning);
        QFETCH(QStringList, fields);
        const EdidImage a = EdidTestData::toImage(first);
        const EdidImage b = EdidTestData::toImage(second);

        const TableComparison comparison = compareTables(a, b);
        const QString report = comparisonText(comparison);
        QCOMPARE(comparison.meaning.lines(), meaning);
        QVERIFY(report.startsWith(meaning.join('\n') + "\n\n"));
        QStringList shown;
        for (const QString &line : byteSection(report)) {
            if (!line.isEmpty() && !line.startsWith(' '))
                shown.append(line);
        }
        QCOMPARE(shown, fields);
        QCOMPARE(comparison.bytes().size(), differingOffsets(a, b).size());
    }

    // Over every pair of real tables: a table means the same as itself, and
    // the modes only in one are those its capabilities have and the other's lack.
    void meaningFollowsCapabilities()
    {
        QList<DecodedEdid> tables;
        for (const QString &name : EdidTestData::sampleNames())
            tables.append(decoded(EdidTestData::toImage(EdidTestData::readSample(name))));
        QVERIFY(tables.size() > 20);
        for (const DecodedEdid &a : tables) {
            QCOMPARE(meaningDifferences(a, a).lines(), QStringList());
            const Capabilities capsA = capabilitiesOf(a);
            for (const DecodedEdid &b : tables) {
                const Capabilities capsB = capabilitiesOf(b);
                const MeaningDifferences meaning = meaningDifferences(a, b);
                QCOMPARE(modesInLine(meaning.lines(), "A"), modesMissing(capsA, capsB));
                QCOMPARE(modesInLine(meaning.lines(), "B"), modesMissing(capsB, capsA));
                QCOMPARE(meaningJson(meaning)["modesOnlyInFirst"].toArray().size(),
                         meaning.modesOnlyInFirst.size());
            }
        }
    }

    void identicalTables()
    {
        const EdidImage table = EdidTestData::toImage(EdidTestData::readSample("lg-oled-c9-hdmi"));
        const TableComparison comparison = compareTables(table, table);
        QVERIFY(comparison.identical());
        QCOMPARE(comparisonText(comparison), QString("The tables are identical.\n"));
        QCOMPARE(comparisonJson(comparison)["identical"].toBool(), true);
    }
};

QTEST_MAIN(TstComparison)
#include "tst_comparison.moc"
