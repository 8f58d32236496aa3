#include "EdidDecodeOracle.h"
#include "EdidTestData.h"

#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidJson.h"
#include "decode/EdidSummary.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryFile>
#include <QtTest>

using namespace varnex::edid;

namespace {

using Bytes = QList<int>;

// A data block: tag, revision byte and payload.
QByteArray dataBlock(int tag, int revision, const Bytes &payload)
{
    QByteArray b;
    for (int v : Bytes{tag, revision, int(payload.size())} + payload)
        b.append(char(v));
    return b;
}

// A table of a real base block (extension count 1) and one DisplayID
// extension holding `blocks`, checksums right unless `sectionLength` or
// the caller's later edits say otherwise.
QByteArray displayIdTable(const QList<QByteArray> &blocks, int version = 0x20,
                          int sectionLength = -1)
{
    QByteArray base = EdidTestData::readSample(QStringLiteral("dell-e178wfp-vga")).left(128);
    base[126] = 1;
    const auto fix = [](QByteArray &block) {
        int sum = 0;
        for (int i = 0; i < 127; ++i)
            sum += quint8(block[i]);
        block[127] = char(-sum);
    };
    fix(base);
    QByteArray data;
    for (const QByteArray &b : blocks)
        data += b;
    QByteArray section;
    for (int v : {version, sectionLength >= 0 ? sectionLength : int(data.size()), 4, 0})
        section.append(char(v));
    section += data;
    int sum = 0;
    for (char c : std::as_const(section))
        sum += quint8(c);
    section.append(char(-sum));
    QByteArray ext = QByteArray(1, char(0x70)) + section;
    ext = ext.leftJustified(128, '\0', true);
    fix(ext);
    return base + ext;
}

// One block of each kind that DisplayID 2.0 displays carry, with values
// edid-decode agrees with.
QByteArray displayId2Table()
{
    return displayIdTable(
        {dataBlock(0x22, 0x00, {0xF3, 0x43, 0x02, 0x84, 0x7F, 0x07, 0x17, 0x01, 0x57, 0x80,
                                0x2B, 0x00, 0x37, 0x04, 0x2C, 0x00, 0x03, 0x80, 0x04, 0x00}),
         dataBlock(0x23, 0x40, {0x10, 0x04}),
         dataBlock(0x24, 0x00, {0x01, 0xFF, 0x09, 0x9F, 0x05, 0x3B}),
         dataBlock(0x2B, 0x00, {0x01, 0x00, 0x30, 0x8F, 0x00, 0x00}),
         dataBlock(0x28, 0x00, {0x82, 0x10, 0x00, 0x00, 0xFF, 0x0E, 0x6F, 0x08, 0,    0,    0,
                                0,    0,    0x00, 0x10, 0xFA, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12}),
         dataBlock(0x81, 0x00, {0x23, 0x09, 0x07, 0x07}), dataBlock(0x2C, 0x00, {0x01, 0x02}),
         dataBlock(0x21, 0x00, {0x00, 0x10, 0x00, 0x08, 0x00, 0x0F, 0x70, 0x08, 0x00, 0xA3,
                                0xE5, 0x51, 0x9A, 0x93, 0x9E, 0x26, 0x4C, 0x30, 0x40, 0x95,
                                0x54, 0x00, 0x5C, 0x00, 0x5C, 0x00, 0x0A, 0x28, 0x78})});
}

// The DisplayID 1.x timing types no sample carries: Type II, V and VI.
QByteArray displayId1Table()
{
    return displayIdTable(
        {dataBlock(0x04, 0x00, {0x01, 0x02, 0x03, 0x8C, 0x11, 0x12, 0x13, 0x14, 0x05, 0x16, 0x17}),
         dataBlock(0x11, 0x00, {0x81, 0x00, 0x7F, 0x07, 0x37, 0x04, 0x3B}),
         dataBlock(
             0x13, 0x00,
             {0x81, 0x02, 0x83, 0xFF, 0x0E, 0x6F, 0x08, 0xA0, 0x30, 0x00, 0x20, 0x2C, 0x02, 0x05})},
        0x12);
}

QByteArray sample(const char *name)
{
    return EdidTestData::readSample(QString::fromLatin1(name));
}

// The value at a path of keys and indexes ("extensions/0/displayId/version").
QJsonValue at(const QJsonValue &root, const QString &path)
{
    QJsonValue v = root;
    for (const QString &key : path.split(QLatin1Char('/'))) {
        bool isIndex = false;
        const int index = key.toInt(&isIndex);
        v = isIndex ? v.toArray().at(index) : v.toObject().value(key);
    }
    return v;
}

void collect(const DecodedNode &n, QList<const DecodedNode *> &out)
{
    out.append(&n);
    for (const DecodedNode &child : n.children)
        collect(child, out);
}

} // namespace

class TestDisplayId : public QObject
{
    Q_OBJECT

private slots:
    void timingsMatchOracle_data();
    void timingsMatchOracle();
    void json_data();
    void json();
    void findings_data();
    void findings();
    void treeShowsEveryDataBlock();
};

void TestDisplayId::timingsMatchOracle_data()
{
    QTest::addColumn<QByteArray>("bytes");
    for (const QString &name : EdidTestData::sampleNames())
        QTest::newRow(qPrintable(name)) << EdidTestData::readSample(name);
    QTest::newRow("hand-made DisplayID 2.0") << displayId2Table();
    QTest::newRow("hand-made DisplayID 1.2") << displayId1Table();
}

void TestDisplayId::timingsMatchOracle()
{
    if (!EdidDecodeOracle::available())
        QSKIP("edid-decode is not installed (scripts/install-deps.sh installs it)");
    QFETCH(QByteArray, bytes);
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(bytes);
    file.close();
    const EdidDecodeOracle::Facts expected = EdidDecodeOracle::decodeFile(file.fileName());
    const DecodedEdid edid = decodeEdid(bytes);
    // Detailed timings of every type, in the order of their blocks.
    QList<EdidDecodeOracle::Dtd> timings;
    for (const DisplayIdSection &s : edid.displayId) {
        QList<DetailedTiming> detailed = s.detailedTimings();
        std::stable_sort(detailed.begin(), detailed.end(),
                         [](const DetailedTiming &a, const DetailedTiming &b) {
                             return a.at.offset < b.at.offset;
                         });
        for (const DetailedTiming &t : detailed)
            timings.append({s.block, t.hActive, t.frameHeight(), t.interlaced, t.pixelClockKHz});
    }
    QCOMPARE(timings.size(), expected.displayIdTimings.size());
    for (int i = 0; i < timings.size(); ++i) {
        QCOMPARE(timings[i].block, expected.displayIdTimings[i].block);
        QCOMPARE(timings[i].width, expected.displayIdTimings[i].width);
        QCOMPARE(timings[i].height, expected.displayIdTimings[i].height);
        QCOMPARE(timings[i].interlaced, expected.displayIdTimings[i].interlaced);
        QCOMPARE(timings[i].pixelClockKHz, expected.displayIdTimings[i].pixelClockKHz);
    }
}

void TestDisplayId::json_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QJsonValue>("expected");
    const QByteArray two = displayId2Table();
    const QByteArray imac = sample("apple-imac-retina-4k-21.5-inch-late-2015");
    const QByteArray tile = sample("apple-xdr-6k-tile1");
    const QByteArray dmt = sample("chiyakeji-r1811-dp");
    const auto row = [](const char *name, const QByteArray &bytes, const QString &path,
                        const QJsonValue &value) { QTest::newRow(name) << bytes << path << value; };
    const QString d = QStringLiteral("extensions/0/displayId/");
    row("2.0 version", two, d + "version", "2.0");
    row("2.0 use case", two, d + "productType", "Desktop productivity display");
    row("Type VII clock", two, d + "timings/0/pixelClockKHz", 148468);
    row("Type VII preferred", two, d + "timings/0/preferred", true);
    row("Type VII offset", two, d + "timings/0/offset", 136);
    row("Type VIII VIC", two, d + "codeTimings/0/source", "VIC 16");
    row("Type IX width", two, d + "formulaTimings/0/width", 2560);
    row("Type IX formula", two, d + "formulaTimings/0/source", "CVT-RB");
    row("adaptive sync max", two, d + "adaptiveSync/0/maxRefreshHz", 144);
    row("adaptive sync min", two, d + "adaptiveSync/0/minRefreshHz", 48);
    row("2.0 tile vendor is an OUI", two, d + "tiledTopology/vendor", "00-10-FA");
    row("2.0 tile width", two, d + "tiledTopology/tileWidth", 3840);
    row("embedded CTA audio", two, d + "cta/audio/0/format", "LPCM");
    row("unknown block stays bytes", two, d + "dataBlocks/6/decoded", false);
    row("unknown block payload", two, d + "dataBlocks/6/payload", "01 02");
    row("known block decoded", two, d + "dataBlocks/0/decoded", true);
    row("section checksum", two, d + "checksum/valid", true);
    // Values edid-decode prints for the same bytes.
    row("2.0 primary", two, d + "displayParameters/primaries/0/x", 0.352295);
    row("2.0 white point", two, d + "displayParameters/whitePoint/y", 0.330322);
    row("2.0 luminance", two, d + "displayParameters/maxLuminance10Percent", 256);
    row("2.0 minimum luminance", two, d + "displayParameters/minLuminance", 0.000183);
    const QByteArray one = displayId1Table();
    row("Type II clock", one, d + "typeIITimings/0/pixelClockKHz", 1971220);
    row("Type II sync", one, d + "typeIITimings/0/hSyncPositive", true);
    row("Type V size", one, d + "typeVTimings/0/width", 1920);
    row("Type V preferred", one, d + "typeVTimings/0/preferred", true);
    row("Type VI porch", one, d + "typeVITimings/0/hBackPorch", 79);
    row("1.3 product type", imac, d + "productType", "Standalone display device");
    row("1.3 preferred timing", imac, d + "timings/0/width", 4096);
    row("1.x vendor OUI in name", imac, d + "dataBlocks/1/name",
        "Vendor-Specific Data Block, OUI 00-10-FA");
    row("1.3 embedded CTA speakers", imac, d + "cta/speakers/0", "FL/FR");
    const QString t = QStringLiteral("extensions/1/displayId/");
    row("tile location", tile, t + "tiledTopology/hLocation", 1);
    row("tile count", tile, t + "tiledTopology/hTiles", 2);
    row("tile size", tile, t + "tiledTopology/tileHeight", 3384);
    row("tile vendor letters", tile, t + "tiledTopology/vendor", "APP");
    row("tile serial", tile, t + "tiledTopology/serialNumber", 621612546);
    row("display parameters", tile, t + "displayParameters/widthMm", 699.4);
    row("container id", tile, t + "containerId", "dfde542f-1339-444b-ad7d-7071d131bff8");
    row("preferred from DisplayID", tile, "summary/preferredMode", "3008x3384 @ 60 Hz");
    row("no error for a DisplayID preferred timing", tile, "summary/errors", 0);
    row("timings of later sections", tile, "extensions/2/displayId/timings/4/refreshHz", 47.951349);
    row("DMT bitmap", dmt, "extensions/1/displayId/codeTimings/7/source", "DMT 0x45");
    row("DMT bitmap rate", dmt, "extensions/1/displayId/codeTimings/0/refreshHz", 59.940476);
}

void TestDisplayId::json()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, path);
    QFETCH(QJsonValue, expected);
    QCOMPARE(at(toJson(decodeEdid(bytes)), path), expected);
}

void TestDisplayId::findings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("offset");
    const QByteArray tiled = dataBlock(0x28, 0, {0x82, 0x10});
    QByteArray badChecksum = displayId2Table();
    badChecksum[128 + 5 + badChecksum[130]] = char(badChecksum[128 + 5 + badChecksum[130]] + 1);
    QTest::newRow("section checksum")
        << badChecksum << "displayid-checksum" << 128 + 5 + int(badChecksum[130]);
    QTest::newRow("section longer than a block")
        << displayIdTable({tiled}, 0x20, 200) << "displayid-length" << 130;
    QTest::newRow("data block past the section")
        << displayIdTable({tiled}, 0x20, 3) << "displayid-block-overrun" << 133;
    QTest::newRow("short tiled topology")
        << displayIdTable({tiled}) << "displayid-block-length" << 136;
    QTest::newRow("unknown version") << displayIdTable({tiled}, 0x30) << "displayid-version" << 129;
}

void TestDisplayId::findings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, code);
    QFETCH(int, offset);
    const DecodedEdid edid = decodeEdid(bytes);
    const auto it = std::find_if(edid.findings.begin(), edid.findings.end(),
                                 [&code](const Finding &f) { return f.code == code; });
    QVERIFY2(it != edid.findings.end(), qPrintable(toText(edid)));
    QCOMPARE(it->offset, offset);
    QCOMPARE(it->block, 1);
}

// Every data block of every DisplayID section, decoded or not, is a node of
// the tree at its own bytes, and no node reaches outside its block.
void TestDisplayId::treeShowsEveryDataBlock()
{
    QList<QByteArray> tables{displayId2Table()};
    for (const QString &name : EdidTestData::sampleNames())
        tables.append(EdidTestData::readSample(name));
    for (const QByteArray &bytes : std::as_const(tables)) {
        const DecodedEdid edid = decodeEdid(bytes);
        const DecodedNode root = decodedTree(edid);
        for (const DisplayIdSection &s : edid.displayId) {
            const DecodedNode &block = root.children[s.block];
            QList<const DecodedNode *> nodes;
            collect(block, nodes);
            for (const DecodedNode *n : std::as_const(nodes)) {
                if (n->offset >= 0)
                    QVERIFY(n->offset >= s.block * 128 &&
                            n->offset + n->length <= (s.block + 1) * 128);
            }
            for (const DisplayIdDataBlock &d : s.dataBlocks) {
                QVERIFY2(std::any_of(block.children.begin(), block.children.end(),
                                     [&d](const DecodedNode &n) {
                                         return n.offset == d.at.offset &&
                                                n.length == d.at.length && n.name == d.name;
                                     }),
                         qPrintable(d.name));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestDisplayId)
#include "tst_displayid.moc"
