#include "EdidTestData.h"
#include "HexText.h"

#include <QTest>

#include <algorithm>
#include <array>

using namespace varnex::edid;
using EdidTestData::toBytes;
using EdidTestData::toImage;

namespace {

// The 16-line layout with one group per line instead.
QByteArray onePerLine(const EdidImage &image)
{
    QByteArray text;
    for (quint8 byte : image)
        text += QByteArray::number(byte, 16).rightJustified(2, '0').toUpper() + '\n';
    return text;
}

// All 256 groups on one line, single spaces, no line feed.
QByteArray oneLine(const EdidImage &image)
{
    QByteArray text = formatHexText(image);
    text.replace('\n', ' ');
    text.chop(1);
    return text;
}

// n groups "00" in the 16-per-line layout.
QByteArray zeroGroups(int n)
{
    QByteArray text;
    for (int i = 0; i < n; ++i)
        text += (i % 16 == 15) ? "00\n" : "00 ";
    return text;
}

} // namespace

class TestHexText : public QObject
{
    Q_OBJECT

private slots:
    void formatsTheLayout();
    void formatsIntoBuffers();
    void roundTrip_data();
    void roundTrip();
    void acceptsLayouts_data();
    void acceptsLayouts();
    void rejects_data();
    void rejects();
    void describesProblems();
    void pairValues_data();
    void pairValues();
    void missingBytesAreZero();
    void lengthLimits();
};

void TestHexText::formatsTheLayout()
{
    const QByteArray text = formatHexText(EdidTestData::countingImage());
    QCOMPARE(text.size(), 768);
    const QList<QByteArray> lines = text.split('\n');
    QCOMPARE(lines.size(), 17); // 16 lines and the empty rest after the last line feed
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(lines[0], QByteArray("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"));
    QCOMPARE(lines[15], QByteArray("F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF"));
    for (int i = 0; i < 16; ++i)
        QCOMPARE(lines[i].size(), 47);
}

void TestHexText::formatsIntoBuffers()
{
    const EdidImage image = EdidTestData::randomImage(7);

    std::array<char, HexTextLineLength + 2> line;
    line.fill('#');
    formatHexLine(std::span(image).subspan<16, 16>(), std::span(line).first<HexTextLineLength>());
    QCOMPARE(QByteArray(line.data(), HexTextLineLength), formatHexText(image).mid(48, 48));
    QCOMPARE(line[HexTextLineLength], '#');

    // The read composes its text in a zero-filled 1000-byte buffer.
    std::array<char, 1000> buffer;
    buffer.fill('#');
    QVERIFY(formatHexText(image, buffer));
    QCOMPARE(QByteArray(buffer.data()), formatHexText(image));
    QCOMPARE(buffer[769], '#');

    std::array<char, 768> tooSmall;
    tooSmall.fill('#');
    QVERIFY(!formatHexText(image, tooSmall));
    QVERIFY(std::all_of(tooSmall.begin(), tooSmall.end(), [](char c) { return c == '#'; }));
}

void TestHexText::roundTrip_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::newRow("zeros") << toBytes(EdidImage{});
    EdidImage ones;
    ones.fill(0xFF);
    QTest::newRow("all FF") << toBytes(ones);
    QTest::newRow("counting") << toBytes(EdidTestData::countingImage());
    for (quint32 seed = 1; seed <= 40; ++seed)
        QTest::addRow("random %u", seed) << toBytes(EdidTestData::randomImage(seed));
    for (const QString &name : EdidTestData::sampleNames())
        QTest::newRow(qPrintable(name)) << toBytes(toImage(EdidTestData::readSample(name)));
}

void TestHexText::roundTrip()
{
    QFETCH(QByteArray, image);
    const EdidImage expected = toImage(image);
    const QByteArray text = formatHexText(expected);

    const QList<QByteArray> variants = {text,
                                        text.toLower(),
                                        text.chopped(1), // without the final line feed
                                        onePerLine(expected),
                                        oneLine(expected),
                                        text + "\n\n  \t\r\n"};
    for (const QByteArray &variant : variants) {
        EdidImage parsed;
        parsed.fill(0xAA);
        QCOMPARE(parseHexText(variant, parsed), 256);
        QCOMPARE(toBytes(parsed), image);
    }
}

void TestHexText::acceptsLayouts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("only white space") << QByteArray(" \n\t") << QByteArray();
    QTest::newRow("one group") << QByteArray("7F") << QByteArray("\x7F");
    QTest::newRow("lower case") << QByteArray("0a ff") << QByteArray("\x0A\xFF");
    QTest::newRow("mixed case") << QByteArray("aB Cd") << QByteArray("\xAB\xCD");
    QTest::newRow("line feeds") << QByteArray("01\n02\n03") << QByteArray("\x01\x02\x03");
    QTest::newRow("ragged lines") << QByteArray("01 02\n03\n04 05 06\n")
                                  << QByteArray("\x01\x02\x03\x04\x05\x06");
    QTest::newRow("typed line feed after the end")
        << QByteArray("01 02\n\n") << QByteArray("\x01\x02");
    QTest::newRow("space at the end") << QByteArray("01 02 ") << QByteArray("\x01\x02");
}

void TestHexText::acceptsLayouts()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    EdidImage parsed;
    QCOMPARE(parseHexText(text, parsed), int(bytes.size()));
    QCOMPARE(toBytes(parsed).left(bytes.size()), bytes);
    QCOMPARE(findHexTextProblem(text), std::nullopt);
}

void TestHexText::rejects_data()
{
    using E = HexTextExpectation;
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<HexTextExpectation>("expected");
    QTest::newRow("two spaces") << QByteArray("01  02") << 1 << 4 << E::HexDigit;
    QTest::newRow("tab") << QByteArray("01\t02") << 1 << 3 << E::Separator;
    QTest::newRow("carriage return") << QByteArray("01\r\n02") << 1 << 3 << E::Separator;
    QTest::newRow("space before line feed") << QByteArray("01 \n02") << 1 << 4 << E::HexDigit;
    QTest::newRow("empty line") << QByteArray("01\n\n02") << 2 << 1 << E::HexDigit;
    QTest::newRow("leading space") << QByteArray(" 01 02") << 1 << 1 << E::HexDigit;
    QTest::newRow("leading line feed") << QByteArray("\n01 02") << 1 << 1 << E::HexDigit;
    QTest::newRow("three characters") << QByteArray("012 03") << 1 << 3 << E::Separator;
    QTest::newRow("three characters at the end") << QByteArray("01 023") << 1 << 6 << E::Separator;
    QTest::newRow("single character at the end") << QByteArray("01 0") << 1 << 5 << E::HexDigit;
    QTest::newRow("single character before line feed")
        << QByteArray("01 0\n") << 1 << 5 << E::HexDigit;
    QTest::newRow("G1") << QByteArray("G1 00") << 1 << 1 << E::HexDigit;
    QTest::newRow("0G on line 3") << QByteArray("00\n00\n00 0G") << 3 << 5 << E::HexDigit;
    QTest::newRow("Z9") << QByteArray("Z9") << 1 << 1 << E::HexDigit;
    QTest::newRow("sign") << QByteArray("-1") << 1 << 1 << E::HexDigit;
    QTest::newRow("non-ASCII") << QByteArray("\xC4\xD6") << 1 << 1 << E::HexDigit;
    QTest::newRow("zero byte inside") << QByteArray("01\0"
                                                    "02",
                                                    5)
                                      << 1 << 3 << E::Separator;
    QTest::newRow("zero byte as value") << QByteArray("0\0 02", 5) << 1 << 2 << E::HexDigit;
    QTest::newRow("257 groups") << zeroGroups(257) << 17 << 1 << E::EndOfTable;
    QTest::newRow("257 groups on one line")
        << QByteArray("00 ").repeated(257).chopped(1) << 1 << 769 << E::EndOfTable;
    // Trailing white space counts towards the limit: the 1024th character, on line 16 + 256.
    QTest::newRow("1024 characters")
        << formatHexText(EdidImage{}) + QByteArray(256, '\n') << 272 << 1 << E::EndOfText;
}

// Every rejected text is rejected at the place the user is told about.
void TestHexText::rejects()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(HexTextExpectation, expected);
    EdidImage parsed;
    QCOMPARE(parseHexText(text, parsed), -1);
    QCOMPARE(findHexTextProblem(text), std::optional(HexTextProblem{line, column, expected}));
}

void TestHexText::describesProblems()
{
    QCOMPARE(describeHexTextProblem({3, 7, HexTextExpectation::HexDigit}),
             QString("Line 3, column 7: expected a hexadecimal digit. An EDID table is 16 lines "
                     "of 16 two-digit hexadecimal values separated by single spaces."));
    QVERIFY(describeHexTextProblem({1, 769, HexTextExpectation::EndOfTable})
                .startsWith("Line 1, column 769: expected the end of the table after 256 values."));
}

void TestHexText::pairValues_data()
{
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("value");
    QTest::newRow("space") << QByteArray("3C ") << HexPairStored << 0x3C;
    QTest::newRow("line feed") << QByteArray("A9\n") << HexPairStored << 0xA9;
    QTest::newRow("terminator") << QByteArray("FF\0", 3) << HexPairStored << 0xFF;
    QTest::newRow("lower case") << QByteArray("bc ") << HexPairStored << 0xBC;
    QTest::newRow("tab") << QByteArray("00\t") << HexPairBadSeparator << -1;
    QTest::newRow("CR") << QByteArray("00\r") << HexPairBadSeparator << -1;
    QTest::newRow("digit") << QByteArray("001") << HexPairBadSeparator << -1;
    QTest::newRow("G1") << QByteArray("G1 ") << HexPairBadDigit << -1;
    QTest::newRow("1G") << QByteArray("1G ") << HexPairBadDigit << -1;
    QTest::newRow("colon after 9") << QByteArray(":0 ") << HexPairBadDigit << -1;
    QTest::newRow("at before A") << QByteArray("0@ ") << HexPairBadDigit << -1;
    QTest::newRow("terminator as value") << QByteArray("0\0\0", 3) << HexPairBadDigit << -1;
}

void TestHexText::pairValues()
{
    QFETCH(QByteArray, group);
    QFETCH(int, result);
    QFETCH(int, value);
    quint8 out = 0x5A;
    QCOMPARE(ParseHexPair(group.constData(), &out), result);
    QCOMPARE(int(out), value < 0 ? 0x5A : value);
}

void TestHexText::missingBytesAreZero()
{
    EdidImage parsed;
    parsed.fill(0xAA);
    QCOMPARE(parseHexText("12 34\n56", parsed), 3);
    EdidImage expected{};
    expected[0] = 0x12;
    expected[1] = 0x34;
    expected[2] = 0x56;
    QCOMPARE(toBytes(parsed), toBytes(expected));

    parsed.fill(0xAA);
    QCOMPARE(parseHexText("", parsed), 0);
    QCOMPARE(toBytes(parsed), toBytes(EdidImage{}));
}

void TestHexText::lengthLimits()
{
    EdidImage parsed;
    const QByteArray full = formatHexText(EdidTestData::countingImage());
    // Trailing white space counts towards the 1023 characters.
    QCOMPARE(parseHexText(full + QByteArray(MaxHexTextLength - full.size(), '\n'), parsed), 256);
    QCOMPARE(parseHexText(full + QByteArray(MaxHexTextLength + 1 - full.size(), '\n'), parsed), -1);
    QCOMPARE(parseHexText(QByteArray(4096, ' '), parsed), -1);
    QCOMPARE(parseHexText(zeroGroups(256), parsed), 256);
}

QTEST_GUILESS_MAIN(TestHexText)
#include "tst_hextext.moc"
