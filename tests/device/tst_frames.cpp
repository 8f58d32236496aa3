#include "CommandFrame.h"

#include <QTest>

#include <array>

using namespace varnex::device;

namespace {

QByteArray bytes(const CommandFrame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size()));
}

std::optional<DecodedFrame> decode(const QByteArray &frame)
{
    return decodeFrame(
        {reinterpret_cast<const quint8 *>(frame.constData()), std::size_t(frame.size())});
}

// The EDID bytes 248 to 255 of a test table: distinct, so order errors show.
constexpr std::array<quint8, WriteDataLength> LastChunk = {0xF8, 0x00, 0x0A, 0x7F,
                                                           0x80, 0xA5, 0xFE, 0x3C};

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT

private slots:
    void framesOfTheCommandTable_data();
    void framesOfTheCommandTable();
    void addressWidthRule_data();
    void addressWidthRule();
    void decodeTakesFramesApart_data();
    void decodeTakesFramesApart();
    void decodeRejectsForeignBytes_data();
    void decodeRejectsForeignBytes();
    void replies();
};

void TestFrames::framesOfTheCommandTable_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("first EDID read")
        << bytes(edidReadFrame(0xA0, 0x00)) << QByteArray::fromHex("1110A000");
    QTest::newRow("last EDID read")
        << bytes(edidReadFrame(0xA0, 0xF0)) << QByteArray::fromHex("1110A0F0");
    QTest::newRow("EDID read at B4")
        << bytes(edidReadFrame(0xB4, 0x30)) << QByteArray::fromHex("1110B430");
    QTest::newRow("status") << bytes(statusFrame(0xA0)) << QByteArray::fromHex("0210A0F000000000");
    QTest::newRow("status at B0") << bytes(statusFrame(0xB0))
                                  << QByteArray::fromHex("0210B0F000000000");
    QTest::newRow("last EDID write") << bytes(writeFrame(0xA0, 0xF8, LastChunk))
                                     << QByteArray::fromHex("100CA0F8F8000A7F80A5FE3C");
    QTest::newRow("first EDID write at B2") << bytes(writeFrame(0xB2, 0x00, LastChunk))
                                            << QByteArray::fromHex("100CB200F8000A7F80A5FE3C");
    QTest::newRow("mode query") << bytes(modeFrame(ModeSelector::Query))
                                << QByteArray::fromHex("1101D2");
    QTest::newRow("select AUTOMIX")
        << bytes(modeFrame(ModeSelector::SelectAutomix)) << QByteArray::fromHex("1101D1");
    QTest::newRow("select CUSTOM")
        << bytes(modeFrame(ModeSelector::SelectCustom)) << QByteArray::fromHex("1101D0");
}

void TestFrames::framesOfTheCommandTable()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
}

void TestFrames::addressWidthRule_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("0x41: four bytes") << 0x41 << QByteArray::fromHex("4110A000000180");
    QTest::newRow("0x40: four bytes") << 0x40 << QByteArray::fromHex("4010A000000180");
    QTest::newRow("0x4F: four bytes") << 0x4F << QByteArray::fromHex("4F10A000000180");
    QTest::newRow("0x21: two bytes") << 0x21 << QByteArray::fromHex("2110A00180");
    QTest::newRow("0x2F: two bytes") << 0x2F << QByteArray::fromHex("2F10A00180");
    QTest::newRow("0x11: one byte") << 0x11 << QByteArray::fromHex("1110A080");
    QTest::newRow("0x30: one byte") << 0x30 << QByteArray::fromHex("3010A080");
    QTest::newRow("0x1F: one byte") << 0x1F << QByteArray::fromHex("1F10A080");
    QTest::newRow("0xC1: one byte") << 0xC1 << QByteArray::fromHex("C110A080");
}

void TestFrames::addressWidthRule()
{
    QFETCH(int, command);
    QFETCH(QByteArray, expected);
    const CommandFrame frame = readFrame(quint8(command), 0x10, 0xA0, 0x0180);
    QCOMPARE(bytes(frame).toHex(' '), expected.toHex(' '));
    QCOMPARE(subAddressWidth(quint8(command)), int(expected.size()) - 3);
}

void TestFrames::decodeTakesFramesApart_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("address");
    QTest::addColumn<quint32>("offset");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("EDID read") << bytes(edidReadFrame(0xA0, 0x70)) << int(FrameKind::Read) << 0xA0
                               << 0x70u << QByteArray();
    QTest::newRow("four-byte read") << bytes(readFrame(0x41, 0x10, 0xA0, 0x01020304))
                                    << int(FrameKind::Read) << 0xA0 << 0x01020304u << QByteArray();
    QTest::newRow("two-byte read") << bytes(readFrame(0x21, 0x10, 0xA0, 0x0180))
                                   << int(FrameKind::Read) << 0xA0 << 0x0180u << QByteArray();
    QTest::newRow("status") << bytes(statusFrame(0xB6)) << int(FrameKind::Status) << 0xB6 << 0xF0u
                            << QByteArray();
    QTest::newRow("write") << bytes(writeFrame(0xA0, 0xF8, LastChunk)) << int(FrameKind::Write)
                           << 0xA0 << 0xF8u << QByteArray::fromHex("F8000A7F80A5FE3C");
    QTest::newRow("mode query") << bytes(modeFrame(ModeSelector::Query)) << int(FrameKind::Mode)
                                << 0xD2 << 0u << QByteArray();
}

void TestFrames::decodeTakesFramesApart()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, kind);
    QFETCH(int, address);
    QFETCH(quint32, offset);
    QFETCH(QByteArray, data);

    const std::optional<DecodedFrame> decoded = decode(frame);
    QVERIFY(decoded);
    QCOMPARE(int(decoded->kind), kind);
    QCOMPARE(decoded->command, quint8(frame[0]));
    QCOMPARE(decoded->count, quint8(frame[1]));
    QCOMPARE(int(decoded->address), address);
    QCOMPARE(decoded->offset, offset);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(decoded->data.data()),
                        qsizetype(decoded->data.size())),
             data);
}

void TestFrames::decodeRejectsForeignBytes_data()
{
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("two bytes") << QByteArray::fromHex("1110");
    QTest::newRow("read one byte short") << QByteArray::fromHex("1110A0");
    QTest::newRow("read one byte long") << QByteArray::fromHex("1110A00000");
    QTest::newRow("status of four bytes") << QByteArray::fromHex("0210A0F0");
    QTest::newRow("write without data") << QByteArray::fromHex("100CA0F8");
    QTest::newRow("write counting its data") << QByteArray::fromHex("1008A0F80102030405060708");
    QTest::newRow("mode with unknown selector") << QByteArray::fromHex("1101D3");
}

void TestFrames::decodeRejectsForeignBytes()
{
    QFETCH(QByteArray, frame);
    QVERIFY(!decode(frame));
}

void TestFrames::replies()
{
    const std::array<quint8, StatusReplyLength> status = {3, 17, 0xEE, 0, 0, 0, 0, 0, 0, 0};
    const EdidStatus decoded = decodeStatusReply(status);
    QCOMPARE(decoded.readErrors, quint8(3));
    QCOMPARE(decoded.readings, quint8(17));

    QVERIFY(!modeReplyMeansAutomix(0));
    QVERIFY(modeReplyMeansAutomix(1));
    QVERIFY(modeReplyMeansAutomix(0x80));
}

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
