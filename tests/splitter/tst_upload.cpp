// The one upload (mode guard, write, read-back, outcome) on the simulated
// Varnex, and the checks before it as data.
#include "Checksum.h"
#include "DeviceSettings.h"
#include "EdidTestData.h"
#include "SimulatedRig.h"
#include "TableUpload.h"
#include "UploadChecks.h"

#include <QTest>

using namespace varnex::edid;
using namespace varnex::splitter;
using varnex::device::sim::BridgeOperation;
using varnex::device::sim::SimulatedBridgeDevice;
using varnex::device::sim::SplitterMode;

namespace {

// A real table with both checksums right.
const char Sample[] = "dell-p2415q-hdmi2.0";
// Writes to this offset never reach the simulated memory.
constexpr quint8 StuckOffset = 0x40;

EdidImage sample()
{
    return EdidTestData::toImage(EdidTestData::readSample(QLatin1String(Sample)));
}

QStringList codes(const QList<UploadCheck> &checks)
{
    QStringList list;
    for (const UploadCheck &check : checks)
        list.append(check.code);
    return list;
}

} // namespace

class TestUpload : public QObject
{
    Q_OBJECT

private slots:
    void uploadEndsInOneOutcome_data();
    void uploadEndsInOneOutcome();
    void checksAreData_data();
    void checksAreData();
};

void TestUpload::uploadEndsInOneOutcome_data()
{
    QTest::addColumn<ModeGuard>("guard");
    QTest::addColumn<int>("automixFlag");     // the recorded flag
    QTest::addColumn<bool>("deviceInCustom"); // the simulated Varnex's mode
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<QString>("fault"); // "", "stuck", "silent-after=N", "no Varnex"
    QTest::addColumn<SessionStatus>("status");
    QTest::addColumn<UploadStep>("step");
    QTest::addColumn<int>("framesSent");
    QTest::addColumn<int>("modeRequests");
    QTest::addColumn<QString>("message");

    const QString none;
    QTest::newRow("recorded CUSTOM, verified")
        << ModeGuard::Recorded << 0 << false << true << none << SessionStatus::Done
        << UploadStep::ReadBack << 32 << 0 << none;
    QTest::newRow("recorded AUTOMIX refused")
        << ModeGuard::Recorded << 1 << true << true << none << SessionStatus::Refused
        << UploadStep::ModeGuard << 0 << 0 << "Writing is disabled in AUTOMIX mode.";
    QTest::newRow("asked, AUTOMIX refused")
        << ModeGuard::AskDevice << 0 << false << true << none << SessionStatus::Refused
        << UploadStep::ModeGuard << 0 << 1 << "Writing is disabled in AUTOMIX mode.";
    QTest::newRow("asked, CUSTOM")
        << ModeGuard::AskDevice << 1 << true << true << none << SessionStatus::Done
        << UploadStep::ReadBack << 32 << 1 << none;
    QTest::newRow("CUSTOM selected first")
        << ModeGuard::SelectCustom << 1 << false << true << none << SessionStatus::Done
        << UploadStep::ReadBack << 32 << 2 << none;
    QTest::newRow("asked, no Varnex") << ModeGuard::AskDevice << 0 << true << true << "no Varnex"
                                      << SessionStatus::HardwareNotFound << UploadStep::ModeGuard
                                      << 0 << 0 << "Hardware not found";
    QTest::newRow("read-back differs")
        << ModeGuard::Recorded << 0 << true << true << "stuck" << SessionStatus::Differs
        << UploadStep::ReadBack << 32 << 0
        << "The Varnex holds a different table after the write: 1 byte differs, at 0x40.";
    QTest::newRow("stuck, not read back")
        << ModeGuard::Recorded << 0 << true << false << "stuck" << SessionStatus::Done
        << UploadStep::Write << 32 << 0 << none;
    // Five frames answered; the sixth (offset 0x28) went out but got no reply.
    QTest::newRow("partial write")
        << ModeGuard::Recorded << 0 << true << true << "silent-after=5" << SessionStatus::Incomplete
        << UploadStep::Write << 6 << 0
        << "Writing the EDID failed: the Varnex did not confirm the bytes from offset 0x28. The "
           "bytes 0x00 to 0x27 were confirmed; the frames after offset 0x28 were not sent.";
}

void TestUpload::uploadEndsInOneOutcome()
{
    QFETCH(ModeGuard, guard);
    QFETCH(int, automixFlag);
    QFETCH(bool, deviceInCustom);
    QFETCH(bool, readBack);
    QFETCH(QString, fault);
    QFETCH(SessionStatus, status);
    QFETCH(UploadStep, step);
    QFETCH(int, framesSent);
    QFETCH(int, modeRequests);
    QFETCH(QString, message);

    DeviceSettings settings;
    settings.automix = quint8(automixFlag);
    SimulatedBridgeDevice device;
    if (fault == QLatin1String("no Varnex"))
        device.serial = "1234";
    SimulatedRig rig(settings, {device});
    rig.sim.splitter().setMode(deviceInCustom ? SplitterMode::Custom : SplitterMode::Automix);
    if (fault == QLatin1String("stuck"))
        rig.sim.ignoreWritesAt(StuckOffset);
    if (fault.startsWith(QLatin1String("silent-after=")))
        rig.sim.stopAnsweringAfter(fault.section(QLatin1Char('='), 1).toInt());
    DeviceSession session(rig.bridge, rig.connection, settings);

    const EdidImage image = sample();
    QVERIFY(image[StuckOffset] != rig.sim.splitter().memory(settings.edidAddress)[StuckOffset]);
    QList<UploadStep> started;
    QList<QPair<UploadStep, bool>> ended;
    UploadOptions options;
    options.guard = guard;
    options.readBack = readBack;
    options.transferStarts = [&started](UploadStep at) { started.append(at); };
    options.transferEnded = [&ended](UploadStep at, bool complete) {
        ended.append({at, complete});
    };
    const UploadOutcome outcome = uploadTable(session, image, options);

    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.step, step);
    QCOMPARE(outcome.message, message);
    QCOMPARE(outcome.advice.isEmpty(), status == SessionStatus::Done);
    QCOMPARE(outcome.write.framesSent, framesSent);
    QCOMPARE(outcome.framesWentOut(), framesSent > 0);
    // A write stopped part-way may leave old and new bytes side by side.
    const bool partial = status == SessionStatus::Incomplete && step == UploadStep::Write;
    QCOMPARE(outcome.advice.contains(QLatin1String("mixed table")), partial);
    QCOMPARE(completedUploadSummary(outcome).isEmpty(), !outcome.done());
    QCOMPARE(outcome.verification.has_value(), step == UploadStep::ReadBack);
    // Each transfer that ran was announced and closed, with whether it ran complete.
    QCOMPARE(started.size(), ended.size());
    QCOMPARE(started.size(), int(step) - int(UploadStep::ModeGuard));
    if (!ended.isEmpty())
        QCOMPARE(ended.constLast().second, outcome.done() || status == SessionStatus::Differs);

    int modeFrames = 0;
    for (const auto &call : rig.sim.calls())
        modeFrames += call.operation == BridgeOperation::Write && call.bytes.size() == 3;
    QCOMPARE(modeFrames, modeRequests);
    if (outcome.done() && readBack)
        QCOMPARE(outcome.verification->readBack.image, image);
    if (guard == ModeGuard::SelectCustom)
        QCOMPARE(rig.sim.splitter().mode(), SplitterMode::Custom);
    // Nothing was opened when the recorded flag refused.
    if (status == SessionStatus::Refused && guard == ModeGuard::Recorded)
        QCOMPARE(rig.count(BridgeOperation::Open), 0);
    QVERIFY(!rig.connection.isOpen());
}

void TestUpload::checksAreData_data()
{
    QTest::addColumn<EdidImage>("image");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QList<UploadCheckKind>>("kinds");

    const EdidImage good = sample();
    EdidImage noHeader = good;
    noHeader[1] = 0x00;
    correctChecksums(noHeader);
    EdidImage badSums = good;
    ++badSums[EdidChecksumOffset];
    ++badSums[EdidBlockSize + EdidChecksumOffset];
    EdidImage version2 = good;
    version2[0x12] = 2;
    correctChecksums(version2);

    QTest::newRow("right") << good << QStringList{} << QList<UploadCheckKind>{};
    QTest::newRow("no header") << noHeader << QStringList{"header"}
                               << QList<UploadCheckKind>{UploadCheckKind::HeaderMissing};
    QTest::newRow("both checksums")
        << badSums << QStringList{"checksum-block-0", "checksum-block-1"}
        << QList<UploadCheckKind>{UploadCheckKind::ChecksumWrong, UploadCheckKind::ChecksumWrong};
    QTest::newRow("decoder error") << version2 << QStringList{"version"}
                                   << QList<UploadCheckKind>{UploadCheckKind::DecoderError};
}

void TestUpload::checksAreData()
{
    QFETCH(EdidImage, image);
    QFETCH(QStringList, codes);
    QFETCH(QList<UploadCheckKind>, kinds);

    const QList<UploadCheck> checks = checksBeforeUpload(image);
    QCOMPARE(::codes(checks), codes);
    for (qsizetype i = 0; i < checks.size(); ++i) {
        QCOMPARE(checks[i].kind, kinds[i]);
        QCOMPARE(checks[i].severity, Severity::Error);
        QVERIFY(!checks[i].message.isEmpty());
        QCOMPARE(checksOfKind(checks, kinds[i]).size(), kinds.count(kinds[i]));
    }
    // A wrong checksum names its byte and the value it should hold.
    for (const UploadCheck &check : checksOfKind(checks, UploadCheckKind::ChecksumWrong)) {
        QCOMPARE(check.offset, check.block * EdidBlockSize + EdidChecksumOffset);
        const quint8 right = BlockChkSum(image.data() + check.block * EdidBlockSize);
        const QString digits = QString::number(right, 16).toUpper().rightJustified(2, '0');
        QVERIFY2(check.message.contains(QStringLiteral("should be 0x") + digits),
                 qPrintable(check.message));
    }
}

QTEST_GUILESS_MAIN(TestUpload)
#include "tst_upload.moc"
