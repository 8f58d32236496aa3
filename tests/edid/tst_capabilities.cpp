#include "EdidDecodeOracle.h"
#include "EdidTestData.h"
#include "capability/Capabilities.h"
#include "decode/EdidDecoder.h"

#include <QRegularExpression>
#include <QTest>

using namespace varnex::edid;

// The modes of a table, as the capability model merges them, against every
// timing edid-decode lists in the base block and the CTA-861 blocks.
class TestCapabilities : public QObject
{
    Q_OBJECT

private slots:
    void modesMatchTheReferenceDecoder_data();
    void modesMatchTheReferenceDecoder();
};

namespace {

// The timings edid-decode lists (established, standard, CVT, DTD, VIC, HDMI
// VIC, DisplayID detailed timings) in the blocks our decoder reads modes from.
QList<CapabilityMode> oracleModes(const QString &path)
{
    static const QRegularExpression blockLine(QStringLiteral("^Block \\d+, (.*):$"));
    static const QRegularExpression timingLine(
        QStringLiteral("^\\s+[^:]+:\\s+(\\d+)x(\\d+)(i?)\\s+([\\d.]+) Hz"));
    QList<CapabilityMode> modes;
    bool counted = false;
    const QString output = EdidDecodeOracle::run({QStringLiteral("--skip-hex-dump"), path});
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (const auto m = blockLine.match(line); m.hasMatch()) {
            counted = m.captured(1) == QLatin1String("Base EDID") ||
                      m.captured(1).startsWith(QLatin1String("CTA-861")) ||
                      m.captured(1).startsWith(QLatin1String("DisplayID"));
            continue;
        }
        if (const auto m = timingLine.match(line); m.hasMatch() && counted) {
            CapabilityMode mode;
            mode.width = m.captured(1).toInt();
            mode.height = m.captured(2).toInt();
            mode.interlaced = !m.captured(3).isEmpty();
            mode.refreshHz = m.captured(4).toDouble();
            modes.append(mode);
        }
    }
    return modes;
}

bool contains(const QList<CapabilityMode> &modes, const CapabilityMode &mode)
{
    return std::any_of(modes.cbegin(), modes.cend(),
                       [&](const CapabilityMode &m) { return sameMode(m, mode); });
}

} // namespace

void TestCapabilities::modesMatchTheReferenceDecoder_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : EdidTestData::sampleNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestCapabilities::modesMatchTheReferenceDecoder()
{
    if (!EdidDecodeOracle::available())
        QSKIP("edid-decode is not installed");
    QFETCH(QString, name);
    const Capabilities caps = capabilitiesOf(decodeEdid(EdidTestData::readSample(name)));
    const QList<CapabilityMode> expected =
        oracleModes(EdidTestData::sampleDir() + QLatin1Char('/') + name);
    QVERIFY(!expected.isEmpty());
    for (const CapabilityMode &mode : expected)
        QVERIFY2(contains(caps.modes, mode),
                 qPrintable(modeText(mode) + QStringLiteral(" missing")));
    for (const CapabilityMode &mode : caps.modes) {
        // The baseline mode is the one a table need not list.
        if (mode.sources == QStringList{QStringLiteral("baseline")})
            continue;
        QVERIFY2(contains(expected, mode),
                 qPrintable(modeText(mode) + QStringLiteral(" from ") + mode.sources.join(u',')));
    }
    const auto preferred = std::count_if(caps.modes.cbegin(), caps.modes.cend(),
                                         [](const CapabilityMode &m) { return m.preferred; });
    QVERIFY(preferred <= 1);
}

QTEST_GUILESS_MAIN(TestCapabilities)
#include "tst_capabilities.moc"
