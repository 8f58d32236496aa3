#include "Checksum.h"
#include "EdidTestData.h"

#include <QTest>

#include <numeric>

using namespace varnex::edid;
using EdidTestData::toBytes;
using EdidTestData::toImage;

namespace {

int blockSum(const EdidImage &image, int block)
{
    const auto start = image.begin() + block * EdidBlockSize;
    return std::accumulate(start, start + EdidBlockSize, 0) % 256;
}

} // namespace

class TestChecksum : public QObject
{
    Q_OBJECT

private slots:
    void blockChkSum_data();
    void blockChkSum();
    void ignoresTheChecksumByte();
    void realEdids_data();
    void realEdids();
    void correctsOnlyChecksumBytes_data();
    void correctsOnlyChecksumBytes();
};

void TestChecksum::blockChkSum_data()
{
    QTest::addColumn<QByteArray>("block"); // up to 127 bytes, the rest 0
    QTest::addColumn<int>("checksum");
    QTest::newRow("zeros") << QByteArray() << 0x00;
    QTest::newRow("one") << QByteArray("\x01") << 0xFF;
    QTest::newRow("0x80 twice wraps to 0") << QByteArray("\x80\x80") << 0x00;
    QTest::newRow("byte 126 counts") << QByteArray(126, '\0') + '\x10' << 0xF0;
    QTest::newRow("EDID header") << QByteArray("\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00", 8) << 0x06;
    QTest::newRow("127 bytes of FF") << QByteArray(127, '\xFF') << 0x7F;
}

void TestChecksum::blockChkSum()
{
    QFETCH(QByteArray, block);
    QFETCH(int, checksum);
    const EdidImage image = toImage(block);
    QCOMPARE(int(BlockChkSum(image.data())), checksum);
}

void TestChecksum::ignoresTheChecksumByte()
{
    EdidImage image = EdidTestData::randomImage(3);
    const quint8 c0 = BlockChkSum(image.data());
    const quint8 c1 = BlockChkSum(image.data() + EdidBlockSize);
    image[127] = quint8(image[127] + 1);
    image[255] = quint8(image[255] + 1);
    QCOMPARE(BlockChkSum(image.data()), c0);
    QCOMPARE(BlockChkSum(image.data() + EdidBlockSize), c1);
}

void TestChecksum::realEdids_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : EdidTestData::sampleNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestChecksum::realEdids()
{
    QFETCH(QString, name);
    // 128-byte files get a zero block 1, whose checksum 0 is right too.
    EdidImage image = toImage(EdidTestData::readSample(name));
    QVERIFY(blockChecksumCorrect(image, 0));
    QVERIFY(blockChecksumCorrect(image, 1));
    QCOMPARE(BlockChkSum(image.data()), image[127]);
    QCOMPARE(BlockChkSum(image.data() + EdidBlockSize), image[255]);

    image[5] = quint8(image[5] ^ 0x01);
    QVERIFY(!blockChecksumCorrect(image, 0));
    QVERIFY(blockChecksumCorrect(image, 1));
    image[200] = quint8(image[200] ^ 0x40);
    QVERIFY(!blockChecksumCorrect(image, 1));
}

void TestChecksum::correctsOnlyChecksumBytes_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::newRow("counting") << toBytes(EdidTestData::countingImage());
    for (quint32 seed = 10; seed < 30; ++seed)
        QTest::addRow("random %u", seed) << toBytes(EdidTestData::randomImage(seed));
}

void TestChecksum::correctsOnlyChecksumBytes()
{
    QFETCH(QByteArray, image);
    EdidImage corrected = toImage(image);
    correctChecksums(corrected);
    QCOMPARE(blockSum(corrected, 0), 0);
    QCOMPARE(blockSum(corrected, 1), 0);
    QVERIFY(blockChecksumCorrect(corrected, 0));
    QVERIFY(blockChecksumCorrect(corrected, 1));
    for (int i = 0; i < EdidImageSize; ++i) {
        if (i != 127 && i != 255)
            QCOMPARE(corrected[i], quint8(image[i]));
    }
}

QTEST_GUILESS_MAIN(TestChecksum)
#include "tst_checksum.moc"
