#include "Checksum.h"
#include "EdidTestData.h"
#include "capability/Capabilities.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidModel.h"
#include "edit/BaseBlockEdits.h"
#include "edit/BaseDescriptors.h"
#include "edit/CtaEdits.h"
#include "edit/CtaExtension.h"
#include "edit/EditSequence.h"
#include "edit/ModeRequest.h"
#include "edit/ModeShaping.h"
#include "edit/Presets.h"
#include "edit/SignalEdits.h"
#include "edit/StandardModes.h"
#include "spec/CvtTiming.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace varnex::edid;

namespace {

// The reference decoder of the Debian package edid-decode, used as the oracle.
const QString EdidDecode = QStringLiteral("/usr/bin/edid-decode");
constexpr int DecodeTimeoutMs = 30000;
// Descriptor slots 1-4 span bytes 0x36-0x7D of the base block.
constexpr int SlotsBegin = 0x36;
constexpr int SlotsEnd = 0x7E;

using BlockPredicate = std::function<bool(const QByteArray &)>;

// One edit with what it may touch: the CTA data blocks it owns and the byte 3 flags it may change.
struct EditCase
{
    Edit edit;
    bool baseBlock = false;
    BlockPredicate owns;
    quint8 flagsMayChange = 0;
};

QString runEdidDecode(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(EdidDecode, arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(DecodeTimeoutMs);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// edid-decode's conformity verdict: the text and its Warnings and Failures
// sections, each entry prefixed by the block it was reported for.
struct Verdict
{
    QString text;
    QSet<QString> warnings;
    QSet<QString> failures;
    bool pass = false;
};

Verdict decode(const EdidImage &image)
{
    Verdict verdict;
    verdict.text = runEdidDecode({QStringLiteral("-c")}, EdidTestData::toBytes(image));
    QSet<QString> *section = nullptr;
    QString where;
    for (const QString &line : verdict.text.split(QLatin1Char('\n'))) {
        if (line == QLatin1String("Warnings:")) {
            section = &verdict.warnings;
        } else if (line == QLatin1String("Failures:")) {
            section = &verdict.failures;
        } else if (line.startsWith(QLatin1String("EDID conformity:"))) {
            verdict.pass = line.contains(QLatin1String("PASS"));
            section = nullptr;
        } else if (section && !line.isEmpty()) {
            if (line.startsWith(QLatin1Char(' ')))
                section->insert(where + QLatin1String(": ") + line.trimmed());
            else
                where = line;
        }
    }
    return verdict;
}

EdidImage sample(const QString &name)
{
    return EdidTestData::toImage(EdidTestData::readSample(name));
}

bool checksumsCorrect(const EdidImage &image)
{
    return blockChecksumCorrect(image, 0) && blockChecksumCorrect(image, 1);
}

BlockPredicate extendedTag(int tag)
{
    return [tag](const QByteArray &b) { return CtaExtension::extendedTagOf(b) == tag; };
}

BlockPredicate tags(std::initializer_list<int> list)
{
    const QList<int> wanted(list);
    return [wanted](const QByteArray &b) {
        return wanted.contains(CtaExtension::tagOf(b)) ||
               CtaExtension::extendedTagOf(b) == CtaExtendedTag::Ycbcr420CapabilityMap;
    };
}

BlockPredicate vendor(std::initializer_list<quint32> ouis)
{
    const QList<quint32> wanted(ouis);
    return [wanted](const QByteArray &b) {
        return CtaExtension::tagOf(b) == CtaTag::VendorSpecific &&
               wanted.contains(CtaExtension::ouiOf(b));
    };
}

// A new preferred timing may change the CTA block's native marks, nothing else there.
EditCase baseEdit(const Edit &edit)
{
    return {edit, true, [](const QByteArray &) { return false; }, CtaNativeDtdMask};
}

QList<QByteArray> withoutNativeMarks(QList<QByteArray> blocks)
{
    for (QByteArray &b : blocks) {
        if (CtaExtension::tagOf(b) != CtaTag::Video)
            continue;
        for (qsizetype i = 1; i < b.size(); ++i)
            b[i] = char(svdToVic(quint8(b[i])));
    }
    return blocks;
}

EditCase ctaEdit(const Edit &edit, const BlockPredicate &owns, quint8 flags = 0)
{
    return {edit, false, owns, flags};
}

ShortAudioDescriptor audio(const QString &spec)
{
    QString error;
    return parseAudioSpec(spec, &error).value_or(ShortAudioDescriptor{});
}

// The sample with descriptor slots 2-4 overwritten by copies of its preferred DTD.
EdidImage withoutFreeSlot(const QString &name)
{
    EdidImage image = sample(name);
    for (int slot = 1; slot < BaseLayout::DescriptorCount; ++slot)
        std::copy_n(image.begin() + SlotsBegin, DetailedDescriptorSize,
                    image.begin() + descriptorOffset(slot));
    correctChecksums(image);
    return image;
}

QList<int> parsedInts(const QString &text, const QString &pattern)
{
    const QRegularExpressionMatch m = QRegularExpression(pattern).match(text);
    QList<int> values;
    for (int i = 1; i <= m.lastCapturedIndex(); ++i)
        values << (m.captured(i) == QLatin1String("P")   ? 1
                   : m.captured(i) == QLatin1String("N") ? 0
                                                         : m.captured(i).toInt());
    return values;
}

// The timing values of edid-decode's --vic, --dmt or --cvt output, in Timing order.
QList<int> decodedTiming(const QString &text)
{
    QList<int> values = parsedInts(text, QStringLiteral(R"((\d+)x(\d+)i?\s.*\s(\d+)\.(\d+) MHz)"));
    values << parsedInts(
        text, QStringLiteral(R"(Hfront\s+(\d+) Hsync\s+(\d+) Hback\s+(\d+) Hpol ([PN]))"));
    values << parsedInts(
        text, QStringLiteral(R"(Vfront\s+(\d+) Vsync\s+(\d+) Vback\s+(\d+) Vpol ([PN]))"));
    return values;
}

QList<int> timingValues(const Timing &t)
{
    return {t.hActive,
            t.interlaced ? 2 * t.vActive : t.vActive,
            int(t.pixelClockKHz / 1000),
            int(t.pixelClockKHz % 1000) * 1000,
            t.hFrontPorch,
            t.hSyncWidth,
            t.hBackPorch,
            int(t.hSyncPositive),
            t.vFrontPorch,
            t.vSyncWidth,
            t.vBackPorch,
            int(t.vSyncPositive)};
}

} // namespace

Q_DECLARE_METATYPE(EditCase)
Q_DECLARE_METATYPE(Edit)

class TestEdits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void standardModesMatchEdidDecode_data();
    void standardModesMatchEdidDecode();
    void cvtMatchesEdidDecode_data();
    void cvtMatchesEdidDecode();
    void modeRequests_data();
    void modeRequests();
    void editsOnRealTables_data();
    void editsOnRealTables();
    void refusedEditsGiveReasons_data();
    void refusedEditsGiveReasons();
    void presetsPassEdidDecode_data();
    void presetsPassEdidDecode();
    void offeredModesListDtdsAndVics();
    void intentInOneSequence();
    void shapedTableOffersOneSignal_data();
    void shapedTableOffersOneSignal();
    void editsAreIdempotent_data();
    void editsAreIdempotent();
    void editsSurviveNoise();
};

void TestEdits::initTestCase()
{
    QVERIFY2(QFileInfo(EdidDecode).isExecutable(),
             "edid-decode is the oracle of these tests (Debian package edid-decode)");
}

void TestEdits::standardModesMatchEdidDecode_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<StandardMode>("mode");
    // tst_decoder compares the whole VIC table; here a few VICs, interlaced
    // ones among them, show that they become DTD timings as they should.
    const QList<int> vics{1, 5, 6, 16, 19, 20, 97, 102};
    for (const StandardMode &mode : standardModes()) {
        if (mode.vic && !vics.contains(mode.vic))
            continue;
        const QStringList arguments =
            mode.vic ? QStringList{QStringLiteral("--vic"), QString::number(mode.vic)}
                     : QStringList{QStringLiteral("--dmt"), QString::number(mode.dmtId)};
        QTest::addRow("%s", qPrintable(arguments.join(QLatin1Char(' ')))) << arguments << mode;
    }
}

void TestEdits::standardModesMatchEdidDecode()
{
    QFETCH(QStringList, arguments);
    QFETCH(StandardMode, mode);
    const QString text = runEdidDecode(arguments);
    QCOMPARE(decodedTiming(text), timingValues(mode.timing));
    QCOMPARE(qRound(mode.timing.refreshHz()), mode.nominalHz);
}

void TestEdits::cvtMatchesEdidDecode_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("hz");
    QTest::newRow("1920x1080@60") << 1920 << 1080 << 60;
    QTest::newRow("2560x1440@60") << 2560 << 1440 << 60;
    QTest::newRow("1280x1024@75") << 1280 << 1024 << 75;
    QTest::newRow("1920x1200@50") << 1920 << 1200 << 50;
    QTest::newRow("3440x1440@100") << 3440 << 1440 << 100;
    QTest::newRow("1600x1200@85") << 1600 << 1200 << 85;
}

void TestEdits::cvtMatchesEdidDecode()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, hz);
    const auto timing = cvtReducedBlanking(width, height, hz);
    QVERIFY(timing);
    const QString text =
        runEdidDecode({QStringLiteral("--cvt"),
                       QStringLiteral("w=%1,h=%2,fps=%3,rb=1").arg(width).arg(height).arg(hz)});
    QCOMPARE(decodedTiming(text), timingValues(*timing));
}

void TestEdits::modeRequests_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixelClockKHz"); // 0: the text is refused
    QTest::newRow("standard CTA") << "1920x1080@60" << 148500;
    QTest::newRow("1000/1001 rate") << " 1920 x 1080 @ 59.94 Hz" << 148350;
    QTest::newRow("DMT only") << "1024x768@60" << 65000;
    QTest::newRow("CVT reduced blanking") << "2560x1440@60" << 241500;
    QTest::newRow("no 1000/1001 for DMT") << "1024x768@59.94" << 56000;
    QTest::newRow("rate missing") << "1920x1080" << 0;
    QTest::newRow("zero size") << "0x1080@60" << 0;
    QTest::newRow("zero rate") << "1920x1080@0" << 0;
    QTest::newRow("too wide") << "5000x1080@60" << 0;
    QTest::newRow("words") << "full hd" << 0;
}

void TestEdits::modeRequests()
{
    QFETCH(QString, text);
    QFETCH(int, pixelClockKHz);
    const auto request = parseModeRequest(text);
    QCOMPARE(request.has_value(), pixelClockKHz != 0);
    if (!request)
        return;
    const auto timing = timingForRequest(*request);
    QVERIFY(timing);
    QCOMPARE(int(timing->pixelClockKHz), pixelClockKHz);
}

void TestEdits::editsOnRealTables_data()
{
    QTest::addColumn<QString>("sampleName");
    QTest::addColumn<EditCase>("edit");
    QTest::addColumn<QString>("shows");
    QTest::addColumn<QString>("gone"); // shown by the original, not by the result

    const auto name = [](const QString &text) {
        return baseEdit([text](const EdidImage &i) { return setDisplayProductName(i, text); });
    };
    const auto preferred = [](const QString &text) {
        return baseEdit([text](const EdidImage &i) { return setPreferredMode(i, text); });
    };
    const BlockPredicate videoKinds = [](const QByteArray &b) {
        const int ext = CtaExtension::extendedTagOf(b);
        return CtaExtension::tagOf(b) == CtaTag::Video || ext == CtaExtendedTag::Ycbcr420Video ||
               ext == CtaExtendedTag::Ycbcr420CapabilityMap ||
               ext == CtaExtendedTag::VideoFormatPreference ||
               (CtaExtension::tagOf(b) == CtaTag::VendorSpecific &&
                CtaExtension::ouiOf(b) == HdmiLlcOui);
    };
    const BlockPredicate audioKind = tags({CtaTag::Audio});

    QTest::newRow("name replaced")
        << "lg-oled-c9-hdmi" << name("Room 1") << "Display Product Name: 'Room 1'"
        << "'LG TV'";
    QTest::newRow("name of 13") << "samsung-q800t-hdmi2.1" << name("Conference 2B")
                                << "Display Product Name: 'Conference 2B'"
                                << "'SAMSUNG'";
    QTest::newRow("name, base block only")
        << "dell-e178wfp-vga" << name("Lobby") << "Display Product Name: 'Lobby'"
        << "'DELL E178WFP'";
    QTest::newRow("preferred CTA mode")
        << "lg-oled-c9-hdmi" << preferred("1920x1080@60") << "DTD 1:  1920x1080   60.000000 Hz"
        << "DTD 1:  3840x2160";
    QTest::newRow("preferred 59.94")
        << "samsung-q800t-hdmi2.1" << preferred("1920x1080@59.94") << "DTD 1:  1920x1080   59.939"
        << "DTD 1:  3840x2160";
    QTest::newRow("preferred CVT-RB")
        << "dell-p2415q-hdmi2.0" << preferred("2560x1440@60") << "DTD 1:  2560x1440   59.95"
        << "DTD 1:  3840x2160";
    QTest::newRow("preferred, native marks follow")
        << "sharp-aquos-hdmi" << preferred("1280x720@60") << "DTD 1:  1280x720    60.000000 Hz"
        << "148.500000 MHz (native)";
    QTest::newRow("remove VIC with 4:2:0 map")
        << "lg-oled-c9-hdmi"
        << ctaEdit([](const EdidImage &i) { return removeVic(i, 97); }, videoKinds)
        << "YCbCr 4:2:0 Capability Map Data Block:\n    VIC  96:  3840x2160   50.000000 Hz  16:9 "
           "   112.500 kHz    594.000000 MHz\n    VIC 102:"
        << "VIC  97:";
    QTest::newRow("remove VIC and its HDMI VIC")
        << "dell-p2415q-hdmi2.0"
        << ctaEdit([](const EdidImage &i) { return removeVic(i, 95); }, videoKinds) << "HDMI VIC 2:"
        << "HDMI VIC 1:";
    QTest::newRow("add VIC") << "dell-p2415q-hdmi2.0"
                             << ctaEdit([](const EdidImage &i) { return addVic(i, 100); },
                                        videoKinds)
                             << "VIC 100:"
                             << "";
    QTest::newRow("stereo PCM only")
        << "lg-oled-c9-hdmi"
        << ctaEdit([](const EdidImage &i) { return setAudioDescriptors(i, {audio("lpcm:2")}); },
                   audioKind)
        << "Supported sample rates (kHz): 48 44.1 32"
        << "AC-3:";
    QTest::newRow("add AC-3")
        << "dell-p2415q-hdmi2.0"
        << ctaEdit([](const EdidImage &i) { return addAudioDescriptor(i, audio("ac3:6::640")); },
                   audioKind)
        << "Maximum bit rate: 640 kb/s"
        << "";
    QTest::newRow("remove AC-3")
        << "samsung-q800t-hdmi2.1"
        << ctaEdit([](const EdidImage &i) { return removeAudioFormat(i, AudioFormat::Ac3); },
                   audioKind)
        << "MAT (MLP):"
        << "AC-3:";
    QTest::newRow("remove all audio")
        << "dell-p2415q-hdmi2.0"
        << ctaEdit([](const EdidImage &i) { return setAudioDescriptors(i, {}); },
                   tags({CtaTag::Audio, CtaTag::SpeakerAllocation}), CtaBasicAudioFlag)
        << ""
        << "Basic audio support";
    QTest::newRow("speakers 5.1")
        << "samsung-q800t-hdmi2.1"
        << ctaEdit([](const EdidImage &i) { return setSpeakerAllocation(i, Speakers::Surround51); },
                   tags({CtaTag::SpeakerAllocation}))
        << "FC - Front Center"
        << "";
    QTest::newRow("speakers 7.1")
        << "sharp-aquos-hdmi"
        << ctaEdit([](const EdidImage &i) { return setSpeakerAllocation(i, Speakers::Surround71); },
                   tags({CtaTag::SpeakerAllocation}))
        << "RLC/RRC"
        << "";
    QTest::newRow("max TMDS") << "dell-p2415q-hdmi2.0"
                              << ctaEdit(
                                     [](const EdidImage &i) { return setHdmiMaxTmdsClock(i, 340); },
                                     vendor({HdmiLlcOui}))
                              << "Maximum TMDS clock: 340 MHz"
                              << "Maximum TMDS clock: 600 MHz";
    QTest::newRow("max TMDS, short VSDB")
        << "sharp-aquos-hdmi"
        << ctaEdit([](const EdidImage &i) { return setHdmiMaxTmdsClock(i, 225); },
                   vendor({HdmiLlcOui}))
        << "Maximum TMDS clock: 225 MHz"
        << "";
    QTest::newRow("no HDR") << "lg-oled-c9-hdmi"
                            << ctaEdit(removeHdrStaticMetadata,
                                       extendedTag(CtaExtendedTag::HdrStaticMetadata))
                            << ""
                            << "HDR Static Metadata Data Block";
    QTest::newRow("no HDMI Forum")
        << "samsung-q800t-hdmi2.1" << ctaEdit(removeHdmiForumBlocks, vendor({HdmiForumOui})) << ""
        << "(HDMI Forum)";
}

void TestEdits::editsOnRealTables()
{
    QFETCH(QString, sampleName);
    QFETCH(EditCase, edit);
    QFETCH(QString, shows);
    QFETCH(QString, gone);

    const EdidImage original = sample(sampleName);
    const EditResult result = edit.edit(original);
    QVERIFY2(result.ok(), qPrintable(result.error));
    const EdidImage &edited = *result.image;
    QVERIFY(checksumsCorrect(edited));

    const Verdict before = decode(original);
    const Verdict after = decode(edited);
    if (!shows.isEmpty())
        QVERIFY2(after.text.contains(shows), qPrintable(after.text));
    if (!gone.isEmpty()) {
        QVERIFY(before.text.contains(gone));
        QVERIFY2(!after.text.contains(gone), qPrintable(after.text));
    }
    const QSet<QString> newFailures = after.failures - before.failures;
    QVERIFY2(newFailures.isEmpty(), qPrintable(QStringList(newFailures.values()).join('\n')));

    if (edit.baseBlock) {
        QVERIFY(std::equal(original.begin(), original.begin() + SlotsBegin, edited.begin()));
        QVERIFY(std::equal(original.begin() + SlotsEnd, original.begin() + EdidChecksumOffset,
                           edited.begin() + SlotsEnd));
    } else {
        QVERIFY(std::equal(original.begin(), original.begin() + EdidBlockSize, edited.begin()));
    }
    QString error;
    const auto was = CtaExtension::parse(original, &error);
    const auto now = CtaExtension::parse(edited, &error);
    if (!was) {
        QVERIFY(std::equal(original.begin() + EdidBlockSize, original.end(),
                           edited.begin() + EdidBlockSize));
        return;
    }
    QVERIFY(now);
    QCOMPARE(now->dtds, was->dtds);
    QCOMPARE(now->flags & ~edit.flagsMayChange, was->flags & ~edit.flagsMayChange);
    QList<QByteArray> keptBefore = was->dataBlocks;
    QList<QByteArray> keptAfter = now->dataBlocks;
    keptBefore.removeIf(edit.owns);
    keptAfter.removeIf(edit.owns);
    QCOMPARE(withoutNativeMarks(keptAfter), withoutNativeMarks(keptBefore));
}

void TestEdits::refusedEditsGiveReasons_data()
{
    QTest::addColumn<EdidImage>("image");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("reason");

    const EdidImage lg = sample(QStringLiteral("lg-oled-c9-hdmi"));
    const EdidImage dell = sample(QStringLiteral("dell-p2415q-hdmi2.0"));
    const EdidImage vga = sample(QStringLiteral("dell-e178wfp-vga"));
    const auto name = [](const QString &text) -> Edit {
        return [text](const EdidImage &i) { return setDisplayProductName(i, text); };
    };
    const auto preferred = [](const QString &text) -> Edit {
        return [text](const EdidImage &i) { return setPreferredMode(i, text); };
    };
    QList<ShortAudioDescriptor> eleven;
    for (int channels = 1; channels <= 8; ++channels)
        eleven << audio(QStringLiteral("lpcm:%1").arg(channels));
    eleven << audio("ac3:6") << audio("dts:6") << audio("eac3:8");

    QTest::newRow("name too long") << lg << name("Living room TV") << "at most 13";
    QTest::newRow("name not ASCII") << lg << name(QStringLiteral("Salle à 1")) << "printable ASCII";
    QTest::newRow("name, no slot") << withoutFreeSlot(QStringLiteral("sharp-aquos-hdmi"))
                                   << name("Room 1") << "no free descriptor slot";
    QTest::newRow("clock beyond a DTD") << lg << preferred("3840x2160@120") << "655.35 MHz";
    QTest::newRow("below range limits") << dell << preferred("1920x1080@24") << "range limits";
    QTest::newRow("not a mode") << dell << preferred("1920x1080") << "WIDTHxHEIGHT@HZ";
    QTest::newRow("no CTA block") << vga
                                  << Edit([](const EdidImage &i) { return removeVic(i, 16); })
                                  << "no CTA-861";
    QTest::newRow("VIC beyond range limits")
        << dell << Edit([](const EdidImage &i) { return addVic(i, 63); }) << "range limits";
    QTest::newRow("not a VIC") << lg << Edit([](const EdidImage &i) { return addVic(i, 150); })
                               << "not a VIC";
    QTest::newRow("no room") << lg << Edit([](const EdidImage &i) {
        return setSpeakerAllocation(i, Speakers::Stereo);
    }) << "no room left";
    QTest::newRow("too many SADs")
        << dell << Edit([eleven](const EdidImage &i) { return setAudioDescriptors(i, eleven); })
        << "At most 10";
    QTest::newRow("TMDS beyond HDMI 1.4")
        << dell << Edit([](const EdidImage &i) { return setHdmiMaxTmdsClock(i, 600); })
        << "HDMI Forum block";
    QTest::newRow("no HDMI VSDB") << sample(QStringLiteral("acer-xb321hk-dp"))
                                  << Edit([](const EdidImage &i) {
                                         return setHdmiMaxTmdsClock(i, 300);
                                     })
                                  << "no HDMI vendor-specific";
}

void TestEdits::refusedEditsGiveReasons()
{
    QFETCH(EdidImage, image);
    QFETCH(Edit, edit);
    QFETCH(QString, reason);

    const EditResult result = edit(image);
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(reason, Qt::CaseInsensitive), qPrintable(result.error));

    // Within a sequence the refusal stops everything: no half-edited table comes back.
    const EditResult sequence =
        applyEdits(image, {[](const EdidImage &i) { return EditResult::done(i); }, edit});
    QVERIFY(!sequence.image);
    QVERIFY(sequence.error.startsWith(QLatin1String("Edit 2 of 2: ")));
}

void TestEdits::presetsPassEdidDecode_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : presetNames())
        QTest::newRow(qPrintable(name)) << name;
    QVERIFY(presetNames().size() >= 5);
}

void TestEdits::presetsPassEdidDecode()
{
    QFETCH(QString, name);
    QVERIFY(!presetTitle(name).isEmpty());
    const auto image = buildPreset(name);
    QVERIFY(image);
    QVERIFY(checksumsCorrect(*image));
    const Verdict verdict = decode(*image);
    QVERIFY2(verdict.pass, qPrintable(verdict.text));
    QVERIFY2(verdict.warnings.isEmpty(), qPrintable(verdict.text));
    QVERIFY2(verdict.failures.isEmpty(), qPrintable(verdict.text));
    QVERIFY(verdict.text.contains(QLatin1String("Display Product Name: 'VNX")));
    QVERIFY(!buildPreset(name + QLatin1String("-nope")));
}

void TestEdits::offeredModesListDtdsAndVics()
{
    const QList<OfferedMode> modes = offeredModes(sample(QStringLiteral("dell-p2415q-hdmi2.0")));
    const auto has = [&](const auto &predicate) {
        return std::any_of(modes.cbegin(), modes.cend(), predicate);
    };
    QVERIFY(has([](const OfferedMode &m) { return m.offset == SlotsBegin && m.vic == 0; }));
    QVERIFY(has(
        [](const OfferedMode &m) { return m.offset > EdidBlockSize && m.timing.hActive == 2560; }));
    QVERIFY(
        has([](const OfferedMode &m) { return m.vic == 31 && m.timing.pixelClockKHz == 148500; }));
    // The LG's DTD 1 is VIC 97 exactly: listed once, as the DTD.
    const QList<OfferedMode> lg = offeredModes(sample(QStringLiteral("lg-oled-c9-hdmi")));
    const auto vic97 = standardModeForVic(97);
    QCOMPARE(
        std::count_if(lg.cbegin(), lg.cend(),
                      [&](const OfferedMode &m) { return m.timing.sameTiming(vic97->timing); }),
        1);
    QCOMPARE(lg.first().offset, SlotsBegin);
}

void TestEdits::intentInOneSequence()
{
    // A 4K HDR television's table turned into "1080p, no HDR, stereo PCM, Room 1".
    const EdidImage original = sample(QStringLiteral("lg-oled-c9-hdmi"));
    const EditResult result = applyEdits(
        original, {[](const EdidImage &i) { return setPreferredMode(i, "1920x1080@60"); },
                   removeHdrStaticMetadata,
                   [](const EdidImage &i) { return setAudioDescriptors(i, {audio("lpcm:2")}); },
                   [](const EdidImage &i) { return setDisplayProductName(i, "Room 1"); }});
    QVERIFY2(result.ok(), qPrintable(result.error));
    const Verdict after = decode(*result.image);
    QVERIFY(after.text.contains(QLatin1String("DTD 1:  1920x1080   60.000000 Hz")));
    QVERIFY(after.text.contains(QLatin1String("'Room 1'")));
    QVERIFY(!after.text.contains(QLatin1String("HDR Static Metadata")));
    QVERIFY(!after.text.contains(QLatin1String("AC-3")));
    QVERIFY((after.failures - decode(original).failures).isEmpty());
}

void TestEdits::shapedTableOffersOneSignal_data()
{
    // Every sample that offers 4K and HDR: the tables a user shapes for a 1080p source.
    QTest::addColumn<QString>("name");
    for (const QString &name : EdidTestData::sampleNames()) {
        const QByteArray bytes = EdidTestData::readSample(name).left(EdidImageSize);
        const Capabilities caps = capabilitiesOf(decodeEdid(bytes));
        const bool uhd = std::any_of(caps.modes.cbegin(), caps.modes.cend(),
                                     [](const CapabilityMode &m) { return m.width >= 3840; });
        if (uhd && caps.hdr && bytes[126] == 1)
            QTest::newRow(qPrintable(name)) << name;
    }
}

void TestEdits::shapedTableOffersOneSignal()
{
    QFETCH(QString, name);
    const EdidImage original = sample(name);
    const EditResult result = applyEdits(
        original,
        {[](const EdidImage &i) { return keepOnlyModes(i, {*parseModeRequest("1920x1080@60")}); },
         keepRgbOnly, removeHdr,
         [](const EdidImage &i) { return setAudioDescriptors(i, {audio("lpcm:2")}); }});
    QVERIFY2(result.ok(), qPrintable(result.error));
    QVERIFY(checksumsCorrect(*result.image));

    const DecodedEdid decoded = decodeEdid(EdidTestData::toBytes(*result.image));
    for (const Finding &f : decoded.findings)
        QVERIFY2(f.severity != Severity::Error, qPrintable(f.message));
    const Capabilities caps = capabilitiesOf(decoded);
    QStringList modes;
    for (const CapabilityMode &m : caps.modes) {
        // 640x480@60 every CTA-861 sink must take stays where sources look for it.
        if (m.width != 640)
            modes << modeText(m) + (m.preferred ? QStringLiteral(" preferred") : QString());
    }
    QCOMPARE(modes, QStringList{QStringLiteral("1920x1080@60 preferred")});
    QVERIFY(!caps.ycbcr444 && !caps.ycbcr422 && !caps.modes.first().ycbcr420);
    QVERIFY(!caps.hdr);
    QCOMPARE(caps.audio.size(), 1);
    QCOMPARE(audioText(caps.audio.first()), QStringLiteral("stereo LPCM"));

    const Verdict after = decode(*result.image);
    for (const char *gone :
         {"HDR", "Video Data Block (Dolby)", "HDR10+", "BT2020", "YCbCr 4:2:0", "HDMI VIC",
          "3840x2160", "4096x2160", "2560x1440", "AC-3", "DTS", "Supports YCbCr"})
        QVERIFY2(!after.text.contains(QLatin1String(gone)), gone);
    const QRegularExpression vic(QStringLiteral(R"(VIC\s+(\d+):)"));
    QStringList vics;
    for (auto it = vic.globalMatch(after.text); it.hasNext();)
        vics << it.next().captured(1);
    QCOMPARE(vics, QStringList{QStringLiteral("16")});
    // Failures the table had stay (a DTD's number may change as DTDs go); none is new.
    const auto unnumbered = [](const QSet<QString> &failures) {
        QSet<QString> texts;
        for (QString f : failures)
            texts << f.remove(QRegularExpression(QStringLiteral("#\\d+")));
        return texts;
    };
    QVERIFY((unnumbered(after.failures) - unnumbered(decode(original).failures)).isEmpty());
}

void TestEdits::editsAreIdempotent_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("noted");
    const QList<std::tuple<const char *, Edit, bool>> edits = {
        {"only-modes",
         [](const EdidImage &i) {
             return keepOnlyModes(i, *parseModeList("1280x720@60,1920x1080@60,1024x768@60"));
         },
         true},
        {"max-mode",
         [](const EdidImage &i) { return limitModes(i, *parseModeRequest("1920x1080@60")); }, true},
        {"rgb-only", keepRgbOnly, true},
        {"no-hdr", removeHdr, true},
        {"no-audio", removeAudio, true},
        {"no-deep-color", removeDeepColor, true},
        {"no-hdmi-forum", removeHdmiForumBlocks, true},
        {"add-vic", [](const EdidImage &i) { return addVic(i, 4); }, true},
        {"remove-vic", [](const EdidImage &i) { return removeVic(i, 16); }, true},
        {"preferred", [](const EdidImage &i) { return setPreferredMode(i, "1280x720@60"); }, false},
        {"name", [](const EdidImage &i) { return setDisplayProductName(i, "Room 1"); }, false},
    };
    for (const char *table : {"lg-oled-c9-hdmi", "samsung-q800t-hdmi2.1", "dell-p2415q-hdmi2.0",
                              "philips-ftv-hdmi2.0", "dell-e178wfp-vga"}) {
        for (const auto &[name, edit, noted] : edits)
            QTest::addRow("%s %s", name, table) << edit << QString::fromLatin1(table) << noted;
    }
}

void TestEdits::editsAreIdempotent()
{
    QFETCH(Edit, edit);
    QFETCH(QString, table);
    QFETCH(bool, noted);
    const EditResult once = edit(sample(table));
    if (!once.ok())
        QSKIP(qPrintable(QStringLiteral("refused: ") + once.error));
    const EditResult twice = edit(*once.image);
    QVERIFY2(twice.ok(), qPrintable(twice.error));
    QCOMPARE(EdidTestData::toBytes(*twice.image).toHex(' '),
             EdidTestData::toBytes(*once.image).toHex(' '));
    // Removing what is not there, adding what is: a note, as scripts repeat edits.
    if (noted)
        QVERIFY(twice.notes.join(QLatin1Char(' ')).contains(QLatin1String("already")));
}

void TestEdits::editsSurviveNoise()
{
    // Random bytes behind a valid header and CTA tag reach every parser; each
    // edit must refuse or return a table with correct checksums and the header kept.
    const QList<Edit> edits = {
        [](const EdidImage &i) { return setDisplayProductName(i, "Noise"); },
        [](const EdidImage &i) { return setPreferredMode(i, "1280x720@60"); },
        [](const EdidImage &i) { return removeVic(i, 95); },
        [](const EdidImage &i) { return addVic(i, 16); },
        [](const EdidImage &i) { return removeAudioFormat(i, AudioFormat::Lpcm); },
        [](const EdidImage &i) { return addAudioDescriptor(i, audio("lpcm:2")); },
        [](const EdidImage &i) { return setSpeakerAllocation(i, Speakers::Stereo); },
        [](const EdidImage &i) { return setHdmiMaxTmdsClock(i, 300); },
        removeHdrStaticMetadata,
        removeHdmiForumBlocks,
        [](const EdidImage &i) {
            return keepOnlyModes(i, *parseModeList("1920x1080@60,720x480i@60"));
        },
        [](const EdidImage &i) { return limitModes(i, *parseModeRequest("1280x720@60")); },
        keepRgbOnly,
        removeHdr,
        removeAudio,
        removeDeepColor,
    };
    const quint8 header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    int applied = 0;
    for (quint32 seed = 1; seed <= 300; ++seed) {
        EdidImage image = EdidTestData::randomImage(seed);
        std::copy(std::begin(header), std::end(header), image.begin());
        image[126] = 1;
        image[EdidBlockSize] = 0x02;
        image[EdidBlockSize + 1] = 0x03;
        for (const OfferedMode &mode : offeredModes(image))
            QVERIFY(mode.timing.pixelClockKHz > 0);
        for (const Edit &edit : edits) {
            const EditResult result = edit(image);
            if (!result.ok())
                continue;
            ++applied;
            QVERIFY(checksumsCorrect(*result.image));
            if (!result.notes.isEmpty()) {
                // Already so: only the checksums may have been put right.
                EdidImage expected = image;
                correctChecksums(expected);
                QVERIFY(*result.image == expected);
                continue;
            }
            QVERIFY(std::equal(std::begin(header), std::end(header), result.image->begin()));
        }
    }
    QVERIFY(applied > 300);
}

QTEST_GUILESS_MAIN(TestEdits)
#include "tst_edits.moc"
