#include "CtaTables.h"

#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace varnex::edid;

namespace {

// A valid table whose base block the hand-made CTA blocks follow.
const char *const BaseSample = "samsung-q800t-hdmi2.1";

// "cta.hdmi.threeD" or "extensions.0.cta.dataBlocks.1.decoded".
QJsonValue at(const QJsonObject &root, const QString &path)
{
    QJsonValue value = root;
    for (const QString &key : path.split(QLatin1Char('.'))) {
        bool isIndex = false;
        const int index = key.toInt(&isIndex);
        value = isIndex ? value.toArray().at(index) : value.toObject().value(key);
    }
    return value;
}

QString compact(const QJsonValue &value)
{
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    // A bare value in an array gives its JSON text.
    const QString wrapped =
        QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact));
    return wrapped.mid(1, wrapped.size() - 2);
}

} // namespace

class TestCtaBlocks : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
};

void TestCtaBlocks::decode_data()
{
    // Data blocks of block 1; "none" for no extension block.
    QTest::addColumn<QString>("blocks");
    // Data blocks of a second CTA block, or "base" for a copy of the base block.
    QTest::addColumn<QString>("second");
    // Byte 0x7E; -1 counts the blocks given.
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("patches");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    // A finding code that must be there; "!code" one that must not.
    QTest::addColumn<QString>("code");
    // Text the decoded text (tree and findings) may not hold.
    QTest::addColumn<QString>("without");

    const auto row = [](const char *name, const QString &blocks, const QString &path,
                        const QString &expected, const QString &code = QString()) {
        QTest::newRow(name) << blocks << QString() << -1 << QString() << path << expected << code
                            << QString();
    };
    // The blocks no sample in tests/data carries, and the HDMI fields the
    // samples leave at their defaults.
    row("freesync", "68 1A 00 00 01 02 28 90 05", "cta.freesync",
        R"({"flags":5,"maxRefreshHz":144,"minRefreshHz":40,"version":"1.2"})");
    row("freesync decoded", "68 1A 00 00 01 02 28 90 05", "cta.dataBlocks.0.decoded", "true");
    row("undocumented vendor is bytes", "63 11 22 33", "cta.dataBlocks.0.decoded", "false");
    row("eeodb", "E2 78 01", "cta.eeodb", R"({"blockCount":1})");
    row("infoframes", "E7 20 00 00 61 D8 5D C4", "cta.infoFrames.0",
        R"({"name":"Vendor-Specific","offset":136,"oui":"C4-5D-D8","type":1})");
    row("video format preference", "E3 0D 10 81", "cta.videoFormatPreferences.1.format",
        R"("detailed timing 1")");
    row("room configuration", "E5 13 65 03 00 00", "cta.roomConfiguration",
        R"({"displayValid":false,"speakerCount":6,"speakerLocationsValid":true,)"
        R"("speakers":["FL/FR","LFE1"]})");
    row("speaker location", "E8 14 20 01 61 02 10 20 30", "cta.speakerLocations.1",
        R"({"active":true,"channel":1,"coordinates":[16,32,48],"offset":136,"speakerId":2})");
    row("hdr dynamic metadata", "E5 07 03 01 00 01", "cta.hdrDynamicMetadata.0.name",
        R"("SMPTE ST 2094-10")");
    row("dolby vision 1", "EB 01 46 D0 00 2A 18 03 51 59 99 AA", "cta.dolbyVision.dmVersion", "4");
    row("dolby vision 1 luminance", "EB 01 46 D0 00 2A 18 03 51 59 99 AA",
        "cta.dolbyVision.targetMaxLuminance", "700");
    row("hdr10+", "E5 01 8B 84 90 01", "cta.hdr10plus",
        R"({"applicationVersion":1,"fullFramePeakLuminanceIndex":0,"peakLuminanceIndex":0})");
    row("hdmi content types", "6D 03 0C 00 10 00 00 3C 2B A8 22 01 00 01", "cta.hdmi.contentTypes",
        R"(["graphics","photo","game"])");
    row("hdmi image size", "6D 03 0C 00 10 00 00 3C 2B A8 22 01 00 01", "cta.hdmi.imageSize",
        R"("aspect ratio only")");
    row("hdmi 3d", "6D 03 0C 00 10 00 00 3C 2B A8 22 01 00 01", "cta.hdmi.threeD",
        R"({"mask":null,"multiPresent":1,"present":true,"structures":1})");
    row("hdmi forum dc420", "67 D8 5D C4 01 78 4B 0F", "cta.hdmiForum.dc420", "[30,36,48]");
    row("hdmi forum flags", "67 D8 5D C4 01 78 4B 0F", "cta.hdmiForum.readRequest", "true");
    row("hdmi forum scrambling", "67 D8 5D C4 01 78 4B 0F", "cta.hdmiForum.scrambling340", "true");
    row("hdmi forum uhd vic", "67 D8 5D C4 01 78 4B 0F", "cta.hdmiForum.uhdVic", "true");
    row("e-ac-3 joc", "23 57 06 03", "cta.audio.0.flags",
        R"(["joint object coding","joint object coding with ACMOD28"])");
    // Wrong value 1: bit 7 of byte 3 is ST2113RGB, bit 5 reserved.
    row("colorimetry bit 7", "E3 05 00 81", "cta.colorimetry", R"(["ST2113RGB"])");
    row("colorimetry bit 5 reserved", "E3 05 00 20", "cta.colorimetry", "[]");
    row("colorimetry md", "E3 05 00 81", "cta.colorimetryMetadata", R"(["MD0"])");
    // Wrong value 2: no address made up from missing bytes.
    row("hdmi without address", "63 03 0C 00", "cta.hdmi.physicalAddress", "null",
        "hdmi-physical-address-missing");
    // Wrong value 8: the second block of a kind keeps its content.
    row("second video capability", "E2 00 40 E2 00 80",
        "cta.dataBlocks.1.content.ycbcrQuantSelectable", "true");

    // Wrong value 5: blocks an HDMI Forum override counts are read, and a
    // base block copy is not advised to be counted.
    QTest::newRow("eeodb counts block 2") << "E2 78 02"
                                          << "E2 00 40" << 1 << QString() << "blocks.2.counted"
                                          << "true"
                                          << "!extension-unused" << QString();
    QTest::newRow("eeodb count short") << "E2 78 01"
                                       << "E2 00 40" << 1 << QString() << "blocks.2.counted"
                                       << "false"
                                       << "extension-unused"
                                       << "Raise byte 0x7E";
    QTest::newRow("base copy after the extension")
        << QString() << "base" << 1 << QString() << "blocks.2.counted"
        << "false"
        << "extension-unused"
        << "Raise byte 0x7E";
    QTest::newRow("display descriptor in CTA")
        << QString() << QString() << -1 << "0x87=0xFF 0x89=0x41 0x8A=0x0A"
        << "cta.displayDescriptors.0"
        << R"({"offset":132,"tag":255,"text":"A","type":"Display serial number"})"
        << "!cta-dtd-gap" << QString();
    // Wrong value 7: one of a thing is singular.
    QTest::newRow("one format, one extension block")
        << "23 09 07 07"
        << "E2 00 40" << 1 << QString() << "cta.audio.0.channels"
        << "2"
        << "extension-unused"
        << "1 extension blocks";
    QTest::newRow("one format") << "23 09 07 07" << QString() << -1 << QString()
                                << "cta.audio.0.format"
                                << R"("LPCM")" << QString() << "1 formats";
    // Wrong value 3: no +255 offsets before EDID 1.4 (byte 4 of the
    // range limits at 0x5A is reserved there).
    QTest::newRow("range limits 1.3") << "" << QString() << -1 << "0x13=0x03 0x5E=0x08 0x62=0xBA"
                                      << "base.rangeLimits.maxHKHz"
                                      << "186" << QString() << QString();
    QTest::newRow("range limits 1.4") << "" << QString() << -1 << "0x13=0x04 0x5E=0x08 0x62=0xBA"
                                      << "base.rangeLimits.maxHKHz"
                                      << "441" << QString() << QString();
    // Wrong value 4: a pixel clock under 10 MHz is no timing.
    QTest::newRow("pixel clock 0.01 MHz") << "" << QString() << -1 << "0x36=0x01 0x37=0x00"
                                          << "summary.preferredMode"
                                          << "null"
                                          << "dtd-pixel-clock" << QString();
    QTest::newRow("pixel clock in CTA") << "" << QString() << -1 << "0x84=0x01"
                                        << "cta.detailedTimings"
                                        << "[]"
                                        << "dtd-pixel-clock" << QString();
}

void TestCtaBlocks::decode()
{
    QFETCH(QString, blocks);
    QFETCH(QString, second);
    QFETCH(int, count);
    QFETCH(QString, patches);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QFETCH(QString, code);
    QFETCH(QString, without);

    const QString base = QString::fromLatin1(BaseSample);
    QList<QByteArray> extensions;
    if (blocks != QLatin1String("none"))
        extensions.append(CtaTables::ctaBlock(blocks));
    if (second == QLatin1String("base"))
        extensions.append(EdidTestData::readSample(base).left(EdidBlockSize));
    else if (!second.isEmpty())
        extensions.append(CtaTables::ctaBlock(second));
    QByteArray bytes = CtaTables::table(base, extensions, count);
    CtaTables::applyPatches(bytes, patches);
    CtaTables::fixChecksums(bytes);

    const DecodedEdid edid = decodeEdid(bytes);
    const QJsonObject json = toJson(edid);
    QCOMPARE(compact(at(json, path)), expected);
    const bool absent = code.startsWith(QLatin1Char('!'));
    const QString wanted = absent ? code.mid(1) : code;
    const bool found = std::any_of(edid.findings.begin(), edid.findings.end(),
                                   [&](const Finding &f) { return f.code == wanted; });
    if (!code.isEmpty())
        QVERIFY2(found != absent, qPrintable(toText(edid)));
    if (!without.isEmpty())
        QVERIFY2(!toText(edid).contains(without), qPrintable(toText(edid)));
}

QTEST_GUILESS_MAIN(TestCtaBlocks)
#include "tst_ctablocks.moc"
