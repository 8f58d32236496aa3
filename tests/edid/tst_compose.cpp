#include "EdidDecodeOracle.h"
#include "EdidTestData.h"
#include "capability/Capabilities.h"
#include "compose/Compose.h"
#include "decode/EdidDecoder.h"
#include "edit/Presets.h"
#include "edit/ShortAudioDescriptor.h"

#include <QTemporaryFile>
#include <QTest>

using namespace varnex::edid;

class TestCompose : public QObject
{
    Q_OBJECT

private slots:
    void composedTableIsCommonAndValid_data();
    void composedTableIsCommonAndValid();
    void reportSaysWhatEachInputLost_data();
    void reportSaysWhatEachInputLost();
    void noCommonModeNamesTheInputs();
};

namespace {

// A DTD holds at most 655.35 MHz and 4095 pixels a line.
constexpr int DtdMaxClockKHz = 655350;
constexpr int DtdMaxWidth = 4095;

// The preferred mode is written as a DTD, so it is one whose whole timing is known and fits.
bool canBePreferred(const CapabilityMode &mode)
{
    return mode.timing && mode.width <= DtdMaxWidth &&
           mode.pixelClockKHz.value_or(0) <= DtdMaxClockKHz;
}

Capabilities capabilitiesOfImage(const EdidImage &image)
{
    return capabilitiesOf(decodeEdid(EdidTestData::toBytes(image)));
}

ComposeInput sample(const QString &name)
{
    return {name, EdidTestData::toImage(EdidTestData::readSample(name))};
}

ComposeInput preset(const QString &name)
{
    return {name + QStringLiteral(".bin"), *buildPreset(name)};
}

bool offers(const Capabilities &caps, const CapabilityMode &mode)
{
    return std::any_of(caps.modes.cbegin(), caps.modes.cend(),
                       [&](const CapabilityMode &m) { return sameMode(m, mode); });
}

bool audioAccepted(const Capabilities &caps, const AudioCapability &sad)
{
    return std::any_of(caps.audio.cbegin(), caps.audio.cend(), [&](const AudioCapability &a) {
        return a.format == sad.format && a.channels >= sad.channels &&
               (sad.sampleRates & ~a.sampleRates) == 0 &&
               (sad.format != AudioFormat::Lpcm || (sad.detail & ~a.detail) == 0);
    });
}

bool smooth(const CapabilityMode &m)
{
    return !m.interlaced && m.refreshHz >= 50 * (1 - ModeRateTolerance);
}

// a before b as the preferred mode: smooth first, then pixels, then rate.
bool better(const CapabilityMode &a, const CapabilityMode &b)
{
    if (smooth(a) != smooth(b))
        return smooth(a);
    if (qint64(a.width) * a.height != qint64(b.width) * b.height)
        return qint64(a.width) * a.height > qint64(b.width) * b.height;
    return a.refreshHz > b.refreshHz * (1 + ModeRateTolerance);
}

} // namespace

// Pairs and triples of neighbouring samples: every kind of display meets every other.
void TestCompose::composedTableIsCommonAndValid_data()
{
    QTest::addColumn<QStringList>("names");
    const QStringList samples = EdidTestData::sampleNames();
    for (qsizetype i = 0; i + 1 < samples.size(); ++i) {
        const QStringList pair = samples.mid(i, 2);
        QTest::newRow(qPrintable(pair.join(u'+'))) << pair;
        if (i + 2 < samples.size()) {
            const QStringList triple{samples[i], samples[i + 2], samples[(i + 7) % samples.size()]};
            QTest::newRow(qPrintable(triple.join(u'+'))) << triple;
        }
    }
}

void TestCompose::composedTableIsCommonAndValid()
{
    QFETCH(QStringList, names);
    QList<ComposeInput> inputs;
    QList<Capabilities> inputCaps;
    for (const QString &name : names) {
        inputs << sample(name);
        inputCaps << capabilitiesOfImage(inputs.last().image);
    }
    const ComposeResult result = composeTables(inputs);
    QVERIFY2(result.ok(), qPrintable(result.error));

    const DecodedEdid decoded = decodeEdid(EdidTestData::toBytes(*result.image));
    QCOMPARE(decoded.count(Severity::Error), 0);
    const Capabilities composed = capabilitiesOf(decoded);
    for (const CapabilityMode &mode : composed.modes) {
        for (int i = 0; i < inputs.size(); ++i)
            QVERIFY2(offers(inputCaps[i], mode),
                     qPrintable(modeText(mode) + QStringLiteral(" not in ") + names[i]));
    }
    const CapabilityMode *preferred = composed.preferredMode();
    QVERIFY(preferred);
    for (const CapabilityMode &mode : composed.modes) {
        if (canBePreferred(mode))
            QVERIFY2(!better(mode, *preferred),
                     qPrintable(modeText(mode) + QStringLiteral(" over ") + modeText(*preferred)));
    }
    const bool silent = std::any_of(inputCaps.cbegin(), inputCaps.cend(),
                                    [](const Capabilities &c) { return c.audio.isEmpty(); });
    QVERIFY(!silent || composed.audio.isEmpty());
    for (const AudioCapability &sad : composed.audio) {
        for (const Capabilities &caps : inputCaps)
            QVERIFY2(audioAccepted(caps, sad), qPrintable(audioText(sad)));
    }
    QCOMPARE(composed.hdmi, std::all_of(inputCaps.cbegin(), inputCaps.cend(),
                                        [](const Capabilities &c) { return c.hdmi; }));

    if (!EdidDecodeOracle::available())
        QSKIP("edid-decode is not installed");
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(EdidTestData::toBytes(*result.image));
    file.flush();
    const QString check = EdidDecodeOracle::run({QStringLiteral("-c"), file.fileName()});
    QVERIFY2(check.contains(QLatin1String("EDID conformity: PASS")), qPrintable(check.right(600)));
}

void TestCompose::reportSaysWhatEachInputLost_data()
{
    QTest::addColumn<QList<ComposeInput>>("inputs");
    QTest::addColumn<QString>("line");
    const ComposeInput hd = preset(QStringLiteral("1080p60-stereo"));
    const ComposeInput uhd = preset(QStringLiteral("4k60-hdr-7.1"));
    const ComposeInput dvi = sample(QStringLiteral("dell-3007wfp-dvi"));
    QTest::newRow("mode") << QList{uhd, hd}
                          << "4k60-hdr-7.1.bin: dropped 3840x2160@60 (not offered by "
                             "1080p60-stereo.bin)";
    QTest::newRow("channels") << QList{uhd, hd}
                              << "4k60-hdr-7.1.bin: dropped 7.1 LPCM (the others take 2 "
                                 "channels at most)";
    QTest::newRow("format") << QList{uhd, hd}
                            << "4k60-hdr-7.1.bin: dropped 5.1 AC-3 (not offered by "
                               "1080p60-stereo.bin)";
    QTest::newRow("hdr") << QList{hd, uhd}
                         << "4k60-hdr-7.1.bin: dropped HDR (not offered by 1080p60-stereo.bin)";
    QTest::newRow("no audio") << QList{hd, dvi}
                              << "1080p60-stereo.bin: dropped stereo LPCM: dell-3007wfp-dvi has "
                                 "no audio";
    QTest::newRow("dvi") << QList{hd, dvi}
                         << "1080p60-stereo.bin: dropped HDMI (dell-3007wfp-dvi is DVI or "
                            "DisplayPort only)";
}

void TestCompose::reportSaysWhatEachInputLost()
{
    QFETCH(QList<ComposeInput>, inputs);
    QFETCH(QString, line);
    const ComposeResult result = composeTables(inputs);
    QVERIFY(result.ok());
    QVERIFY2(result.report.contains(line), qPrintable(result.report.join(u'\n')));
}

void TestCompose::noCommonModeNamesTheInputs()
{
    // Two analog displays with their code-named timings removed keep one
    // different DTD each.
    QList<ComposeInput> inputs;
    for (const QString &name :
         {QStringLiteral("sony-gdmf520-vga"), QStringLiteral("dell-e178wfp-vga")}) {
        ComposeInput input = sample(name);
        std::fill(input.image.begin() + 0x23, input.image.begin() + 0x26, quint8(0));
        std::fill(input.image.begin() + 0x26, input.image.begin() + 0x36, quint8(1));
        inputs << input;
    }
    const ComposeResult result = composeTables(inputs);
    QVERIFY(!result.ok());
    QVERIFY2(result.error.contains(QLatin1String("sony-gdmf520-vga and dell-e178wfp-vga")),
             qPrintable(result.error));
    QVERIFY(result.report.contains(QLatin1String(
        "sony-gdmf520-vga: dropped 1280x1024@85.02 (not offered by dell-e178wfp-vga)")));
}

QTEST_GUILESS_MAIN(TestCompose)
#include "tst_compose.moc"
