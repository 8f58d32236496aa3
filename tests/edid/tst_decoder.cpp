#include "CtaTables.h"
#include "EdidDecodeOracle.h"
#include "EdidTestData.h"

#include "Checksum.h"
#include "decode/ConformanceChecks.h"
#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidJson.h"
#include "decode/EdidSummary.h"
#include "spec/CtaVideoFormats.h"
#include "spec/DmtFormats.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

using namespace varnex::edid;

namespace {

// A valid 256-byte table without findings, the base of the hand-made cases.
const char *const CleanSample = "samsung-q800t-hdmi2.1";

QByteArray sample(const QString &name)
{
    return EdidTestData::readSample(name);
}

using CtaTables::applyPatches;
using CtaTables::fixChecksums;

QStringList keysOf(const QJsonValue &value)
{
    return value.toObject().keys();
}

// Every tree node either has no bytes or lies inside the decoded image, so
// a window can select its bytes.
void checkTreeRanges(const DecodedNode &node, int imageSize)
{
    if (node.offset >= 0) {
        QVERIFY2(node.length >= 0 && node.offset + node.length <= imageSize, qPrintable(node.name));
    }
    for (const DecodedNode &child : node.children)
        checkTreeRanges(child, imageSize);
}

const DecodedNode *findNode(const DecodedNode &node, const QString &name)
{
    if (node.name == name)
        return &node;
    for (const DecodedNode &child : node.children) {
        if (const DecodedNode *found = findNode(child, name))
            return found;
    }
    return nullptr;
}

} // namespace

class TestDecoder : public QObject
{
    Q_OBJECT

private slots:
    void oracle_data();
    void oracle();
    void vicTableMatchesOracle();
    void dmtTableMatchesOracle();
    void findings_data();
    void findings();
    void corruptedSample();
    void anyBytesDecodeSafely();
    void jsonShape();
    void jsonNulls_data();
    void jsonNulls();
    void treePointsAtBytes_data();
    void treePointsAtBytes();
    void modeText_data();
    void modeText();
    void summary_data();
    void summary();
};

void TestDecoder::oracle_data()
{
    QTest::addColumn<QString>("name");
    // Data blocks of a hand-made CTA block after the clean sample's base
    // block, for layouts no sample carries; empty for the sample itself.
    QTest::addColumn<QString>("blocks");
    // Bytes to overwrite in the hand-made table.
    QTest::addColumn<QString>("patches");
    for (const QString &name : EdidTestData::sampleNames())
        QTest::newRow(qPrintable(name)) << name << QString() << QString();
    QTest::newRow("dolby vision 0") << CleanSample
                                    << "F9 01 46 D0 00 07 11 22 33 44 55 66 77 88 99 AA BB CC DD "
                                       "EE FF 12 23 34 45 56"
                                    << QString();
    QTest::newRow("dolby vision 1, long")
        << CleanSample << "EE 01 46 D0 00 2F 11 23 01 44 55 66 77 88 99" << QString();
    QTest::newRow("dolby vision 1, short")
        << CleanSample << "EB 01 46 D0 00 2E 10 22 E0 45 56 6F" << QString();
    QTest::newRow("dolby vision 2, 12-bit 4:4:4")
        << CleanSample << "EB 01 46 D0 00 44 65 73 7D 6C 6F 7C" << QString();
    QTest::newRow("hdr10+ indexes") << CleanSample << "E5 01 8B 84 90 5D" << QString();
    // 3-byte CVT codes: five rates of 1920x1080 (60 Hz preferred) and 50 Hz
    // of 1736x1088, in the fourth descriptor.
    QTest::newRow("cvt codes") << CleanSample << "E2 00 40"
                               << "0x6C:000000F80001 1B243F 1F2810 000000000000";
}

void TestDecoder::oracle()
{
    if (!EdidDecodeOracle::available())
        QSKIP("edid-decode is not installed (scripts/install-deps.sh installs it)");
    QFETCH(QString, name);
    QFETCH(QString, blocks);
    QByteArray bytes = sample(name);
    QTemporaryFile file;
    QFETCH(QString, patches);
    if (!blocks.isEmpty()) {
        bytes = CtaTables::table(name, {CtaTables::ctaBlock(blocks)});
        applyPatches(bytes, patches);
        fixChecksums(bytes);
        QVERIFY(file.open());
        file.write(bytes);
        file.close();
    }
    const EdidDecodeOracle::Facts expected = EdidDecodeOracle::decodeFile(
        blocks.isEmpty() ? EdidTestData::sampleDir() + QLatin1Char('/') + name : file.fileName());
    QVERIFY2(!expected.version.isEmpty(), "edid-decode printed no base block");
    const DecodedEdid edid = decodeEdid(bytes);
    QVERIFY(edid.base);
    const BaseBlock &base = *edid.base;

    QCOMPARE(base.manufacturer, expected.manufacturer);
    QCOMPARE(base.productCode, expected.productCode);
    QCOMPARE(base.serialNumber, expected.serialNumber);
    QCOMPARE(base.week, expected.week);
    QCOMPARE(base.year, expected.year);
    QCOMPARE(base.modelYear, expected.modelYear);
    QCOMPARE(base.versionText(), expected.version);
    QCOMPARE(base.name(), expected.name);

    // Standard timings that are no DMT: the GTF timing, to a few kHz.
    QList<int> gtf;
    for (const TimingCode &t : base.allStandardTimings()) {
        if (t.source == QLatin1String("GTF"))
            gtf.append(t.pixelClockKHz.value_or(0));
    }
    // CVT timings (standard timings of a 1.4 table that says CVT, 3-byte
    // codes) to the kHz; edid-decode lists the codes in their own order.
    QList<int> cvt;
    for (const TimingCode &t : base.allStandardTimings() + base.cvtTimings()) {
        if (t.source.startsWith(QLatin1String("CVT")))
            cvt.append(t.pixelClockKHz.value_or(0));
    }
    QList<int> expectedCvt = expected.cvtPixelClocksKHz;
    std::sort(cvt.begin(), cvt.end());
    std::sort(expectedCvt.begin(), expectedCvt.end());
    QCOMPARE(cvt, expectedCvt);
    QCOMPARE(gtf.size(), expected.gtfPixelClocksKHz.size());
    for (int i = 0; i < gtf.size(); ++i)
        QVERIFY2(
            std::abs(gtf[i] - expected.gtfPixelClocksKHz[i]) <= 2,
            qPrintable(QStringLiteral("%1 / %2").arg(gtf[i]).arg(expected.gtfPixelClocksKHz[i])));

    QList<DetailedTiming> dtds = base.detailedTimings();
    for (const CtaBlock &cta : edid.cta)
        dtds += cta.detailedTimings;
    QCOMPARE(dtds.size(), expected.dtds.size());
    for (int i = 0; i < dtds.size(); ++i) {
        QCOMPARE(dtds[i].hActive, expected.dtds[i].width);
        QCOMPARE(dtds[i].frameHeight(), expected.dtds[i].height);
        QCOMPARE(dtds[i].interlaced, expected.dtds[i].interlaced);
        QCOMPARE(dtds[i].pixelClockKHz, expected.dtds[i].pixelClockKHz);
    }

    QCOMPARE(edid.cta.size(), expected.cta.size());
    for (int i = 0; i < edid.cta.size(); ++i) {
        const CtaBlock &cta = edid.cta[i];
        const EdidDecodeOracle::CtaFacts &facts = expected.cta[i];
        QCOMPARE(cta.block, facts.block);
        // edid-decode leaves SVD code 0 (no VIC at all) out of its list.
        QList<int> vics;
        for (const ShortVideo &svd : cta.svds()) {
            if (svd.vic != 0)
                vics.append(svd.vic);
        }
        QCOMPARE(vics, facts.vics);
        const QList<ShortAudio> sads = cta.sads();
        QCOMPARE(sads.size(), facts.audio.size());
        for (int s = 0; s < sads.size(); ++s) {
            QCOMPARE(sads[s].format, facts.audio[s].format);
            if (facts.audio[s].channels >= 0)
                QCOMPARE(sads[s].channels, facts.audio[s].channels);
        }
        const HdmiVsdb *hdmi = cta.first<HdmiVsdb>();
        QCOMPARE(hdmi ? std::optional(hdmi->physicalAddressText()) : std::nullopt,
                 facts.physicalAddress);
        QCOMPARE(hdmi ? hdmi->maxTmdsMHz : std::nullopt, facts.maxTmdsMHz);
        const HdmiForumBlock *forum = cta.first<HdmiForumBlock>();
        QCOMPARE(forum ? forum->maxTmdsMHz : std::nullopt, facts.hdmiForumMaxTmdsMHz);
        QCOMPARE(forum && forum->readRequest, facts.readRequest);
        QCOMPARE(forum && forum->lte340Scramble, facts.scrambling340);
        QCOMPARE(forum && forum->uhdVic, facts.uhdVic);
        QCOMPARE(forum ? forum->deepColor420() : QList<int>(), facts.dc420);
        for (int s = 0; s < sads.size(); ++s)
            QCOMPARE(sads[s].flags.size(), facts.audio[s].flags.size());

        const FreeSyncBlock *freeSync = cta.first<FreeSyncBlock>();
        QCOMPARE(
            freeSync
                ? QStringLiteral("%1.%2").arg(freeSync->majorVersion).arg(freeSync->minorVersion)
                : QString(),
            facts.freeSyncVersion);
        QCOMPARE(freeSync ? std::optional(freeSync->minRefreshHz) : std::nullopt,
                 facts.freeSyncMinHz);
        QCOMPARE(freeSync ? std::optional(freeSync->maxRefreshHz) : std::nullopt,
                 facts.freeSyncMaxHz);

        const Colorimetry *colorimetry = cta.first<Colorimetry>();
        QCOMPARE(colorimetry ? colorimetry->standards : QStringList(), facts.colorimetry);
        QCOMPARE(colorimetry ? colorimetry->metadataProfileNames() : QStringList(),
                 facts.colorimetryMetadata);

        static const QMap<QString, QString> eotfNames{
            {QStringLiteral("Traditional gamma - SDR luminance range"),
             QStringLiteral("traditional gamma SDR")},
            {QStringLiteral("Traditional gamma - HDR luminance range"),
             QStringLiteral("traditional gamma HDR")},
            {QStringLiteral("SMPTE ST2084"), QStringLiteral("SMPTE ST 2084")},
            {QStringLiteral("Hybrid Log-Gamma"), QStringLiteral("HLG")}};
        QStringList eotfs;
        for (const QString &e : facts.eotfs)
            eotfs.append(eotfNames.value(e, e));
        const HdrStaticMetadata *hdr = cta.first<HdrStaticMetadata>();
        QCOMPARE(hdr ? hdr->eotfs : QStringList(), eotfs);
        // edid-decode prints luminance to the thousandth.
        const auto near = [](const std::optional<double> &ours, const std::optional<double> &its) {
            return ours.has_value() == its.has_value() &&
                   (!ours || std::abs(*ours - *its) < 0.0006);
        };
        QVERIFY(near(hdr ? hdr->maxLuminance : std::nullopt, facts.hdrMaxLuminance));
        QVERIFY(near(hdr ? hdr->maxFrameAverageLuminance : std::nullopt,
                     facts.hdrMaxFrameAverageLuminance));
        QVERIFY(near(hdr ? hdr->minLuminance : std::nullopt, facts.hdrMinLuminance));

        const DolbyVisionBlock *dolby = cta.first<DolbyVisionBlock>();
        QCOMPARE(dolby ? std::optional(dolby->version) : std::nullopt, facts.dolbyVisionVersion);
        if (dolby) {
            QCOMPARE(dolby->globalDimming, facts.dolbyVisionGlobalDimming);
            QCOMPARE(dolby->targetMinPq, facts.dolbyVisionMinPq);
            QCOMPARE(dolby->targetMaxPq, facts.dolbyVisionMaxPq);
            if (dolby->version == 1) {
                QVERIFY(near(dolby->targetMinLuminance, facts.dolbyVisionMinLuminance));
                QVERIFY(near(dolby->targetMaxLuminance, facts.dolbyVisionMaxLuminance));
            }
            QList<double> points;
            for (const auto &p : {dolby->red, dolby->green, dolby->blue, dolby->white}) {
                if (p)
                    points << p->x << p->y;
            }
            QCOMPARE(points.size(), facts.dolbyVisionPoints.size());
            for (int p = 0; p < points.size(); ++p)
                QVERIFY(std::abs(points[p] - facts.dolbyVisionPoints[p]) < 1e-8);
        }
        const Hdr10PlusBlock *hdr10plus = cta.first<Hdr10PlusBlock>();
        QCOMPARE(hdr10plus ? std::optional(hdr10plus->applicationVersion |
                                           hdr10plus->fullFramePeakLuminanceIndex << 2 |
                                           hdr10plus->peakLuminanceIndex << 4)
                           : std::nullopt,
                 facts.hdr10PlusVersion);
    }
}

void TestDecoder::vicTableMatchesOracle()
{
    if (!EdidDecodeOracle::available())
        QSKIP("edid-decode is not installed");
    const auto listed = EdidDecodeOracle::listTimings(
        {QStringLiteral("--list-vics"), QStringLiteral("--long-timings")});
    QVERIFY(!listed.isEmpty());
    for (int vic = 0; vic <= 255; ++vic) {
        const std::optional<VideoFormat> f = ctaVideoFormat(vic);
        QVERIFY2(f.has_value() == listed.contains(vic), qPrintable(QString::number(vic)));
        if (!f)
            continue;
        const EdidDecodeOracle::ListedTiming &t = listed[vic];
        const QByteArray where = "VIC " + QByteArray::number(vic);
        QVERIFY2(f->hActive == t.width && f->vActive == t.height && f->interlaced == t.interlaced,
                 where);
        QVERIFY2(f->pixelClockKHz == t.pixelClockKHz, where);
        QVERIFY2(std::abs(f->refreshHz() - t.refreshHz) < 1e-5, where);
        QVERIFY2(QStringLiteral("%1:%2").arg(f->aspectWidth).arg(f->aspectHeight) == t.aspect,
                 where);
        QVERIFY2(f->hFrontPorch == t.hFront && f->hSyncWidth == t.hSync &&
                     f->hBackPorch() == t.hBack && f->hSyncPositive == t.hPositive,
                 where);
        QVERIFY2(f->vFrontPorch == t.vFront && f->vSyncWidth == t.vSync &&
                     f->vBackPorch() == t.vBack && f->vSyncPositive == t.vPositive,
                 where);
    }
}

void TestDecoder::dmtTableMatchesOracle()
{
    if (!EdidDecodeOracle::available())
        QSKIP("edid-decode is not installed");
    const auto listed = EdidDecodeOracle::listTimings({QStringLiteral("--list-dmts")});
    QVERIFY(!listed.isEmpty());
    for (auto it = listed.begin(); it != listed.end(); ++it) {
        const std::optional<DmtFormat> dmt = dmtFormat(it.key());
        const QByteArray where = "DMT " + QByteArray::number(it.key(), 16);
        QVERIFY2(dmt, where);
        QVERIFY2(dmt->hActive == it->width && dmt->vActive == it->height &&
                     dmt->interlaced == it->interlaced && dmt->pixelClockKHz == it->pixelClockKHz,
                 where);
        QVERIFY2(std::abs(dmt->refreshHz() - it->refreshHz) < 1e-5, where);
        QVERIFY2(dmt->standardCode == it->standardCode, where);
    }
}

void TestDecoder::findings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("patches");
    QTest::addColumn<bool>("fixSums");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("severity");
    QTest::addColumn<int>("offset");

    const QString clean = QString::fromLatin1(CleanSample);
    // One thing wrong in a clean table, and the finding it must give.
    QTest::newRow("clean") << clean << "" << false << -1 << ""
                           << "" << 0;
    QTest::newRow("header") << clean << "0x01=0x00" << true << -1 << "header"
                            << "error" << 0x00;
    QTest::newRow("version") << clean << "0x12=0x02" << true << -1 << "version"
                             << "error" << 0x12;
    QTest::newRow("checksum-block-0") << clean << "0x10=0x02" << false << -1 << "checksum-block-0"
                                      << "error" << 0x7F;
    QTest::newRow("checksum-block-1") << clean << "0x90=0x00" << false << -1 << "checksum-block-1"
                                      << "error" << 0xFF;
    QTest::newRow("extension-count") << clean << "0x7E=0x02" << true << -1 << "extension-count"
                                     << "error" << 0x7E;
    QTest::newRow("dtd-zero-pixel-clock")
        << clean << "0x36=0x00 0x37=0x00" << true << -1 << "dtd-zero-pixel-clock"
        << "error" << 0x36;
    QTest::newRow("cta-block-overrun") << clean << "0x82=0x10" << true << -1 << "cta-block-overrun"
                                       << "error" << 0x84;
    QTest::newRow("cta-dtd-offset") << clean << "0x82=0x02" << true << -1 << "cta-dtd-offset"
                                    << "error" << 0x82;
    QTest::newRow("unknown-extension") << clean << "0x80=0x33" << true << -1 << "unknown-extension"
                                       << "error" << 0x80;
    QTest::newRow("truncated") << clean << "" << false << 200 << "truncated"
                               << "error" << 0x80;
    QTest::newRow("truncated below one block") << clean << "" << false << 50 << "truncated"
                                               << "error" << 0;
    QTest::newRow("size") << clean << "" << false << MaxEdidBlocks * EdidBlockSize + 1 << "size"
                          << "error" << MaxEdidBlocks * EdidBlockSize;
    QTest::newRow("no-display-name") << clean << "0x6F=0x10" << true << -1 << "no-display-name"
                                     << "warning" << 0x36;
    QTest::newRow("range-limits-exclude-preferred")
        << clean << "0x60=50" << true << -1 << "range-limits-exclude-preferred"
        << "warning" << 0x5A;
    QTest::newRow("basic-audio-without-audio-block")
        << clean << "0xA2=0x0C" << true << -1 << "basic-audio-without-audio-block"
        << "warning" << 0x83;
    QTest::newRow("dtd-blanking") << clean << "0x3A=0x02" << true << -1 << "dtd-blanking"
                                  << "warning" << 0x36;
    QTest::newRow("vic-unknown") << clean << "0x85=0x80" << true << -1 << "vic-unknown"
                                 << "warning" << 0x85;
    QTest::newRow("cta-block-length") << clean << "0xAF=0x81" << true << -1 << "cta-block-length"
                                      << "warning" << 0xAF;
    QTest::newRow("cta-dtd-gap") << clean << "0xE7=0x00 0xE8=0x00" << true << -1 << "cta-dtd-gap"
                                 << "warning" << 0xE7;
    QTest::newRow("cta-padding") << clean << "0xFA=0x01" << true << -1 << "cta-padding"
                                 << "warning" << 0xFA;
    QTest::newRow("cta-revision") << clean << "0x81=0x05" << true << -1 << "cta-revision"
                                  << "warning" << 0x81;
    QTest::newRow("manufacturer") << clean << "0x08=0x00 0x09=0x00" << true << -1 << "manufacturer"
                                  << "warning" << 0x08;
    QTest::newRow("manufacture-week") << clean << "0x10=60" << true << -1 << "manufacture-week"
                                      << "warning" << 0x10;
    QTest::newRow("extension-unused, data")
        << clean << "0x7E=0x00" << true << -1 << "extension-unused"
        << "warning" << 0x80;
    QTest::newRow("extension-unused, filler") << "dell-e178wfp-vga"
                                              << "" << false << 256 << "extension-unused"
                                              << "note" << 0x80;
    QTest::newRow("cta-native-dtds") << clean << "0x83=0xFF" << true << -1 << "cta-native-dtds"
                                     << "note" << 0x83;
}

void TestDecoder::findings()
{
    QFETCH(QString, name);
    QFETCH(QString, patches);
    QFETCH(bool, fixSums);
    QFETCH(int, size);
    QFETCH(QString, code);
    QFETCH(QString, severity);
    QFETCH(int, offset);

    QByteArray bytes = sample(name);
    QVERIFY(!bytes.isEmpty());
    applyPatches(bytes, patches);
    if (fixSums)
        fixChecksums(bytes);
    if (size >= 0)
        bytes.resize(size, '\0');

    const DecodedEdid edid = decodeEdid(bytes);
    if (code.isEmpty()) {
        // The conformance checks' advice is tested in tst_conformance.
        const QStringList advice = conformanceCodes();
        QVERIFY2(std::all_of(edid.findings.begin(), edid.findings.end(),
                             [&](const Finding &f) { return advice.contains(f.code); }),
                 qPrintable(toText(edid)));
        return;
    }
    const auto it = std::find_if(edid.findings.begin(), edid.findings.end(),
                                 [&](const Finding &f) { return f.code == code; });
    QVERIFY2(it != edid.findings.end(), qPrintable(toText(edid)));
    QCOMPARE(severityName(it->severity), severity);
    QCOMPARE(it->offset, offset);
    QCOMPARE(it->block, offset / EdidBlockSize);
    QVERIFY(it->message.size() > 40);
}

void TestDecoder::corruptedSample()
{
    const DecodedEdid edid = decodeEdid(sample(QStringLiteral("acer-xv273k-dp1-corrupted")));
    QVERIFY(edid.count(Severity::Error) > 0);
    // The intact blocks still decode in full.
    QVERIFY(edid.base && edid.base->name() == QStringLiteral("XV273K"));
    QCOMPARE(edid.cta.size(), 1);
    QCOMPARE(edid.cta.first().svds().size(), 17);
    const auto bad = std::find_if(edid.findings.begin(), edid.findings.end(), [](const Finding &f) {
        return f.severity == Severity::Error && f.block == 2;
    });
    QVERIFY(bad != edid.findings.end());
    QVERIFY(summarize(edid).status.contains(QLatin1String("error")));
}

void TestDecoder::anyBytesDecodeSafely()
{
    const QList<QByteArray> samples{sample(QString::fromLatin1(CleanSample)),
                                    sample(QStringLiteral("asus-xg438q-dp")),
                                    sample(QStringLiteral("kds-vs555-vga"))};
    for (quint32 seed = 0; seed < 400; ++seed) {
        QRandomGenerator random(seed);
        QByteArray bytes;
        if (seed % 2 == 0) {
            // Noise of every length up to a bit over four blocks.
            bytes.resize(random.bounded(601));
            for (char &c : bytes)
                c = char(random.bounded(256));
        } else {
            // A real table with a few bytes changed and maybe cut: reaches
            // the deep paths noise never gets past the header to.
            bytes = samples[int(seed / 2 % samples.size())];
            for (int i = random.bounded(1, 9); i > 0; --i)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
            if (random.bounded(3) == 0)
                bytes.truncate(random.bounded(int(bytes.size()) + 1));
            if (random.bounded(2) == 0)
                fixChecksums(bytes);
        }
        const QByteArray where = "seed " + QByteArray::number(seed);
        const DecodedEdid edid = decodeEdid(bytes);
        QVERIFY2(toJson(edid).value(QStringLiteral("size")).toInt() == bytes.size(), where);
        QVERIFY2(!toText(edid).isEmpty(), where);
        for (const Finding &f : edid.findings)
            QVERIFY2(f.offset >= 0 && f.offset <= bytes.size(), where + ' ' + f.code.toLatin1());
        checkTreeRanges(decodedTree(edid), int(edid.bytes.size()));
        if (QTest::currentTestFailed())
            QFAIL(where);
    }
}

void TestDecoder::jsonShape()
{
    const QJsonObject json = toJson(decodeEdid(sample(QString::fromLatin1(CleanSample))));
    const auto hasKeys = [](const QJsonValue &value, const QStringList &keys) {
        const QStringList present = keysOf(value);
        for (const QString &key : keys) {
            if (!present.contains(key))
                return key;
        }
        return QString();
    };
    QCOMPARE(hasKeys(json, {"size", "blocks", "base", "cta", "findings"}), QString());
    QCOMPARE(json["size"].toInt(), 256);
    const QJsonObject block1 = json["blocks"].toArray().at(1).toObject();
    QCOMPARE(block1["index"].toInt(), 1);
    QCOMPARE(block1["type"].toString(), QStringLiteral("CTA-861"));
    QCOMPARE(hasKeys(block1["checksum"], {"stored", "computed", "valid"}), QString());
    QVERIFY(block1["checksum"]["valid"].toBool());

    const QJsonObject base = json["base"].toObject();
    QCOMPARE(hasKeys(base, {"version",
                            "manufacturer",
                            "productCode",
                            "serialNumber",
                            "week",
                            "year",
                            "modelYear",
                            "digital",
                            "bitsPerColor",
                            "interface",
                            "widthCm",
                            "heightCm",
                            "gamma",
                            "name",
                            "serialString",
                            "rangeLimits",
                            "establishedTimings",
                            "standardTimings",
                            "detailedTimings",
                            "extensionCount"}),
             QString());
    QCOMPARE(base["version"].toString(), QStringLiteral("1.3"));
    QCOMPARE(base["manufacturer"].toString(), QStringLiteral("SAM"));
    QCOMPARE(base["name"].toString(), QStringLiteral("SAMSUNG"));
    const QJsonObject preferred = base["detailedTimings"][0].toObject();
    QCOMPARE(hasKeys(preferred, {"width", "height", "refreshHz", "pixelClockKHz", "interlaced",
                                 "preferred", "hFrontPorch", "hSyncWidth", "vFrontPorch",
                                 "vSyncWidth", "hSyncPositive", "vSyncPositive"}),
             QString());
    QCOMPARE(preferred["pixelClockKHz"].toInt(), 594000);
    QCOMPARE(preferred["refreshHz"].toDouble(), 60.0);
    QVERIFY(preferred["preferred"].toBool());
    QCOMPARE(hasKeys(base["standardTimings"][0],
                     {"width", "height", "refreshHz", "pixelClockKHz", "interlaced"}),
             QString());

    const QJsonObject cta = json["cta"].toObject();
    QCOMPARE(hasKeys(cta, {"revision", "basicAudio", "ycbcr444", "ycbcr422", "underscan",
                           "nativeDtds", "vics", "audio", "speakers", "hdmi", "hdmiForum", "hdr",
                           "colorimetry", "ycbcr420Vics", "detailedTimings"}),
             QString());
    QCOMPARE(
        hasKeys(cta["vics"][0], {"vic", "native", "width", "height", "refreshHz", "interlaced"}),
        QString());
    QCOMPARE(cta["vics"][0]["vic"].toInt(), 97);
    QCOMPARE(hasKeys(cta["audio"][1],
                     {"format", "channels", "sampleRatesKHz", "bitDepths", "maxBitrateKbps"}),
             QString());
    QCOMPARE(cta["audio"][1]["format"].toString(), QStringLiteral("AC-3"));
    QCOMPARE(cta["audio"][1]["maxBitrateKbps"].toInt(), 640);
    QVERIFY(cta["audio"][1]["bitDepths"].isNull());
    QCOMPARE(cta["hdmi"]["physicalAddress"].toString(), QStringLiteral("4.0.0.0"));
    QCOMPARE(cta["hdmi"]["maxTmdsMHz"].toInt(), 300);
    QVERIFY(cta["hdmi"]["deepColor"].isArray());
    QCOMPARE(cta["hdmiForum"]["maxTmdsMHz"].toInt(), 600);
    QCOMPARE(cta["hdr"]["eotfs"].toArray().size(), 3);
    QVERIFY(cta["ycbcr420Vics"].toArray().contains(97));

    const QJsonObject broken =
        toJson(decodeEdid(sample(QStringLiteral("acer-xv273k-dp1-corrupted"))));
    QCOMPARE(hasKeys(broken["findings"][0], {"severity", "code", "block", "offset", "message"}),
             QString());
}

void TestDecoder::jsonNulls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("isNull");

    // Facts the table does not hold are null; zeros the table holds are not.
    QTest::newRow("no CTA block") << "dell-e178wfp-vga"
                                  << "cta" << true;
    QTest::newRow("analog: no bit depth") << "dell-e178wfp-vga"
                                          << "base.bitsPerColor" << true;
    QTest::newRow("analog: no interface") << "dell-e178wfp-vga"
                                          << "base.interface" << true;
    QTest::newRow("no name") << "kds-vs555-vga"
                             << "base.name" << true;
    QTest::newRow("no serial string") << "kds-vs555-vga"
                                      << "base.serialString" << true;
    QTest::newRow("no range limits") << "kds-vs555-vga"
                                     << "base.rangeLimits" << true;
    QTest::newRow("serial number 0") << "vizio-m60c3-hdmi-onkyo-txnr555"
                                     << "base.serialNumber" << false;
    QTest::newRow("week 0") << "vizio-m60c3-hdmi-onkyo-txnr555"
                            << "base.week" << true;
    QTest::newRow("no HDR block") << "vizio-m60c3-hdmi-onkyo-txnr555"
                                  << "cta.hdr" << true;
    QTest::newRow("CTA without HDMI") << "acer-xb321hk-dp"
                                      << "cta.hdmi" << true;
}

void TestDecoder::jsonNulls()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QFETCH(bool, isNull);
    QJsonValue value = toJson(decodeEdid(sample(name)));
    for (const QString &key : path.split(QLatin1Char('.'))) {
        QVERIFY2(value.toObject().contains(key), qPrintable(key));
        value = value[key];
    }
    QCOMPARE(value.isNull(), isNull);
    if (path == QLatin1String("base.serialNumber"))
        QCOMPARE(value.toInt(-1), 0);
}

void TestDecoder::treePointsAtBytes_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("length");

    QTest::newRow("manufacturer") << "Manufacturer"
                                  << "SAM" << 0x08 << 2;
    QTest::newRow("first VIC") << "VIC 97"
                               << "3840x2160 @ 60 Hz 16:9" << 0x85 << 1;
    QTest::newRow("physical address") << "Physical address"
                                      << "4.0.0.0" << 0xBE << 2;
    QTest::newRow("CTA revision") << "Revision"
                                  << "3" << 0x81 << 1;
}

void TestDecoder::treePointsAtBytes()
{
    QFETCH(QString, node);
    QFETCH(QString, value);
    QFETCH(int, offset);
    QFETCH(int, length);
    const DecodedNode root = decodedTree(decodeEdid(sample(QString::fromLatin1(CleanSample))));
    const DecodedNode *found = findNode(root, node);
    QVERIFY(found);
    QCOMPARE(found->value, value);
    QCOMPARE(found->offset, offset);
    QCOMPARE(found->length, length);
}

void TestDecoder::modeText_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("refresh");
    QTest::addColumn<bool>("interlaced");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 1920 << 1080 << 60.0 << false << "1920x1080 @ 60 Hz";
    QTest::newRow("NTSC rate") << 1920 << 1080 << 59.940476 << false << "1920x1080 @ 59.94 Hz";
    QTest::newRow("rounds to whole") << 2560 << 1440 << 119.997589 << false << "2560x1440 @ 120 Hz";
    QTest::newRow("interlaced") << 1920 << 1080 << 50.0 << true << "1920x1080i @ 50 Hz";
}

void TestDecoder::modeText()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, refresh);
    QFETCH(bool, interlaced);
    QFETCH(QString, text);
    QCOMPARE(varnex::edid::modeText(width, height, refresh, interlaced), text);
}

void TestDecoder::summary_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("preferred");
    QTest::addColumn<QString>("status");

    QTest::newRow("clean") << CleanSample << "SAM SAMSUNG"
                           << "3840x2160 @ 60 Hz"
                           << "valid";
    QTest::newRow("no name") << "kds-vs555-vga"
                             << "DWT product 1304"
                             << "640x350 @ 70.07 Hz"
                             << "0 errors, 1 warning";
    QTest::newRow("corrupted") << "acer-xv273k-dp1-corrupted"
                               << "ACR XV273K"
                               << "3840x2160 @ 60 Hz"
                               << "1 error, 1 warning";
}

void TestDecoder::summary()
{
    QFETCH(QString, name);
    QFETCH(QString, product);
    QFETCH(QString, preferred);
    QFETCH(QString, status);
    const EdidSummary s = summarize(decodeEdid(sample(name)));
    QCOMPARE(s.product, product);
    QCOMPARE(s.preferredMode, preferred);
    QCOMPARE(s.status, status);
}

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_decoder.moc"
